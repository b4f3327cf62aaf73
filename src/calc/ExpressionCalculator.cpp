#include "calc/ExpressionCalculator.h"

#include "base/NumberFormat.h"
#include "expr/clsExpressionParser.h"

namespace orbiplot {

ExpressionOutcome ComputeExpression(clsExpressionParser& parser, std::string_view expression,
                                    const ExpressionCalculatorState& before) {
    ExpressionOutcome outcome;
    try {
        outcome.State.ResultText = FormatNumber(parser.ParseExpression(expression), "#0.0######");
        outcome.State.HasResult = true;
        return outcome;
    } catch (const AppError& error) {
        outcome.Error = error;
        if (!IsParserError(error.Number)) {
            // An arithmetic failure changes nothing in the window.
            outcome.State = before;
            return outcome;
        }
        outcome.State = {SyntaxErrorResult, false};
        outcome.SelectError = true;
        const size_t position = static_cast<size_t>(std::max(parser.LastErrorPosition(), 1));
        if (position <= expression.size()) {
            outcome.SelectionStart = position - 1;
            outcome.SelectionLength = 1;
        } else {
            outcome.SelectionStart = expression.size();
        }
        return outcome;
    }
}

} // namespace orbiplot
