#pragma once

#include "plot/EquationCurves.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace orbiplot {

class PlaneFunction;
struct CurveRecord;

struct PlanePoint {
    double x, y;
    bool operator==(const PlanePoint&) const = default;
};

// The zero set of F within a box, as polylines through points on it: every point is a zero
// of F located on a pixel cell's edge to double precision.
struct ZeroSet {
    std::vector<std::vector<PlanePoint>> Lines;
    // Somewhere F came near zero without changing sign and no zero could be located there:
    // with no lines at all, the curve cannot be drawn (say so; never a silent blank).
    bool Unresolved = false;
    // F is zero over a whole patch of the plane (0 = 0): no curve there, and nothing drawn.
    bool Patch = false;
};

// Traces F(x - h, y - k) = 0 over the box [left, right] x [bottom, top] cut into columns x
// rows pixel cells, on as many threads (each with its own copy of F). The box is searched on a
// coarse grid, and a cell is cut in four where F changes sign between its corners or where F's
// value and gradient at its middle say a zero may hide in it, down to one pixel. There each
// crossing of a cell's edge is located on F itself; a cell whose corners alternate in sign is
// resolved by its middle; a sign change that is a pole (F grows towards it) is no crossing,
// and a cell with a corner where F has no value draws nothing. A zero where F touches zero
// without changing sign is found where it lies on an edge. Ends early, raising
// DrawingStopped, once stop is set. A box of more than stripPixels pixels is traced a strip of
// rows at a time (its lines end where the strips meet), so that a large picture needs memory
// for the lines and one strip's work, not the whole box's.
inline constexpr int64_t StripPixels = int64_t{8} << 20;
ZeroSet TraceZeroSet(const PlaneFunction& f, double h, double k, double left, double right,
                     double bottom, double top, int columns, int rows, unsigned threads = 1,
                     const std::atomic<bool>* stop = nullptr, int64_t stripPixels = StripPixels);

// Draws an implicit curve in the view (shifted to the curve's own origin): its text read as
// F(x, y) = 0, traced at the view's pixels. A text that cannot be read is reported as the
// equation curves report theirs; one that cannot be drawn exactly, and a curve whose zeros
// cannot be found, are said.
CurveTiming DrawImplicit(EquationContext& c, const CurveRecord& curve);

// The implicit curve's function compiled from its text, or why it cannot be: the parser's
// error for a text it cannot read (raised), RND (raised as ErrInvalidCall).
PlaneFunction CompileImplicit(const clsExpressionParser& parser, const std::string& text);

} // namespace orbiplot
