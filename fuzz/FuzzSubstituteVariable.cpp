// Any expression, variable name and value text, split at the first two line ends.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "expr/clsExpressionParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = orbiplot::fuzz::Text(data, size);
    const size_t first = text.find('\n');
    const size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    const std::string expression = text.substr(0, first);
    const std::string var = first == std::string::npos ? "x" : text.substr(first + 1, second - first - 1);
    const std::string value = second == std::string::npos ? "1" : text.substr(second + 1);
    try {
        const std::string substituted = orbiplot::SubstituteVariable(expression, var, value);
        orbiplot::fuzz::Core core;
        core.context.Parser.ParseExpression(substituted);
    } catch (const orbiplot::AppError&) {
    }
    return 0;
}
