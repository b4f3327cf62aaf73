#include "base/AppError.h"
#include "base/RandomSource.h"
#include "base/TextEncoding.h"
#include "expr/CheckedMath.h"
#include "expr/clsExpressionParser.h"

#include <array>
#include <cmath>

namespace orbiplot {

namespace {

// Every angle constant is derived from this literal, not from a more precise pi.
constexpr double PiLiteral = 3.14159265358979;

enum class Fn {
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

Fn LookUp(std::string_view name) {
    name = TrimBlanks(name);
    if (name.size() > 6) return Fn::None;
    char upper[6];
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const std::string_view key(upper, name.size());
    for (const NameEntry& entry : FunctionNames)
        if (entry.name == key) return entry.fn;
    return Fn::None;
}

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

bool IsBuiltinFunction(std::string_view name) { return LookUp(name) != Fn::None; }

double clsExpressionParser::CallBuiltinFunction(std::string_view name, double x) {
    try {
        switch (LookUp(name)) {
        case Fn::None: Raise(ParseUnknownFunction, "函数 " + std::string(name) + " 不存在");
        case Fn::Sin: return DomainChecked(std::sin(x));
        case Fn::Cos: return DomainChecked(std::cos(x));
        case Fn::Tan: return DomainChecked(std::tan(x));
        case Fn::Cot: return checked::Div(1, std::tan(x));
        case Fn::Sec: return checked::Div(1, std::cos(x));
        case Fn::Csc: return checked::Div(1, std::sin(x));
        case Fn::ArcSin: return ArcSinSteps(x);
        case Fn::ArcCos:
            if (x == 1) return 0;
            if (x == -1) return PiLiteral;
            return checked::Sub(PiLiteral / 2, ArcSinSteps(x));
        case Fn::ArcTan: return std::atan(x);
        case Fn::ArcCot: return checked::Sub(PiLiteral / 2, std::atan(x));
        case Fn::R2D: return checked::Div(checked::Mul(x, 180), PiLiteral);
        case Fn::D2R: return checked::Div(checked::Mul(x, PiLiteral), 180);
        case Fn::Abs: return std::fabs(x);
        case Fn::Sqr:
            if (x < 0) RaiseRuntimeError(ErrInvalidCall);
            return std::sqrt(x);
        case Fn::Log:
            if (x <= 0) RaiseRuntimeError(ErrInvalidCall);
            return std::log(x);
        case Fn::Log10: {
            const double ln10 = std::log(10.0);
            if (x <= 0) RaiseRuntimeError(ErrInvalidCall);
            return checked::Div(std::log(x), ln10);
        }
        case Fn::Fix: return std::trunc(x);
        case Fn::Sgn: return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0;
        case Fn::Rnd: return Rnd(x);
        case Fn::Exp: return DomainChecked(std::exp(x));
        }
        RaiseRuntimeError(ErrInvalidCall);
    } catch (AppError& error) {
        TraceErrorSource(error, "CallBuiltinFunction");
        throw;
    }
}

double clsExpressionParser::Rnd(double x) {
    static DefaultRandomSource fallback;
    RandomSource& source = random_ ? *random_ : fallback;
    if (x < 0) {
        source.Reseed(x);
        lastRandom_ = source.Next();
    } else if (x > 0 || !haveRandom_) {
        lastRandom_ = source.Next();
    }
    haveRandom_ = true;
    return static_cast<double>(lastRandom_);
}

} // namespace orbiplot
