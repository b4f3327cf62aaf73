#pragma once

#include "base/Seams.h"

namespace orbiplot {

class Canvas;
class View;
struct CurveRecord;

// Types 1 to 8: lines across the view, circles with their centre, the ellipse with foci
// and directrices. Degenerate parameters raise an arithmetic error where drawing stops.
void DrawLineOrConic(Canvas& canvas, const View& view, const CurveRecord& curve);

void DrawHyperbola(Canvas& canvas, const View& view, float a, float b, bool alongX, int lineWidth,
                   int exLineWidth, Rgb lineColor, Rgb exLineColor, bool showDirectrices,
                   bool showAsymptotes);

void DrawParabola(Canvas& canvas, const View& view, float p, bool alongX, int lineWidth,
                  int exLineWidth, Rgb lineColor, Rgb exLineColor, bool showDirectrix);

} // namespace orbiplot
