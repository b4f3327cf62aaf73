#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orbiplot {

class DocumentModel;
class clsExpressionParser;
struct CurveRecord;

// Calculus on a document's curves: tangents and normals, areas, arc lengths. Each works on
// the curves' compiled expressions at exact double arguments (with their derivatives where a
// slope is needed) and on lines by their closed forms; integrals are Boost.Math's adaptive
// quadrature. What cannot be worked out exactly is said, never given as a number.

// The tangent of a curve at the value t of its variable (x for Y=f(X), y for X=f(Y), the
// parameter for parametric and polar curves), through the curve's point there, the curve's
// translation included.
struct TangentLine {
    double X = 0, Y = 0; // the point
    double Slope = 0;    // dy/dx, unless Vertical
    bool Vertical = false;
};
// Nothing, with why in problem, where the curve has no point or no slope at t.
std::optional<TangentLine> TangentAt(const CurveRecord& curve, const clsExpressionParser& parser,
                                     double t, std::string& problem);
// The line through the same point at right angles.
TangentLine NormalOf(const TangentLine& tangent);
// The line as a curve of the document: the point-slope form with x1, y1 and k written to 17
// significant digits, or the general form for a vertical one; colours and widths given.
CurveRecord LineCurve(const TangentLine& line, uint32_t color);

// An integral's outcome.
struct Integral {
    enum class Outcome { Value, Divergent, Undefined, Inexact, Unsuited };
    Outcome Result = Outcome::Unsuited;
    double Signed = 0;   // the integral (for a length: the length)
    double Unsigned = 0; // the area counted positive everywhere (a length: the same)
    double Error = 0;    // the quadrature's estimate of its error
    std::string Problem; // what went wrong, when Result is not Value
    bool Ok() const { return Result == Outcome::Value; }
};

// The area between curve and its axis (x for Y=f(X), y for X=f(Y)) from a to b, or between
// two curves of the same kind (a straight line counts as either where it is not parallel to
// the axis), or swept by a parametric curve (Green's formula: half the integral of
// x y' - y x') or a polar curve (half the integral of r^2) over its variable from a to b.
// A pole inside or at an end around which the integral does not converge is Divergent; a
// stretch where a function has no value is Undefined; a quadrature that cannot reach 1e-12
// of the value is Inexact.
Integral AreaOf(const DocumentModel& document, const clsExpressionParser& parser, int32_t curve,
                int32_t other, double a, double b);

// The length of a curve from a to b of its variable: the integral of sqrt(1 + f'^2) for Y=f(X)
// and X=f(Y), of sqrt(x'^2 + y'^2) for parametric curves and of sqrt(r^2 + r'^2) for polar
// curves.
Integral LengthOf(const DocumentModel& document, const clsExpressionParser& parser, int32_t curve,
                  double a, double b);

// Whether AreaOf and LengthOf can take the curve (the equation curves), and whether two curves
// can bound an area together (both Y=f(X) or both X=f(Y), a line for either).
bool CanMeasure(const CurveRecord& curve);
bool CanBoundTogether(const CurveRecord& first, const CurveRecord& second);
// Whether an area between two such curves is taken along x (else along y).
bool BoundAlongX(const CurveRecord& first, const CurveRecord& second);

} // namespace orbiplot
