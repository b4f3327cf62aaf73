#pragma once

#include <string_view>

namespace orbiplot {

enum class BuiltinFunction {
    Sin,
    Cos,
    Tan,
    Cot,
    Sec,
    Csc,
    ArcSin,
    ArcCos,
    ArcTan,
    ArcCot,
    R2D,
    D2R,
    Abs,
    Sqr,
    Log,
    Log10,
    Fix,
    Sgn,
    Rnd,
    Exp,
    None
};

// Case-insensitive, blanks around the name ignored; None for no built-in function.
BuiltinFunction LookUpBuiltinFunction(std::string_view name);

// The value of a function without state (every one but Rnd and None); failures raise the
// runtime errors the parser reports.
double BuiltinValue(BuiltinFunction fn, double x);

// The derivative of fn at x, where it has the value y; not a number where it has none
// (the corner of Abs, a step of Fix or Sgn, Rnd).
double BuiltinSlope(BuiltinFunction fn, double x, double y);

// The code BuiltinValue runs for fn.
using BuiltinFunctionPointer = double (*)(double);
BuiltinFunctionPointer BuiltinFunctionCode(BuiltinFunction fn);

// The same function without raising: for a finite argument its result is not finite exactly
// where BuiltinFunctionCode's raises, and otherwise the same double. What draws a curve only
// where it is defined asks millions of samples, and a raised error costs a thousand times a
// value.
BuiltinFunctionPointer BuiltinQuietCode(BuiltinFunction fn);

} // namespace orbiplot
