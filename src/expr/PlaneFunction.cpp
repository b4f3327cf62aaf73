#include "expr/PlaneFunction.h"

#include "base/AppError.h"
#include "base/TextEncoding.h"
#include "expr/ExpressionGrammar.h"
#include "expr/clsExpressionParser.h"

#include <boost/numeric/interval.hpp>

#include <algorithm>
#include <cmath>

namespace orbiplot {

std::optional<std::string> ImplicitFunctionText(std::string_view text) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::string(text);
    if (text.find('=', equals + 1) != std::string_view::npos) return std::nullopt;
    const std::string_view lhs = text.substr(0, equals), rhs = text.substr(equals + 1);
    const auto blank = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
    };
    if (blank(lhs) || blank(rhs)) return std::nullopt;
    return std::string(lhs) + "-(" + std::string(rhs) + ")";
}

namespace {

using Op = PlaneFunction::Op;
using Instruction = PlaneFunction::Instruction;

struct NotCompiled {};

// The parser's grammar, each part emitted in postfix order; parts without a variable are
// worked out as the parser works them out.
class PlaneCompilation {
public:
    struct Emitted {};
    using Result = Emitted;

    explicit PlaneCompilation(const clsExpressionParser& parser) : parser_(parser) {}

    std::vector<Instruction> Compile(std::string_view text) {
        ExpressionGrammar<PlaneCompilation>(text, *this).Read();
        return std::move(program_);
    }

    Emitted Number(std::string_view digits) {
        program_.push_back({Op::Number, ConvertNumber(digits)});
        return {};
    }
    Emitted Name(std::string_view name, int) {
        if (name.size() == 1 && (AsciiLower(name[0]) == 'x' || AsciiLower(name[0]) == 'y')) {
            program_.push_back({AsciiLower(name[0]) == 'x' ? Op::X : Op::Y});
            return {};
        }
        const std::optional<double> constant = parser_.ConstantValue(name);
        if (!constant) throw NotCompiled{};
        program_.push_back({Op::Number, *constant});
        return {};
    }
    Emitted Call(std::string_view name, Emitted) {
        const BuiltinFunction fn = LookUpBuiltinFunction(name);
        if (fn == BuiltinFunction::None || fn == BuiltinFunction::Rnd) throw NotCompiled{};
        if (LastIsNumber(1)) {
            double& x = program_.back().number;
            x = BuiltinFunctionCode(fn)(x);
        } else {
            program_.push_back({Op::Function, 0, fn, BuiltinQuietCode(fn)});
        }
        return {};
    }
    Emitted Binary(Operator op, Emitted, Emitted) {
        if (LastIsNumber(1) && LastIsNumber(2)) {
            const double b = program_.back().number;
            program_.pop_back();
            double& a = program_.back().number;
            a = ApplyOperator(op, a, b);
            return {};
        }
        switch (op) {
        case Operator::Plus: program_.push_back({Op::Add}); break;
        case Operator::Minus: program_.push_back({Op::Subtract}); break;
        case Operator::Times: program_.push_back({Op::Multiply}); break;
        case Operator::Divide: program_.push_back({Op::Divide}); break;
        case Operator::Power: program_.push_back({Op::Power}); break;
        default: throw NotCompiled{};
        }
        return {};
    }
    Emitted Signed(bool negative, Emitted) {
        if (!negative) return {};
        if (LastIsNumber(1))
            program_.back().number = -1.0 * program_.back().number;
        else
            program_.push_back({Op::Negate});
        return {};
    }
    template <class F> Emitted Step(const char*, F&& step) { return step(); }
    [[noreturn]] void Fail(int, std::string) { throw NotCompiled{}; }
    [[noreturn]] void TooDeep() { throw NotCompiled{}; }

private:
    bool LastIsNumber(size_t back) const {
        return program_.size() >= back && program_[program_.size() - back].op == Op::Number;
    }
    const clsExpressionParser& parser_;
    std::vector<Instruction> program_;
};

size_t StackDepth(const std::vector<Instruction>& program) {
    size_t depth = 0, deepest = 0;
    for (const Instruction& in : program) {
        if (in.op == Op::Number || in.op == Op::X || in.op == Op::Y)
            deepest = std::max(deepest, ++depth);
        else if (in.op >= Op::Add)
            --depth;
    }
    return deepest;
}

} // namespace

