#pragma once

#include "base/AppError.h"

#include <functional>
#include <optional>

namespace orbiplot::test {

// The error the action raises, if any.
inline std::optional<AppError> Raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e;
    }
    return std::nullopt;
}

// The number of the error the action raises, or 0 when it raises none.
inline int32_t RaisedNumber(const std::function<void()>& action) {
    const auto error = Raised(action);
    return error ? error->Number : 0;
}

} // namespace orbiplot::test
