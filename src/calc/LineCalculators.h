#pragma once

#include "base/AppError.h"
#include "base/Seams.h"

#include <array>
#include <optional>
#include <string>

namespace orbiplot {

// What pressing compute in a line calculator does: the new output text (none keeps the old
// one), a message box, an error for the shared report, and where the focus goes.
struct CalcOutcome {
    static constexpr int FocusOutput = -1;

    std::optional<std::string> Output;
    std::optional<MessageRequest> Message;
    std::optional<AppError> Error;
    // A box index of txtValue, FocusOutput, or none (the focus stays).
    std::optional<int> Focus;
};

inline constexpr const char* CalculatorInitialOutput = "请输入数值.";

// The boxes of the point-line dialog: 0 the point "x,y", 1..3 A, B, C.
using PLInputs = std::array<std::string, 4>;
// The boxes of the line-line dialog: 1..6 A1, B1, C1, A2, B2, C2; box 0 is unused.
using LLInputs = std::array<std::string, 7>;

struct PLValues {
    float x0 = 0, y0 = 0, A = 0, B = 0, C = 0;
};
struct LLValues {
    float A1 = 0, B1 = 0, C1 = 0, A2 = 0, B2 = 0, C2 = 0;
};

// -1 when every box holds a number (the values are then stored), else the index of the first
// box that does not. A number beyond the single range raises overflow (6); overflowBox then
// names its box.
int ReadInputs(const PLInputs& texts, PLValues& values, int& overflowBox);
int ReadInputs(const LLInputs& texts, LLValues& values, int& overflowBox);

// "+" and the single's text for a value >= 0, the text alone for a negative one.
std::string SignedText(float value);
// A*x+B*y+C=0 as the calculators write it.
std::string LineText(float a, float b, float c);

CalcOutcome ComputePointLine(const PLInputs& texts);
CalcOutcome ComputeLineLine(const LLInputs& texts);

// The right-click about box of a calculator: its name line, an empty line, the version and a
// notice.
MessageRequest CalculatorAbout(const std::string& calculatorName);

} // namespace orbiplot
