#pragma once

#include "expr/BuiltinFunctions.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbiplot {

class clsExpressionParser;

// The text substituted for a curve's variable: "0.0###", a negative value in parentheses so
// that a sign before the variable stays valid (-x, 2^-x).
std::string SampleValueText(float value);

// The number that text stands for, as k / 10000: k itself, worked out without the text;
// NoTenThousandths where k could not be held exactly in a double.
inline constexpr int64_t NoTenThousandths = std::numeric_limits<int64_t>::min();
int64_t SampleValueTenThousandths(float value);

// One curve's expression, read once per redraw into a program for its variable. Value(v)
// is exactly what parsing the expression with SampleValueText(v) substituted would give:
// the same double, or the same error (number, description, source and position), which
// it gets by running the sample through the text path. Texts whose reading could depend on
// the value substituted, and those using RND, always take the text path.
class CurveEvaluator {
public:
    CurveEvaluator(clsExpressionParser& parser, std::string expression, std::string varName);

    double Value(float v);
    bool IsCompiled() const { return !program_.empty(); }

    // Value(v), or nothing where it fails with an arithmetic error (a function outside its
    // domain, a division by zero, an overflow): such a sample is left out, and the curve
    // goes on. Any other failure (one the text itself causes) is raised as Value raises it.
    std::optional<double> DefinedValue(float v);
    // ExactValue without raising: nothing where it would raise. Compiled texts only.
    std::optional<double> QuietExactValue(double v);

    // The text path alone, the reference the program must match.
    double TextValue(float v) const;

    // The curve's own function at an exact argument, not rounded to a value text: what
    // finding a curve's points needs. Only a compiled text has it (call IsCompiled first);
    // raises what the evaluation raises.
    double ExactValue(double v) { return Run(v); }
    // The value there and the derivative of the function: each operation's rule applied as
    // the program runs. The derivative is not a number where the function has none (the
    // corner of Abs); the value and what is raised are ExactValue's.
    struct ValueAndSlope {
        double Value;
        double Slope;
    };
    ValueAndSlope ExactSlope(double v);

    // A binary operation takes its right operand from the stack, from its own number or
    // from the variable.
    enum class Op : uint8_t {
        Number,
        Variable,
        Negate,
        Function,
        Add,
        AddNumber,
        AddVariable,
        Subtract,
        SubtractNumber,
        SubtractVariable,
        Multiply,
        MultiplyNumber,
        MultiplyVariable,
        Divide,
        DivideNumber,
        DivideVariable,
        Power,
        PowerNumber,
        PowerVariable,
    };
    struct Instruction {
        Op op;
        double number = 0;
        BuiltinFunctionPointer function = nullptr;
        BuiltinFunction builtin = BuiltinFunction::None;
        BuiltinFunctionPointer quiet = nullptr; // the function's form that never raises
    };

private:
    double Run(double x);
    // Run without raising: false where Run would raise.
    bool QuietRun(double x, double& result);

    clsExpressionParser& parser_;
    std::string expression_;
    std::string var_;
    std::vector<Instruction> program_;
    std::vector<double> stack_;
    std::vector<ValueAndSlope> slopeStack_;
    // The last value worked out and its sample's value text, as ten-thousandths: samples
    // closer than the text's last digit (every few of them beyond 10000) share it.
    int64_t lastTenThousandths_ = NoTenThousandths;
    double lastValue_ = 0;
    bool lastFailed_ = false; // the last value failed (only DefinedValue keeps failures)
    // A part of the text without the variable fails: every value fails, because of the text.
    bool failsAtEveryValue_ = false;
};

} // namespace orbiplot
