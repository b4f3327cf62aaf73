#include "expr/CurveEvaluator.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/TextEncoding.h"
#include "expr/CheckedMath.h"
#include "expr/clsExpressionParser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace orbiplot {

std::string SampleValueText(float value) {
    std::string text = FormatSingle(value, "0.0###");
    if (text[0] == '-') return "(" + text + ")";
    return text;
}

namespace {

// The value text is the single's 7-digit general text (rounded half to even from the exact
// binary value) rounded again to four places, half away from zero. Both roundings are
// redone here on integers.

constexpr int MinExponent = -5; // 10^-5 <= |v| below the zero cut-off
constexpr int MaxExponent = 11; // |v| < 9e11 keeps k below 2^53
constexpr std::array<double, 18> PowersOfTen{1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1,  1e2,  1e3,
                                             1e4,  1e5,  1e6,  1e7,  1e8,  1e9, 1e10, 1e11, 1e12};
double PowerOfTen(int e) { return PowersOfTen[static_cast<size_t>(e - MinExponent)]; }

constexpr std::array<uint64_t, 12> IntegerPowersOfTen{
    1,       10,       100,       1000,       10000,       100000,
    1000000, 10000000, 100000000, 1000000000, 10000000000, 100000000000};
constexpr std::array<uint64_t, 12> PowersOfFive{1,     5,     25,     125,     625,     3125,
                                                15625, 78125, 390625, 1953125, 9765625, 48828125};

// n / 2^s rounded half to even.
uint64_t ShiftRoundedToEven(uint64_t n, int s) {
    if (s <= 0) return n << -s;
    const uint64_t q = n >> s;
    const uint64_t r = n - (q << s);
    const uint64_t half = uint64_t{1} << (s - 1);
    return (r > half || (r == half && (q & 1))) ? q + 1 : q;
}

// n / d rounded half to even.
uint64_t DivideRoundedToEven(uint64_t n, uint64_t d) {
    const uint64_t q = n / d;
    const uint64_t r = n - q * d;
    return (2 * r > d || (2 * r == d && (q & 1))) ? q + 1 : q;
}

// For |v| of a given binary exponent: how far, in ten-thousandths, the 7-digit rounding can
// move the value at most (half a unit of the 7th digit, from the largest decimal exponent the
// binary one allows, with a margin).
const std::array<double, 256>& SevenDigitReach() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const double e = std::floor((b - 126) * std::log10(2.0));
            t[static_cast<size_t>(b)] = 0.5 * std::pow(10.0, e - 2) * 1.01;
        }
        return t;
    }();
    return table;
}

uint64_t ExactTenThousandths(float a) {
    uint32_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const auto mantissa = static_cast<uint64_t>((bits & 0x7FFFFF) | 0x800000);
    const int binaryExponent = static_cast<int>((bits >> 23) & 0xFF) - 150; // a = m * 2^be
    const double exact = a;
    // |a| lies in [2^b, 2^(b+1)): its decimal exponent is floor(b log10 2) or one more.
    static const std::array<int8_t, 256> lowest = [] {
        std::array<int8_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<size_t>(b)] = static_cast<int8_t>(std::clamp(
                std::floor((b - 127) * std::log10(2.0)), double{MinExponent}, double{MaxExponent}));
        return t;
    }();
    int e = lowest[bits >> 23];
    if (e < MaxExponent && exact >= PowerOfTen(e + 1)) ++e;
    const int p = 6 - e; // the 7 digits are a * 10^p
    uint64_t digits;
    if (p >= 0)
        digits = ShiftRoundedToEven(mantissa * PowersOfFive[static_cast<size_t>(p)],
                                    -(binaryExponent + p));
    else
        digits = DivideRoundedToEven(mantissa << binaryExponent,
                                     IntegerPowersOfTen[static_cast<size_t>(-p)]);
    if (p <= 4) return digits * IntegerPowersOfTen[static_cast<size_t>(4 - p)];
    const uint64_t unit = IntegerPowersOfTen[static_cast<size_t>(p - 4)];
    return (digits + unit / 2) / unit;
}

} // namespace

int64_t SampleValueTenThousandths(float value) {
    const float a = std::fabs(value);
    // Below this even the 7-digit text rounds to 0.0 (and a denormal has no implicit bit).
    if (a < 4.99e-5f) return 0;
    if (!(a < 9.0e11f)) return NoTenThousandths;
    const double t = static_cast<double>(a) * 10000.0; // exact: 24 bits times 14
    const auto whole = static_cast<uint64_t>(t);
    const double fraction = t - static_cast<double>(whole);
    uint32_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    uint64_t k;
    if (std::fabs(fraction - 0.5) > SevenDigitReach()[bits >> 23])
        k = whole + (fraction > 0.5 ? 1 : 0);
    else
        k = ExactTenThousandths(a);
    const auto signedK = static_cast<int64_t>(k);
    return value < 0 ? -signedK : signedK;
}

