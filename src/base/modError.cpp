#include "base/modError.h"

namespace orbiplot {

ErrorReport BuildErrorReport(const AppError& error) {
    const int32_t n = error.Number;
    if (IsParserError(n)) {
        return {"Orbiplot 表达式分析错误", "错误号 No. " + std::to_string(ParserErrorCode(n)) +
                                               " - " + error.Description + "\n\n错误发生在: " +
                                               error.Source};
    }
    if (IsOwnError(n)) return {"Orbiplot 错误报告", OwnErrorMessage(n)};
    return {"Orbiplot 错误报告", "程序运行时发生错误, 错误信息如下:\n\nErr.Number = " +
                                     std::to_string(n) + "\nErr.Source = " + error.Source +
                                     "\nErr.Description = " + error.Description};
}

} // namespace orbiplot