PlaneFunction::PlaneFunction(const clsExpressionParser& parser, std::string_view text) {
    try {
        program_ = PlaneCompilation(parser).Compile(text);
    } catch (const NotCompiled&) {
        program_.clear();
    } catch (const AppError&) {
        // A part without a variable fails whatever the point: no value anywhere.
        program_.clear();
    }
    stack_.resize(StackDepth(program_));
    duals_.resize(stack_.size());
    ranges_.resize(stack_.size());
}

std::optional<double> PlaneFunction::Value(double x, double y) {
    if (program_.empty()) return std::nullopt;
    // A step that gives no finite number is one where the parser's checked step raises.
    double* top = stack_.data() - 1;
    for (const Instruction& in : program_) {
        switch (in.op) {
        case Op::Number: *++top = in.number; break;
        case Op::X: *++top = x; break;
        case Op::Y: *++top = y; break;
        case Op::Negate: *top = -1.0 * *top; break;
        case Op::Function: *top = in.quiet(*top); break;
        case Op::Add: --top, top[0] = top[0] + top[1]; break;
        case Op::Subtract: --top, top[0] = top[0] - top[1]; break;
        case Op::Multiply: --top, top[0] = top[0] * top[1]; break;
        case Op::Divide: --top, top[0] = top[0] / top[1]; break;
        case Op::Power: --top, top[0] = std::pow(top[0], top[1]); break;
        }
        if (!std::isfinite(*top)) return std::nullopt;
    }
    return *top;
}

std::optional<PlaneFunction::WithGradient> PlaneFunction::Gradient(double x, double y) {
    if (program_.empty()) return std::nullopt;
    WithGradient* top = duals_.data() - 1;
    for (const Instruction& in : program_) {
        switch (in.op) {
        case Op::Number: *++top = {in.number, 0, 0}; break;
        case Op::X: *++top = {x, 1, 0}; break;
        case Op::Y: *++top = {y, 0, 1}; break;
        case Op::Negate: *top = {-1.0 * top->Value, -top->Dx, -top->Dy}; break;
        case Op::Function: {
            WithGradient& t = *top;
            const double v = in.quiet(t.Value);
            const double s = t.Dx == 0 && t.Dy == 0 ? 0 : BuiltinSlope(in.builtin, t.Value, v);
            t = {v, s * t.Dx, s * t.Dy};
            break;
        }
        default: {
            const WithGradient b = top[0];
            --top;
            WithGradient& a = top[0];
            switch (in.op) {
            case Op::Add: a = {a.Value + b.Value, a.Dx + b.Dx, a.Dy + b.Dy}; break;
            case Op::Subtract: a = {a.Value - b.Value, a.Dx - b.Dx, a.Dy - b.Dy}; break;
            case Op::Multiply:
                a = {a.Value * b.Value, a.Dx * b.Value + a.Value * b.Dx,
                     a.Dy * b.Value + a.Value * b.Dy};
                break;
            case Op::Divide: {
                const double q = a.Value / b.Value;
                a = {q, (a.Dx - q * b.Dx) / b.Value, (a.Dy - q * b.Dy) / b.Value};
                break;
            }
            default: {
                const double p = std::pow(a.Value, b.Value);
                if (b.Dx != 0 || b.Dy != 0) {
                    // A varying exponent needs a positive base.
                    const double l = a.Value > 0 ? std::log(a.Value) : std::nan("");
                    a = {p, p * (b.Dx * l + b.Value * a.Dx / a.Value),
                         p * (b.Dy * l + b.Value * a.Dy / a.Value)};
                } else {
                    const double d =
                        a.Dx == 0 && a.Dy == 0 ? 0 : b.Value * std::pow(a.Value, b.Value - 1);
                    a = {p, d * a.Dx, d * a.Dy};
                }
                break;
            }
            }
            break;
        }
        }
        if (!std::isfinite(top->Value)) return std::nullopt;
    }
    if (!std::isfinite(top->Dx) || !std::isfinite(top->Dy)) return std::nullopt;
    return *top;
}

