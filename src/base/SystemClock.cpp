#include "base/Seams.h"

#include <ctime>

namespace orbiplot {

float SystemClock::Timer() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
                           static_cast<double>(now.tv_nsec) / 1e9;
    return static_cast<float>(seconds);
}

} // namespace orbiplot
