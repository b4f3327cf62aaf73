#pragma once

#include "base/AppError.h"

#include <optional>
#include <string>
#include <string_view>

namespace orbiplot {

class clsExpressionParser;

// The expression calculator's window state that a computation changes.
struct ExpressionCalculatorState {
    std::string ResultText;
    bool HasResult = false;
};

// What pressing compute does: the new state, the error to report, and for a syntax error
// the selection in the expression (byte offsets; empty with the caret at the end when the
// error lies past it).
struct ExpressionOutcome {
    ExpressionCalculatorState State;
    std::optional<AppError> Error;
    bool SelectError = false;
    size_t SelectionStart = 0;
    size_t SelectionLength = 0;
};

inline constexpr const char* SyntaxErrorResult = "<语法错误>";

ExpressionOutcome ComputeExpression(clsExpressionParser& parser, std::string_view expression,
                                    const ExpressionCalculatorState& before);

} // namespace orbiplot