namespace {

// Intervals by Boost's arithmetic without switching the processor's rounding: the bounds are
// widened by a few units in the last place at the end instead, which is all a test for a zero
// within a cell needs.
namespace iv = boost::numeric::interval_lib;
using Interval =
    boost::numeric::interval<double, iv::policies<iv::save_state_nothing<iv::rounded_transc_exact<
                                                      double, iv::rounded_arith_exact<double>>>,
                                                  iv::checking_base<double>>>;

// Each step either gives an interval or clears ok: no bounds (no value somewhere within, or a
// pole). Flags rather than exceptions, as cells near a pole ask for bounds by the thousand.
Interval Fail(bool& ok) {
    ok = false;
    return Interval(0.0);
}

Interval Reciprocal(const Interval& v, bool& ok) {
    if (boost::numeric::zero_in(v)) return Fail(ok);
    return Interval(1.0) / v;
}

Interval Call(BuiltinFunction fn, const Interval& v, bool& ok) {
    using namespace boost::numeric;
    constexpr double Pi = 3.14159265358979323846;
    const auto within = [&](double low, double high) {
        return v.lower() >= low && v.upper() <= high;
    };
    switch (fn) {
    case BuiltinFunction::Sin: return sin(v);
    case BuiltinFunction::Cos: return cos(v);
    case BuiltinFunction::Tan: return Reciprocal(cos(v), ok) * sin(v);
    case BuiltinFunction::Cot: return Reciprocal(sin(v), ok) * cos(v);
    case BuiltinFunction::Sec: return Reciprocal(cos(v), ok);
    case BuiltinFunction::Csc: return Reciprocal(sin(v), ok);
    case BuiltinFunction::ArcSin: return within(-1, 1) ? asin(v) : Fail(ok);
    case BuiltinFunction::ArcCos: return within(-1, 1) ? acos(v) : Fail(ok);
    case BuiltinFunction::ArcTan: return atan(v);
    case BuiltinFunction::ArcCot: return Interval(Pi / 2) - atan(v);
    case BuiltinFunction::R2D: return v * 180.0 / Pi;
    case BuiltinFunction::D2R: return v * Pi / 180.0;
    case BuiltinFunction::Abs: return abs(v);
    case BuiltinFunction::Sqr: return within(0, HUGE_VAL) ? sqrt(v) : Fail(ok);
    case BuiltinFunction::Log: return v.lower() > 0 ? log(v) : Fail(ok);
    case BuiltinFunction::Log10: return v.lower() > 0 ? log(v) / std::log(10.0) : Fail(ok);
    case BuiltinFunction::Fix: return Interval(std::trunc(v.lower()), std::trunc(v.upper()));
    case BuiltinFunction::Sgn:
        return Interval(v.lower() > 0   ? 1.0
                        : v.lower() < 0 ? -1.0
                                        : 0.0,
                        v.upper() > 0   ? 1.0
                        : v.upper() < 0 ? -1.0
                                        : 0.0);
    case BuiltinFunction::Exp: return exp(v);
    default: return Fail(ok);
    }
}

Interval Power(const Interval& a, const Interval& b, bool& ok) {
    using namespace boost::numeric;
    if (singleton(b) && b.lower() == std::trunc(b.lower()) && std::fabs(b.lower()) <= 1 << 20) {
        const int n = static_cast<int>(b.lower());
        if (n >= 0) return pow(a, n);
        return Reciprocal(pow(a, -n), ok);
    }
    // A power that is not a whole number needs a positive base.
    if (a.lower() <= 0) return Fail(ok);
    return exp(b * log(a));
}

} // namespace

std::optional<PlaneFunction::Bounds> PlaneFunction::Range(double x0, double x1, double y0,
                                                          double y1) {
    if (program_.empty()) return std::nullopt;
    Bounds* top = ranges_.data() - 1;
    const auto in = [](const Bounds& b) { return Interval(b.Low, b.High); };
    const auto out = [](const Interval& v) { return Bounds{v.lower(), v.upper()}; };
    bool ok = true;
    for (const Instruction& step : program_) {
        switch (step.op) {
        case Op::Number: *++top = {step.number, step.number}; continue;
        case Op::X: *++top = {std::min(x0, x1), std::max(x0, x1)}; continue;
        case Op::Y: *++top = {std::min(y0, y1), std::max(y0, y1)}; continue;
        case Op::Negate: *top = {-top->High, -top->Low}; continue;
        case Op::Function: *top = out(Call(step.builtin, in(*top), ok)); break;
        default: {
            const Interval b = in(*top--), a = in(*top);
            switch (step.op) {
            case Op::Add: *top = out(a + b); break;
            case Op::Subtract: *top = out(a - b); break;
            case Op::Multiply: *top = out(a * b); break;
            case Op::Divide: *top = out(a * Reciprocal(b, ok)); break;
            default: *top = out(Power(a, b, ok)); break;
            }
            break;
        }
        }
        if (!ok || !(std::isfinite(top->Low) && std::isfinite(top->High) && top->Low <= top->High))
            return std::nullopt;
    }
    const double slack = 16 * std::numeric_limits<double>::epsilon() *
                         std::max(std::fabs(top->Low), std::fabs(top->High));
    return Bounds{top->Low - slack, top->High + slack};
}

} // namespace orbiplot