namespace {

using Op = CurveEvaluator::Op;
using Instruction = CurveEvaluator::Instruction;

// The text cannot be compiled; the curve takes the text path.
struct NotCompiled {};

// The longest value text of a sample the program takes: "(-900719925474.0991)".
constexpr size_t LongestValueText = 20;
constexpr size_t MaxSubstitutionPosition = 32767;

// True when substituting any value text leaves every other token as it was: the
// occurrences replaced are one-letter names of their own, and every occurrence of the
// letter stays within the substitution's positions however long the value texts before it.
bool SubstitutionKeepsTokens(std::string_view text, char var) {
    size_t replaced = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) return false;
        if (AsciiLower(c) != var) continue;
        if (i + 1 + replaced * (LongestValueText - 1) > MaxSubstitutionPosition) return false;
        const char before = i > 0 ? text[i - 1] : ' ';
        const char after = i + 1 < text.size() ? text[i + 1] : ' ';
        if (IsAsciiLetter(before) || IsAsciiLetter(after)) continue;
        if (IsNameChar(before) || before == '.' || IsNameChar(after) || after == '.') return false;
        ++replaced;
    }
    return true;
}

// The three forms of each binary operator: right operand from the stack, from the
// instruction's own number, or the variable.
struct BinaryForms {
    Op onStack, withNumber, withVariable;
};
BinaryForms FormsOf(Operator op) {
    switch (op) {
    case Operator::Plus: return {Op::Add, Op::AddNumber, Op::AddVariable};
    case Operator::Minus: return {Op::Subtract, Op::SubtractNumber, Op::SubtractVariable};
    case Operator::Times: return {Op::Multiply, Op::MultiplyNumber, Op::MultiplyVariable};
    case Operator::Divide: return {Op::Divide, Op::DivideNumber, Op::DivideVariable};
    case Operator::Power: return {Op::Power, Op::PowerNumber, Op::PowerVariable};
    default: throw NotCompiled{};
    }
}

// Reading as compiling: the parser's grammar, each part emitted in postfix order. Anything
// the parser would reject, and anything whose value is not fixed while the curve is drawn,
// stops the compilation.
class Compilation {
public:
    struct Emitted {};
    using Result = Emitted;

    Compilation(const clsExpressionParser& parser, char var) : parser_(parser), var_(var) {}

    std::vector<Instruction> Compile(std::string_view text) {
        ExpressionGrammar<Compilation>(text, *this).Read();
        return std::move(program_);
    }

    Emitted Number(std::string_view digits) {
        program_.push_back({Op::Number, ConvertNumber(digits)});
        return {};
    }
    Emitted Name(std::string_view name, int nesting) {
        if (name.size() == 1 && AsciiLower(name[0]) == var_) {
            // A negative value text is one more level of parentheses.
            if (nesting >= MaxNestingDepth) throw NotCompiled{};
            program_.push_back({Op::Variable});
            return {};
        }
        const std::optional<double> constant = parser_.ConstantValue(name);
        if (!constant) throw NotCompiled{};
        program_.push_back({Op::Number, *constant});
        return {};
    }
    Emitted Call(std::string_view name, Emitted) {
        // Unknown names (the variable before "(" among them) and RND take the text path.
        const BuiltinFunction fn = LookUpBuiltinFunction(name);
        if (fn == BuiltinFunction::None || fn == BuiltinFunction::Rnd) throw NotCompiled{};
        EmitUnary({Op::Function, 0, BuiltinFunctionCode(fn), fn, BuiltinQuietCode(fn)});
        return {};
    }
    Emitted Binary(Operator op, Emitted, Emitted) {
        // Parts without the variable are worked out once, by the same operations.
        if (LastIs(Op::Number) && LastIs(Op::Number, 2)) {
            const double b = program_.back().number;
            program_.pop_back();
            double& a = program_.back().number;
            a = ApplyOperator(op, a, b);
            return {};
        }
        const BinaryForms forms = FormsOf(op);
        if (LastIs(Op::Number))
            program_.back().op = forms.withNumber;
        else if (LastIs(Op::Variable))
            program_.back().op = forms.withVariable;
        else
            program_.push_back({forms.onStack});
        return {};
    }
    Emitted Signed(bool negative, Emitted) {
        if (negative) EmitUnary({Op::Negate});
        return {};
    }
    template <class F> Emitted Step(const char*, F&& step) { return step(); }
    [[noreturn]] void Fail(int, std::string) { throw NotCompiled{}; }
    [[noreturn]] void TooDeep() { throw NotCompiled{}; }

private:
    bool LastIs(Op op, size_t back = 1) const {
        return program_.size() >= back && program_[program_.size() - back].op == op;
    }

