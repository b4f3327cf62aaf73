#pragma once

#include "base/AppError.h"

#include <functional>

namespace orbiplot::test {

// The number of the error the action raises, or 0 when it raises none.
inline int32_t RaisedNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.Number;
    }
    return 0;
}

} // namespace orbiplot::test
