#pragma once

#include "base/AppError.h"

#include <cmath>
#include <limits>

namespace orbiplot::checked {

// Operands are always finite here, so a non-finite result can only mean overflow.
inline double Finite(double r) {
    if (!std::isfinite(r)) RaiseRuntimeError(std::isnan(r) ? ErrInvalidCall : ErrOverflow);
    return r;
}

inline double Add(double a, double b) { return Finite(a + b); }
inline double Sub(double a, double b) { return Finite(a - b); }
inline double Mul(double a, double b) { return Finite(a * b); }

inline double Div(double a, double b) {
    if (b == 0) RaiseRuntimeError(ErrDivisionByZero);
    return Finite(a / b);
}

inline double Pow(double base, double exponent) {
    if (base < 0 && exponent != std::trunc(exponent)) RaiseRuntimeError(ErrInvalidCall);
    if (base == 0 && exponent < 0) RaiseRuntimeError(ErrDivisionByZero);
    return Finite(std::pow(base, exponent));
}

// A double narrowed to a single; beyond the single's range is overflow.
inline float Narrow(double value) {
    if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max())))
        RaiseRuntimeError(std::isnan(value) ? ErrInvalidCall : ErrOverflow);
    return static_cast<float>(value);
}

} // namespace orbiplot::checked