    void EmitUnary(Instruction in) {
        if (!LastIs(Op::Number)) {
            program_.push_back(in);
            return;
        }
        double& x = program_.back().number;
        x = in.op == Op::Negate ? -1.0 * x : in.function(x);
    }

    const clsExpressionParser& parser_;
    char var_;
    std::vector<Instruction> program_;
};

size_t StackDepth(const std::vector<Instruction>& program) {
    size_t depth = 0, deepest = 0;
    for (const Instruction& in : program) {
        switch (in.op) {
        case Op::Number:
        case Op::Variable: deepest = std::max(deepest, ++depth); break;
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide:
        case Op::Power: --depth; break;
        default: break;
        }
    }
    return deepest;
}

} // namespace

CurveEvaluator::CurveEvaluator(clsExpressionParser& parser, std::string expression,
                               std::string varName)
    : parser_(parser), expression_(std::move(expression)), var_(std::move(varName)) {
    if (var_.size() != 1 || !IsAsciiLetter(var_[0])) return;
    const char var = AsciiLower(var_[0]);
    if (!SubstitutionKeepsTokens(expression_, var)) return;
    try {
        program_ = Compilation(parser_, var).Compile(expression_);
        stack_.resize(StackDepth(program_));
    } catch (const NotCompiled&) {
        program_.clear();
    } catch (const AppError&) {
        // A part without the variable fails whatever the value: the text path reports it.
        program_.clear();
        failsAtEveryValue_ = true;
    }
}

double CurveEvaluator::TextValue(float v) const {
    return parser_.ParseExpression(SubstituteVariable(expression_, var_, SampleValueText(v)));
}

double CurveEvaluator::Value(float v) {
    if (!program_.empty()) {
        if (const int64_t k = SampleValueTenThousandths(v); k != NoTenThousandths) {
            if (k == lastTenThousandths_ && !lastFailed_) return lastValue_;
            try {
                lastValue_ = Run(static_cast<double>(k) / 10000.0);
                lastTenThousandths_ = k;
                return lastValue_;
            } catch (const AppError&) {
                // The text path raises the same failure with its position and trace.
            }
        }
    }
    return TextValue(v);
}

std::optional<double> CurveEvaluator::DefinedValue(float v) {
    if (!program_.empty()) {
        if (const int64_t k = SampleValueTenThousandths(v); k != NoTenThousandths) {
            if (k != lastTenThousandths_) {
                lastFailed_ = !QuietRun(static_cast<double>(k) / 10000.0, lastValue_);
                lastTenThousandths_ = k;
            }
            if (lastFailed_) return std::nullopt;
            return lastValue_;
        }
    }
    try {
        return TextValue(v);
    } catch (const AppError& e) {
        if (IsArithmeticError(e.Number) && !failsAtEveryValue_) return std::nullopt;
        throw;
    }
}

std::optional<double> CurveEvaluator::QuietExactValue(double v) {
    double result;
    if (program_.empty() || !QuietRun(v, result)) return std::nullopt;
    return result;
}

bool CurveEvaluator::QuietRun(double x, double& result) {
    // The checked operations raise exactly where the plain ones give no finite number (the
    // operands being finite), so one test after each step stands for all their checks.
    double* top = stack_.data() - 1;
#define ORBIPLOT_BINARY(name, apply)                                                               \
    case Op::name: --top, top[0] = top[0] apply top[1]; break;                                     \
    case Op::name##Number: top[0] = top[0] apply in.number; break;                                 \
    case Op::name##Variable: top[0] = top[0] apply x; break;
    for (const Instruction& in : program_) {
        switch (in.op) {
        case Op::Number: *++top = in.number; break;
        case Op::Variable: *++top = x; break;
        case Op::Negate: *top = -1.0 * *top; break;
        case Op::Function:
            *top = in.quiet(*top);
            break;
            ORBIPLOT_BINARY(Add, +)
            ORBIPLOT_BINARY(Subtract, -)
            ORBIPLOT_BINARY(Multiply, *)
            ORBIPLOT_BINARY(Divide, /)
        case Op::Power: --top, top[0] = std::pow(top[0], top[1]); break;
        case Op::PowerNumber: top[0] = std::pow(top[0], in.number); break;
        case Op::PowerVariable: top[0] = std::pow(top[0], x); break;
        }
        if (!std::isfinite(*top)) return false;
    }
#undef ORBIPLOT_BINARY
    result = *top;
    return true;
}

