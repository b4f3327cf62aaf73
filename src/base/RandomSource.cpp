#include "base/RandomSource.h"

#include <cstring>

namespace orbiplot {

float DefaultRandomSource::Next() {
    const std::lock_guard<std::mutex> lock(mutex_);
    // 24 random bits fill a single's mantissa exactly, so the result never rounds up to 1.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}

void DefaultRandomSource::Reseed(double seed) {
    uint64_t bits = 0;
    std::memcpy(&bits, &seed, sizeof bits);
    std::seed_seq sequence{static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)};
    const std::lock_guard<std::mutex> lock(mutex_);
    engine_.seed(sequence);
}

} // namespace orbiplot
