#include "plot/Sampling.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <utility>
#include <vector>

using namespace orbiplot;

namespace {

using Visits = std::vector<std::pair<size_t, float>>;

Visits Steps(float start, float limit, float step) {
    Visits seen;
    StepRun(start, limit, step, [&](size_t n, float v) { seen.emplace_back(n, v); });
    return seen;
}

} // namespace

TEST(Sampling, StepsAreThirtyTwoBitSumsInTheStepsDirection) {
    EXPECT_EQ(Steps(-0.5f, 0.75f, 0.25f),
              (Visits{{0, -0.5f}, {1, -0.25f}, {2, 0}, {3, 0.25f}, {4, 0.5f}, {5, 0.75f}}));
    EXPECT_EQ(Steps(3, 1.5f, -0.5f), (Visits{{0, 3}, {1, 2.5f}, {2, 2}, {3, 1.5f}}));
    EXPECT_TRUE(Steps(2, 1, 0.5f).empty());
    EXPECT_TRUE(Steps(1, 2, -0.5f).empty());
    // Ten additions of the single nearest 0.1 pass 1 (they make 1.00000012), so 1 is not met.
    const Visits tenths = Steps(0, 1, 0.1f);
    ASSERT_EQ(tenths.size(), 10u);
    EXPECT_NEAR(tenths.back().second, 0.9f, 1e-6);
    // A step that cannot move the sample, or is not a number, gives the start alone.
    EXPECT_EQ(Steps(1e8f, 2e8f, 1), (Visits{{0, 1e8f}}));
    EXPECT_EQ(Steps(4, 5, 0), (Visits{{0, 4}}));
    EXPECT_EQ(Steps(4, 5, NAN), (Visits{{0, 4}}));
}

TEST(Sampling, AnEquationRunGoesOnThroughEverySingleAndStopsWhenAsked) {
    // Where the step is too small to add, each next sample is the next single up.
    const float start = 1e8f, spacing = 8; // singles near 1e8 lie 8 apart
    Visits seen;
    SingleRun(start, start + 3 * spacing, 1, [&](size_t n, float v) {
        seen.emplace_back(n, v);
        return true;
    });
    EXPECT_EQ(seen, (Visits{{0, start}, {1, start + 8}, {2, start + 16}, {3, start + 24}}));

    // A step that adds goes by it; the run ends where the visit says.
    seen.clear();
    SingleRun(-2, 100, 1.5f, [&](size_t n, float v) {
        seen.emplace_back(n, v);
        return n < 2;
    });
    EXPECT_EQ(seen, (Visits{{0, -2}, {1, -0.5f}, {2, 1}}));

    // The largest single is the last sample before infinity.
    size_t count = 0;
    SingleRun(FLT_MAX, FLT_MAX, 1, [&](size_t, float) { return ++count < 5; });
    EXPECT_EQ(count, 1u);
}
