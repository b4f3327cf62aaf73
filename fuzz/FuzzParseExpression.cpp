// Any text as an expression: a value or one of the program's errors, never a crash or a hang.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "expr/clsExpressionParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orbiplot::fuzz::Core core;
    try {
        core.context.Parser.ParseExpression(orbiplot::fuzz::Text(data, size));
    } catch (const orbiplot::AppError&) {
    }
    return 0;
}
