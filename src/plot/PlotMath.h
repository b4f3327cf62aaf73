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

// The value scaled by 1.1 about the origin, as the extended view of conics uses it.
inline float Extended(float edge) { return static_cast<float>(1.1 * edge); }

} // namespace orbiplot::plotmath
