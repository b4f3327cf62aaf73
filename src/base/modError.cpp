#include "base/modError.h"

#include "base/Seams.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace orbiplot {

ErrorReport BuildErrorReport(const AppError& error) {
    const int32_t n = error.Number;
    if (IsParserError(n)) {
        return {"Orbiplot 表达式分析错误", "错误号 No. " + std::to_string(ParserErrorCode(n)) +
                                               " - " + error.Description +
                                               "\n\n错误发生在: " + error.Source};
    }
    // An exception we did not expect keeps its own words after ours.
    if (n == ErrUnknown && !error.Description.empty())
        return {"Orbiplot 错误报告", OwnErrorMessage(n) + ": " + error.Description};
    if (IsOwnError(n)) return {"Orbiplot 错误报告", OwnErrorMessage(n)};
    return {"Orbiplot 错误报告",
            "程序运行时发生错误, 错误信息如下:\n\nErr.Number = " + std::to_string(n) +
                "\nErr.Source = " + error.Source + "\nErr.Description = " + error.Description};
}

void ReportError(MessageSeam& messages, const AppError& error) {
    messages.HideProgress();
    const ErrorReport report = BuildErrorReport(error);
    messages.ShowMessage(
        {MsgIcon::Critical, MsgButtons::OK, MsgResult::OK, report.Title, report.Text});
}

AppError CurrentError() {
    try {
        throw;
    } catch (const AppError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return AppError(ErrOutOfMemory, DefaultErrorSource, "内存不足");
    } catch (const std::exception& e) {
        return AppError(ErrUnknown, DefaultErrorSource, e.what());
    } catch (...) {
        return AppError(ErrUnknown, DefaultErrorSource, "");
    }
}

void ReportCurrentError(MessageSeam& messages) { ReportError(messages, CurrentError()); }

std::string GetSystemErrorText(int32_t code) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "错误: %d(&H%X): ", code, static_cast<uint32_t>(code));
    char buffer[256];
    const char* text = strerror_r(code, buffer, sizeof buffer);
    // An unknown code has no text of its own, only the library's placeholder.
    if (text == nullptr || *text == '\0' || std::strncmp(text, "Unknown error", 13) == 0)
        return std::string(prefix) + "<无错误>";
    return std::string(prefix) + text;
}

void RaiseSystemError(int32_t code) {
    throw AppError(SystemErrorBase + code, std::string(DefaultErrorSource) + ".Windows",
                   GetSystemErrorText(code));
}

} // namespace orbiplot
