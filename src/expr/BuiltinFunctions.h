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

} // namespace orbiplot
