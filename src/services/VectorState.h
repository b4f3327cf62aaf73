#pragma once

namespace orbiplot {

// The toolkit's drawing code may return with the upper halves of the vector registers still
// in use; until they are cleared, every SSE instruction after it on that thread pays a
// penalty, and the engine samples curves several times slower. Painting clears them on its
// way out.
class CleanVectorState {
public:
    CleanVectorState() = default;
    CleanVectorState(const CleanVectorState&) = delete;
    CleanVectorState& operator=(const CleanVectorState&) = delete;
    ~CleanVectorState() {
#if defined(__x86_64__)
        static const bool avx = __builtin_cpu_supports("avx");
        if (avx) asm volatile("vzeroupper");
#endif
    }
};

} // namespace orbiplot
