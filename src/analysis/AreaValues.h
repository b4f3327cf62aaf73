#pragma once

#include "analysis/Calculus.h"
#include "analysis/KeyPoints.h"

#include <string>
#include <utility>
#include <vector>

namespace orbiplot {

class Canvas;
class DocumentModel;
class View;
class clsExpressionParser;
struct AreaRecord;

// The value of a document's area or length number `index`. Each is worked out once for each
// set of what it depends on (its ends, its curves' definitions and the parser's constants) and
// kept for every window and thread, so a redraw or the panel reads it without integrating
// again: a constant moved by a slider gives a new value, a pan or a zoom the kept one.
Integral MeasureArea(const DocumentModel& document, const clsExpressionParser& parser, size_t index);
// The same for an area or a length not (yet) in the document.
Integral Measure(const DocumentModel& document, const clsExpressionParser& parser, const AreaRecord& area);

// The label beside a shading: "面积=2.66667" or "弧长=1.1752", or why there is no value.
std::string AreaLabel(const AreaRecord& area, const Integral& value);
// What an area or a length is of, in a line: "面积: y=x^2 与 y=2-x^2, x从-1到1".
std::string AreaDescription(const DocumentModel& document, const AreaRecord& area);
// Why an integral has no value, in a few words.
std::string OutcomeText(const Integral& value);

// The intervals a student means by "the area between": of the variable the area is taken
// along, between consecutive meetings of the two curves (other is a curve) or of the curve
// and its axis (Y=f(X): its zeros along x; X=f(Y): where it meets the y axis, along y), found
// within the box, in order. None for parametric and polar curves.
std::vector<std::pair<double, double>> NaturalIntervals(const DocumentModel& document,
                                                        const clsExpressionParser& parser,
                                                        int32_t curve, int32_t other, const PlaneBox& box);

// The document's shown areas and lengths with their labels, under the curves.
void DrawDocumentAreas(Canvas& canvas, const View& view, const DocumentModel& document,
                       const clsExpressionParser& parser);

} // namespace orbiplot
