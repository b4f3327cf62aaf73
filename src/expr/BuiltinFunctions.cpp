#include "expr/BuiltinFunctions.h"
#include "base/AppError.h"
#include "base/TextEncoding.h"
#include "expr/CheckedMath.h"

#include <array>
#include <cmath>
#include <limits>

namespace orbiplot {

namespace {

// Every angle constant is derived from this literal, not from a more precise pi.
constexpr double PiLiteral = 3.14159265358979;

using Fn = BuiltinFunction;

struct NameEntry {
    std::string_view name;
    Fn fn;
};

// In the order the names are tested.
constexpr std::array<NameEntry, 27> FunctionNames{{
    {"SIN", Fn::Sin},       {"COS", Fn::Cos},       {"TAN", Fn::Tan},       {"TG", Fn::Tan},
    {"COT", Fn::Cot},       {"CTG", Fn::Cot},       {"SEC", Fn::Sec},       {"CSC", Fn::Csc},
    {"ARCSIN", Fn::ArcSin}, {"ARCCOS", Fn::ArcCos}, {"ARCTAN", Fn::ArcTan}, {"ARCTG", Fn::ArcTan},
    {"ATN", Fn::ArcTan},    {"ARCCOT", Fn::ArcCot}, {"ARCCTG", Fn::ArcCot}, {"R2D", Fn::R2D},
    {"D2R", Fn::D2R},       {"ABS", Fn::Abs},       {"SQR", Fn::Sqr},       {"LOG", Fn::Log},
    {"LN", Fn::Log},        {"LOG10", Fn::Log10},   {"LG", Fn::Log10},      {"FIX", Fn::Fix},
    {"SGN", Fn::Sgn},       {"RND", Fn::Rnd},       {"EXP", Fn::Exp},
}};

} // namespace

BuiltinFunction LookUpBuiltinFunction(std::string_view name) {
    name = TrimBlanks(name);
    if (name.size() > 6) return Fn::None;
    char upper[6];
    for (size_t i = 0; i < name.size(); ++i)
        upper[i] = AsciiUpper(name[i]);
    const std::string_view key(upper, name.size());
    for (const NameEntry& entry : FunctionNames)
        if (entry.name == key) return entry.fn;
    return Fn::None;
}

namespace {

// atan(X / sqrt(1 - X*X)), step by step; at |X| = 1 the quotient has no value and the
// limit +/- pi/2 is returned instead.
double ArcSinSteps(double x) {
    const double t = checked::Add(-checked::Mul(x, x), 1);
    if (t < 0) RaiseRuntimeError(ErrInvalidCall);
    const double s = std::sqrt(t);
    if (s == 0) return x > 0 ? PiLiteral / 2 : -(PiLiteral / 2);
    return std::atan(checked::Div(x, s));
}

double DomainChecked(double r) {
    if (std::isnan(r)) RaiseRuntimeError(ErrInvalidCall);
    if (std::isinf(r)) RaiseRuntimeError(ErrOverflow);
    return r;
}

} // namespace

bool IsBuiltinFunction(std::string_view name) { return LookUpBuiltinFunction(name) != Fn::None; }

namespace {

// One function each, so that a compiled curve can call its function directly.
double Sin(double x) { return DomainChecked(std::sin(x)); }
double Cos(double x) { return DomainChecked(std::cos(x)); }
double Tan(double x) { return DomainChecked(std::tan(x)); }
double Cot(double x) { return checked::Div(1, std::tan(x)); }
double Sec(double x) { return checked::Div(1, std::cos(x)); }
double Csc(double x) { return checked::Div(1, std::sin(x)); }
double ArcCos(double x) {
    if (x == 1) return 0;
    if (x == -1) return PiLiteral;
    return checked::Sub(PiLiteral / 2, ArcSinSteps(x));
}
double ArcTan(double x) { return std::atan(x); }
double ArcCot(double x) { return checked::Sub(PiLiteral / 2, std::atan(x)); }
double R2D(double x) { return checked::Div(checked::Mul(x, 180), PiLiteral); }
double D2R(double x) { return checked::Div(checked::Mul(x, PiLiteral), 180); }
double Abs(double x) { return std::fabs(x); }
double Sqr(double x) {
    if (x < 0) RaiseRuntimeError(ErrInvalidCall);
    return std::sqrt(x);
}
double Log(double x) {
    if (x <= 0) RaiseRuntimeError(ErrInvalidCall);
    return std::log(x);
}
double Log10(double x) {
    const double ln10 = std::log(10.0);
    if (x <= 0) RaiseRuntimeError(ErrInvalidCall);
    return checked::Div(std::log(x), ln10);
}
double Fix(double x) { return std::trunc(x); }
double Sgn(double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }
double Exp(double x) { return DomainChecked(std::exp(x)); }
[[noreturn]] double NoFunction(double) { RaiseRuntimeError(ErrInvalidCall); }

// In the order of the enumeration.
constexpr BuiltinFunctionPointer Functions[] = {
    Sin, Cos, Tan, Cot, Sec,   Csc, ArcSinSteps, ArcCos,     ArcTan, ArcCot,    R2D,
    D2R, Abs, Sqr, Log, Log10, Fix, Sgn,         NoFunction, Exp,    NoFunction};
static_assert(std::size(Functions) == static_cast<size_t>(Fn::None) + 1);

// The quiet forms: plain arithmetic, whose infinities and NaNs fall where the checks raise.
constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();
double QuietArcSin(double x) {
    const double t = -(x * x) + 1;
    if (t < 0) return NotANumber;
    const double s = std::sqrt(t);
    if (s == 0) return x > 0 ? PiLiteral / 2 : -(PiLiteral / 2);
    return std::atan(x / s);
}
double QuietSin(double x) { return std::sin(x); }
double QuietCos(double x) { return std::cos(x); }
double QuietTan(double x) { return std::tan(x); }
double QuietCot(double x) { return 1 / std::tan(x); }
double QuietSec(double x) { return 1 / std::cos(x); }
double QuietCsc(double x) { return 1 / std::sin(x); }
double QuietArcCos(double x) {
    if (x == 1) return 0;
    if (x == -1) return PiLiteral;
    return PiLiteral / 2 - QuietArcSin(x);
}
double QuietArcCot(double x) { return PiLiteral / 2 - std::atan(x); }
double QuietR2D(double x) { return x * 180 / PiLiteral; }
double QuietD2R(double x) { return x * PiLiteral / 180; }
double QuietSqr(double x) { return x < 0 ? NotANumber : std::sqrt(x); }
double QuietLog(double x) { return x <= 0 ? NotANumber : std::log(x); }
double QuietLog10(double x) { return x <= 0 ? NotANumber : std::log(x) / std::log(10.0); }
double QuietExp(double x) { return std::exp(x); }
double QuietNone(double) { return NotANumber; }

constexpr BuiltinFunctionPointer QuietFunctions[] = {
    QuietSin,    QuietCos,   QuietTan,    QuietCot, QuietSec,  QuietCsc, QuietArcSin,
    QuietArcCos, ArcTan,     QuietArcCot, QuietR2D, QuietD2R,  Abs,      QuietSqr,
    QuietLog,    QuietLog10, Fix,         Sgn,      QuietNone, QuietExp, QuietNone};
static_assert(std::size(QuietFunctions) == std::size(Functions));

} // namespace

BuiltinFunctionPointer BuiltinFunctionCode(BuiltinFunction fn) {
    return Functions[static_cast<size_t>(fn)];
}

BuiltinFunctionPointer BuiltinQuietCode(BuiltinFunction fn) {
    return QuietFunctions[static_cast<size_t>(fn)];
}

double BuiltinValue(BuiltinFunction fn, double x) { return BuiltinFunctionCode(fn)(x); }

double BuiltinSlope(BuiltinFunction fn, double x, double y) {
    constexpr double NoSlope = std::numeric_limits<double>::quiet_NaN();
    const auto arcSlope = [x] { return 1 / std::sqrt((1 - x) * (1 + x)); };
    switch (fn) {
    case Fn::Sin: return std::cos(x);
    case Fn::Cos: return -std::sin(x);
    case Fn::Tan: return 1 + y * y;
    case Fn::Cot: return -(1 + y * y);
    case Fn::Sec: return y * std::tan(x);
    case Fn::Csc: return -y / std::tan(x);
    case Fn::ArcSin: return arcSlope();
    case Fn::ArcCos: return -arcSlope();
    case Fn::ArcTan: return 1 / (1 + x * x);
    case Fn::ArcCot: return -1 / (1 + x * x);
    case Fn::R2D: return 180 / PiLiteral;
    case Fn::D2R: return PiLiteral / 180;
    case Fn::Abs: return x > 0 ? 1 : x < 0 ? -1 : NoSlope;
    case Fn::Sqr: return 0.5 / y;
    case Fn::Log: return 1 / x;
    case Fn::Log10: return 1 / (x * std::log(10.0));
    case Fn::Fix: return x == std::trunc(x) ? NoSlope : 0;
    case Fn::Sgn: return x == 0 ? NoSlope : 0;
    case Fn::Exp: return y;
    case Fn::Rnd:
    case Fn::None: break;
    }
    return NoSlope;
}

} // namespace orbiplot
