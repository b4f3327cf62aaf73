#pragma once

#include "base/AppSettings.h"
#include "plot/Canvas.h"
#include "plot/Sampling.h"

#include <cmath>
#include <limits>

namespace orbiplot {

class View;

struct CoordinateSystemStyle {
    bool ShowGrid = true;
    bool ShowAxisNames = true;
    bool ShowLabels = true;
    float Step = 1; // grid step when not in pi mode
    bool IsPi = false;
    Rgb GridColor = 0xE6E6E6;
    Rgb BackColor = 0xFFFFFF;
    int PenWidth = 1;
    int GridStyle = 0; // 0 solid .. 4 dash-dot-dot
};

// Background, grid, axis names, tick labels, axes and the origin mark, from the settings.
void DrawGridAndAxes(Canvas& canvas, const View& view, const AppSettings& settings);
void DrawCoordinateSystem(Canvas& canvas, const View& view, const CoordinateSystemStyle& style);

// Calls visit(v) for v = 0, s, 2s, ... (32-bit additions) while v has not passed limit. A
// step that does not move away from 0, or a value that no longer advances, ends the run.
template <class Visit>
void CountingRun(float step, float limit, Visit&& visit,
                 float nearEdge = std::numeric_limits<float>::quiet_NaN()) {
    if (!(step != 0)) return;
    float v = 0;
    // A view that does not reach back to the origin (panned away from it) starts the run at
    // the last step before its near edge instead of counting the steps it cannot show.
    if (step > 0 ? nearEdge > 0 : nearEdge < 0)
        v = static_cast<float>(std::floor(static_cast<double>(nearEdge) / step) * step);
    StepRun(v, limit, step, [&](size_t, float at) { visit(at); });
}

} // namespace orbiplot
