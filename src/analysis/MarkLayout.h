#pragma once

#include "analysis/KeyPoints.h"
#include "plot/TextBoxes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orbiplot {

class View;

// The key points as they are marked on the surface, laid out away from the window so that
// painting them is only painting: which points get a mark, and where each label goes.
struct MarkPlan {
    struct Mark {
        size_t Point = 0;    // its index among the points searched
        double X = 0, Y = 0; // on the surface, in pixels
        std::string Text;    // its label's text
        // Where its label goes; none when another mark at its place carries the label
        // (Shares) or when there was no room (shown when the pointer rests on the mark).
        std::optional<PixelBox> Label;
        bool Shares = false;
    };
    std::vector<Mark> Marks; // nearest the middle of the view first
    size_t NotMarked = 0;    // points beyond the most marked
    size_t Hidden = 0;       // labels that found no room
};

// More marks than this cannot be read; those nearest the middle of the view are marked.
inline constexpr size_t MostMarks = 2000;

// The ring drawn about a mark, which labels keep clear of.
inline constexpr double RingRadius = 4;

// Each label beside its ring where it covers no other label, no ring and none of the taken
// boxes (the surface's own texts): right above, right below, left above, left below, then
// the same a line and two lines further out. Points at one place (a zero that is also the
// y-intercept, a turn an ulp beside the axis it crosses) share one label. Time and memory are
// linear in the points.
MarkPlan LayOutMarks(const std::vector<KeyPoint>& points, const View& view,
                     const TextMeasure& labels, const std::vector<PixelBox>& taken,
                     size_t most = MostMarks);

} // namespace orbiplot
