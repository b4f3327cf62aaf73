#pragma once

#include <cstdint>
#include <mutex>
#include <random>

namespace orbiplot {

// The program's source of chance, replaceable so that tests can script it.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // The next number of the sequence, in [0, 1).
    virtual float Next() = 0;
    // Restarts the sequence; the same seed always restarts the same sequence.
    virtual void Reseed(double seed) = 0;
};

// Safe to share between threads: a redraw drawn on worker threads takes its numbers from it.
class DefaultRandomSource : public RandomSource {
public:
    DefaultRandomSource() : engine_(std::random_device{}()) {}
    float Next() override;
    void Reseed(double seed) override;

private:
    std::mutex mutex_;
    std::mt19937 engine_;
};

} // namespace orbiplot
