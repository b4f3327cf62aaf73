#pragma once

#include "base/AppError.h"

#include <string>

namespace orbiplot {

class MessageSeam;

// The message box that reports an error: always the critical icon and an OK button.
struct ErrorReport {
    std::string Title;
    std::string Text;
};

// Chooses the box by the error number: parser errors, the program's own errors, or the
// general box for everything else.
ErrorReport BuildErrorReport(const AppError& error);

// Hides the progress window, then shows the report and waits for OK.
void ReportError(MessageSeam& messages, const AppError& error);

// The current exception as an error value; call only inside a catch block.
AppError CurrentError();

// Reports whatever the current exception is; call only inside a catch block.
void ReportCurrentError(MessageSeam& messages);

// "错误: " c "(&H" HEX "): " and the system's text for error c, or "<无错误>".
std::string GetSystemErrorText(int32_t code);

// Raises base + 29000 + code with the source "Orbiplot.Windows".
[[noreturn]] void RaiseSystemError(int32_t code);

} // namespace orbiplot
