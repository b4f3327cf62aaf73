#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

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

// The one loop over the samples: visit(n, v) for v = start, next(start), ... while v has not
// passed limit (upwards, or downwards when down) and visit returns true; a next that gives no
// new sample ends the run after its last.
template <class Next, class Visit>
void SampleRun(float start, float limit, bool down, Next&& next, Visit&& visit) {
    float v = start;
    for (size_t n = 0;; ++n) {
        if (down ? !(v >= limit) : !(v <= limit)) return;
        if (!visit(n, v)) return;
        const float after = next(v);
        if (after == v || after != after) return;
        v = after;
    }
}

// visit(n, v) for v = start, start + step, ... while v has not passed limit in the step's
// direction (upwards for a step of zero or not a number); a step that does not move v ends
// the run after its first sample.
template <class Visit> void StepRun(float start, float limit, float step, Visit&& visit) {
    SampleRun(
        start, limit, step < 0, [step](float v) { return v + step; },
        [&visit](size_t n, float v) {
            visit(n, v);
            return true;
        });
}

// visit(n, v) for v = start and each NextSample after it while v <= limit and visit
// returns true: the run of an equation curve.
template <class Visit> void SingleRun(float start, float limit, float step, Visit&& visit) {
    SampleRun(
        start, limit, false, [step](float v) { return NextSample(v, step); },
        std::forward<Visit>(visit));
}

} // namespace orbiplot
