#pragma once

#include <string>
#include <vector>

namespace orbiplot {

class Canvas;
class DocumentModel;
class View;
class clsExpressionParser;

// Opacity of an area's shading, out of 255: about a quarter.
inline constexpr int AreaOpacity = 64;

// The shown areas and lengths of a document, drawn before its curves: each area's region
// (between its curve and the axis, between its two curves, or swept from the origin by a
// parametric or polar curve) shaded in its first curve's colour at AreaOpacity, each length's
// arc traced broad and light under its curve; beside each, labels[i] when it is not empty.
// Where a function has no value the shading breaks, as the curve does.
void DrawAreas(Canvas& canvas, const View& view, const DocumentModel& document,
               const clsExpressionParser& parser, const std::vector<std::string>& labels);

} // namespace orbiplot
