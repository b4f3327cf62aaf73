#include "calc/LineCalculators.h"

#include "base/NumberFormat.h"
#include "base/TextEncoding.h"

#include <cmath>
#include <limits>

namespace orbiplot {

namespace {

constexpr const char* AppTitle = "Orbiplot";

// Rounds a double intermediate to single precision; a value beyond its range is an overflow,
// never an infinity shown to the user.
float Single(double value) {
    const float single = static_cast<float>(value);
    if (!std::isfinite(single)) RaiseRuntimeError(ErrOverflow);
    return single;
}

// The single's text, with no sign on a zero.
std::string Text(float value) { return GeneralTextSingle(value == 0 ? 0.0f : value); }

std::string ResultNumber(float value) { return FormatSingle(value, "0.0#######"); }

// Reads one box: false when it holds no number; a number too large for a single raises.
bool ReadBox(const std::string& text, float& value) {
    if (!IsNumericText(text)) return false;
    value = TextToSingle(text);
    return true;
}

CalcOutcome Invalid(int box) {
    CalcOutcome outcome;
    outcome.Message =
        MessageRequest{MsgIcon::Exclamation, MsgButtons::OK, MsgResult::OK, AppTitle, "非法数值。"};
    outcome.Output = "非法数值。";
    outcome.Focus = box;
    return outcome;
}

CalcOutcome Degenerate(int aBox) {
    CalcOutcome outcome;
    outcome.Message = MessageRequest{MsgIcon::Exclamation, MsgButtons::OK, MsgResult::OK, AppTitle,
                                     "注意：在直线方程 A*x+B*y+c=0 中 A，B不全为零。"};
    outcome.Output = "注意：在直线方程 A*x+B*y+c=0 中 A，B不全为零(A*A+B*B<>0)。";
    outcome.Focus = aBox;
    return outcome;
}

CalcOutcome Failed(const AppError& error, std::optional<int> box) {
    CalcOutcome outcome;
    outcome.Error = error;
    outcome.Focus = box;
    return outcome;
}

bool Degenerates(float a, float b) {
    return Single(static_cast<double>(b) * b + static_cast<double>(a) * a) == 0;
}

} // namespace

int ReadInputs(const PLInputs& texts, PLValues& values, int& overflowBox) {
    const std::vector<std::string> parts = Split(texts[0], ',');
    if (parts.size() != 2) return 0;
    overflowBox = 0;
    if (!ReadBox(parts[0], values.x0) || !ReadBox(parts[1], values.y0)) return 0;
    float* targets[] = {&values.A, &values.B, &values.C};
    for (int i = 1; i <= 3; ++i) {
        overflowBox = i;
        if (!ReadBox(texts[static_cast<size_t>(i)], *targets[i - 1])) return i;
    }
    return -1;
}

int ReadInputs(const LLInputs& texts, LLValues& values, int& overflowBox) {
    float* targets[] = {&values.A1, &values.B1, &values.C1, &values.A2, &values.B2, &values.C2};
    for (int i = 1; i <= 6; ++i) {
        overflowBox = i;
        if (!ReadBox(texts[static_cast<size_t>(i)], *targets[i - 1])) return i;
    }
    return -1;
}

std::string SignedText(float value) { return value >= 0 ? "+" + Text(value) : Text(value); }

std::string LineText(float a, float b, float c) {
    return Text(a) + "*x" + SignedText(b) + "*y" + SignedText(c) + "=0";
}

namespace {

// Reads the boxes, then answers from their values; a failure on the way is the outcome.
template <class Inputs, class Values, class Answer>
CalcOutcome Compute(const Inputs& texts, const Answer& answer) {
    Values v;
    int box = 0;
    try {
        if (const int invalid = ReadInputs(texts, v, box); invalid != -1) return Invalid(invalid);
    } catch (const AppError& error) {
        return Failed(error, box);
    }
    try {
        return answer(v);
    } catch (const AppError& error) {
        return Failed(error, std::nullopt);
    }
}

} // namespace

CalcOutcome ComputePointLine(const PLInputs& texts) {
    return Compute<PLInputs, PLValues>(texts, [](const PLValues& v) {
        if (Degenerates(v.A, v.B)) return Degenerate(1);
        const std::string line = LineText(v.A, v.B, v.C);
        const double a = v.A, b = v.B, c = v.C;
        const float d = Single(std::fabs((b * v.y0 + a * v.x0) + c) / std::sqrt(a * a + b * b));
        const std::string point = "点 P(" + Text(v.x0) + "," + Text(v.y0) + ")";
        CalcOutcome outcome;
        outcome.Output = d == 0
                             ? point + " 在直线 L:" + line + " 上。"
                             : point + " 到直线 L:" + line + " 的距离为 " + ResultNumber(d) + " 。";
        outcome.Focus = CalcOutcome::FocusOutput;
        return outcome;
    });
}

CalcOutcome ComputeLineLine(const LLInputs& texts) {
    return Compute<LLInputs, LLValues>(texts, [](const LLValues& v) {
        if (Degenerates(v.A1, v.B1)) return Degenerate(1);
        if (Degenerates(v.A2, v.B2)) return Degenerate(4);
        const double a1 = v.A1, b1 = v.B1, c1 = v.C1, a2 = v.A2, b2 = v.B2, c2 = v.C2;
        const std::string lines =
            "直线 L1:" + LineText(v.A1, v.B1, v.C1) + " 与直线 L2:" + LineText(v.A2, v.B2, v.C2);
        CalcOutcome outcome;
        outcome.Focus = CalcOutcome::FocusOutput;
        if (Single(b2 * a1 - a2 * b1) != 0) {
            const float x = Single((c2 * b1 - c1 * b2) / (a1 * b2 - a2 * b1));
            const float y = Single((c1 * a2 - c2 * a1) / (b2 * a1 - b1 * a2));
            outcome.Output =
                lines + "相交于点 P(" + ResultNumber(x) + "," + ResultNumber(y) + ") 。";
            return outcome;
        }
        bool coincident;
        float d = 0;
        if (v.B1 == 0 && v.B2 == 0) {
            // Both vertical: x = -C1/A1 and x = -C2/A2.
            coincident = a1 * c2 == a2 * c1;
            if (!coincident) d = Single(std::fabs(c1 / a1 - c2 / a2));
        } else {
            coincident = Single(c2 * b1 - b2 * c1) == 0;
            if (!coincident) {
                const double y1 = Single(-c1 / b1); // where L1 meets the y axis
                d = Single(std::fabs(b2 * y1 + c2) / std::sqrt(b2 * b2 + a2 * a2));
            }
        }
        outcome.Output =
            coincident ? lines + " 重合。" : lines + " 平行，其距离为 d=" + ResultNumber(d) + " 。";
        return outcome;
    });
}

MessageRequest CalculatorAbout(const std::string& calculatorName) {
    return {MsgIcon::Information, MsgButtons::OK, MsgResult::OK, "关于...",
            calculatorName +
                " for Orbiplot\n\n版本 0.1\n本计算器是 Orbiplot 的一部分，可自由使用。"};
}

} // namespace orbiplot
