#pragma once

#include "base/AppError.h"

#include <string>

namespace orbiplot {

// The message box that reports an error: always the critical icon and an OK button.
struct ErrorReport {
    std::string Title;
    std::string Text;
};

// Chooses the box by the error number: parser errors, the program's own errors, or the
// general box for everything else.
ErrorReport BuildErrorReport(const AppError& error);

} // namespace orbiplot
