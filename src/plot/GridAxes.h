#pragma once

#include "base/AppSettings.h"
#include "plot/Canvas.h"

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
template <class Visit> void CountingRun(float step, float limit, Visit&& visit) {
    if (!(step != 0)) return;
    for (float v = 0;;) {
        if (step > 0 ? !(v <= limit) : !(v >= limit)) return;
        visit(v);
        const float next = v + step;
        if (next == v) return;
        v = next;
    }
}

} // namespace orbiplot