double CurveEvaluator::Run(double x) {
    double* top = stack_.data() - 1;
#define ORBIPLOT_BINARY(name, apply)                                                               \
    case Op::name: --top, top[0] = apply(top[0], top[1]); break;                                   \
    case Op::name##Number: top[0] = apply(top[0], in.number); break;                               \
    case Op::name##Variable: top[0] = apply(top[0], x); break;
    for (const Instruction& in : program_) {
        switch (in.op) {
        case Op::Number: *++top = in.number; break;
        case Op::Variable: *++top = x; break;
        case Op::Negate: *top = -1.0 * *top; break;
        case Op::Function:
            *top = in.function(*top);
            break;
            ORBIPLOT_BINARY(Add, checked::Add)
            ORBIPLOT_BINARY(Subtract, checked::Sub)
            ORBIPLOT_BINARY(Multiply, checked::Mul)
            ORBIPLOT_BINARY(Divide, checked::Div)
            ORBIPLOT_BINARY(Power, checked::Pow)
        }
    }
#undef ORBIPLOT_BINARY
    return *top;
}

namespace {

using Dual = CurveEvaluator::ValueAndSlope;

// The rules of the derivative; the values by the same checked operations as Run.
Dual Apply(Op op, Dual a, Dual b) {
    switch (op) {
    case Op::Add: return {checked::Add(a.Value, b.Value), a.Slope + b.Slope};
    case Op::Subtract: return {checked::Sub(a.Value, b.Value), a.Slope - b.Slope};
    case Op::Multiply:
        return {checked::Mul(a.Value, b.Value), a.Slope * b.Value + a.Value * b.Slope};
    case Op::Divide: {
        const double q = checked::Div(a.Value, b.Value);
        return {q, (a.Slope - q * b.Slope) / b.Value};
    }
    default: {
        const double p = checked::Pow(a.Value, b.Value);
        // A fixed exponent has the rule for any base; a varying one needs a positive base.
        if (b.Slope != 0)
            return {p, a.Value > 0 ? p * (b.Slope * std::log(a.Value) + b.Value * a.Slope / a.Value)
                                   : std::numeric_limits<double>::quiet_NaN()};
        return {p, a.Slope == 0 ? 0 : b.Value * std::pow(a.Value, b.Value - 1) * a.Slope};
    }
    }
}

} // namespace

CurveEvaluator::ValueAndSlope CurveEvaluator::ExactSlope(double x) {
    if (program_.empty()) return {std::nan(""), std::nan("")};
    slopeStack_.resize(stack_.size());
    Dual* top = slopeStack_.data() - 1;
    for (const Instruction& in : program_) {
        switch (in.op) {
        case Op::Number: *++top = {in.number, 0}; break;
        case Op::Variable: *++top = {x, 1}; break;
        case Op::Negate: *top = {-1.0 * top->Value, -top->Slope}; break;
        case Op::Function: {
            const double y = in.function(top->Value);
            *top = {y, top->Slope == 0 ? 0 : BuiltinSlope(in.builtin, top->Value, y) * top->Slope};
            break;
        }
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide:
        case Op::Power: --top, top[0] = Apply(in.op, top[0], top[1]); break;
        case Op::AddNumber: *top = Apply(Op::Add, *top, {in.number, 0}); break;
        case Op::SubtractNumber: *top = Apply(Op::Subtract, *top, {in.number, 0}); break;
        case Op::MultiplyNumber: *top = Apply(Op::Multiply, *top, {in.number, 0}); break;
        case Op::DivideNumber: *top = Apply(Op::Divide, *top, {in.number, 0}); break;
        case Op::PowerNumber: *top = Apply(Op::Power, *top, {in.number, 0}); break;
        case Op::AddVariable: *top = Apply(Op::Add, *top, {x, 1}); break;
        case Op::SubtractVariable: *top = Apply(Op::Subtract, *top, {x, 1}); break;
        case Op::MultiplyVariable: *top = Apply(Op::Multiply, *top, {x, 1}); break;
        case Op::DivideVariable: *top = Apply(Op::Divide, *top, {x, 1}); break;
        case Op::PowerVariable: *top = Apply(Op::Power, *top, {x, 1}); break;
        }
    }
    return *top;
}

} // namespace orbiplot
