#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace orbiplot {

class CoreContext;
class DocumentModel;
class View;

// A rectangle on the surface, in pixels, y downward.
struct PixelBox {
    double Left = 0, Top = 0, Width = 0, Height = 0;
    double Right() const { return Left + Width; }
    double Bottom() const { return Top + Height; }
    // Whether the two share some area (touching edges do not).
    bool Intersects(const PixelBox& other) const {
        return Left < other.Right() && other.Left < Right() && Top < other.Bottom() &&
               other.Top < Bottom();
    }
    bool Inside(double width, double height) const {
        return Left >= 0 && Top >= 0 && Right() <= width && Bottom() <= height;
    }
    bool operator==(const PixelBox&) const = default;
};

// Text measured without a font, from the advances of its characters: every printable ASCII
// character's, and one for any other (the font's width of a CJK character). Taken once
// where fonts may be used, it lets any thread lay text out.
struct TextMeasure {
    std::array<double, 95> Ascii{};
    double Other = 0;
    double Height = 0;
    double Width(std::string_view utf8) const;
};

// Where the surface's own texts lie, in pixels: the grid's tick labels, the axis names, the
// origin mark and the legend, as a full redraw of the document prints them with text of that
// measure.
std::vector<PixelBox> SurfaceTextBoxes(DocumentModel& document, const View& view,
                                       CoreContext& context, const TextMeasure& measure);

} // namespace orbiplot
