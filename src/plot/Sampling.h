#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

namespace orbiplot {

// How the plane is stepped through, in 32-bit additions as the drawing code computes:
// conics, the grid and the equation curves all take their samples from here.

// The sample after v: a step on, or where adding the step changes no single, the next single
// (the finest a 32-bit sample can be). Equation curves go on this way instead of stopping
// short.
inline float NextSample(float v, float step) {
    const float next = v + step;
    return next > v ? next : std::nextafter(v, std::numeric_limits<float>::infinity());
}

// visit(n, v) for v = start, start + step, ... while v has not passed limit in the step's
// direction (upwards for a step of zero or not a number); a step that does not move v ends
// the run after its first sample.
template <class Visit> void StepRun(float start, float limit, float step, Visit&& visit) {
    float v = start;
    for (size_t n = 0;; ++n) {
        if (step < 0 ? !(v >= limit) : !(v <= limit)) return;
        visit(n, v);
        const float next = v + step;
        if (next == v || next != next) return;
        v = next;
    }
}

} // namespace orbiplot
