#pragma once

#include "base/AppError.h"
#include "expr/CheckedMath.h"

#include <cmath>
#include <limits>

namespace orbiplot::plotmath {

// A coordinate handed to the surface is a 32-bit float; beyond its range is overflow.
inline float ToSingle(double value) { return checked::Narrow(value); }

inline double Sqrt(double value) {
    if (value < 0 || std::isnan(value)) RaiseRuntimeError(ErrInvalidCall);
    return std::sqrt(value);
}

using checked::Div;

// The edge moved outward by a tenth of its distance from the middle of the view, as the
// extended view of conics uses it. In a view centred on the origin that is the edge scaled
// by 1.1 about the origin; a view moved away from the origin (panned, or shifted by a
// curve's translation) is extended about its own middle, so that it still covers the view.
inline float Extended(float edge, float otherEdge) {
    const double middle = (static_cast<double>(edge) + otherEdge) / 2;
    return static_cast<float>(middle + 1.1 * (edge - middle));
}

} // namespace orbiplot::plotmath
