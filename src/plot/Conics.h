#pragma once

#include "base/Seams.h"

namespace orbiplot {

class Canvas;
class View;
struct CurveRecord;

// Types 1 to 8: lines across the view, circles with their centre, the ellipse with foci
// and directrices. Degenerate parameters raise an arithmetic error where drawing stops.
void DrawLineOrConic(Canvas& canvas, const View& view, const CurveRecord& curve);

// Types 9 and 10: both branches, with the directrices (ExLine1) and asymptotes (ExLine2).
void DrawHyperbola(Canvas& canvas, const View& view, const CurveRecord& curve);

// Types 11 and 12, with the directrix (ExLine1).
void DrawParabola(Canvas& canvas, const View& view, const CurveRecord& curve);

} // namespace orbiplot
