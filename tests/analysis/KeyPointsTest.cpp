// Key points against truths worked out by hand: closed forms, and Newton's method on
// derivatives written out here, never the code under test.
#include "analysis/KeyPoints.h"
#include "analysis/RootFinding.h"

#include "doc/DocTestSupport.h"
#include "plot/PlotTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include <cmath>
#include <numbers>
#include <tuple>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

constexpr double Pi = std::numbers::pi;
const PlaneBox Box{-10, 10, -6, 6};

// Within n units in the last place of the truth (near zero: of 1e-300, so exact).
::testing::AssertionResult WithinUlps(double got, double truth, int n = 4) {
    const double ulp = std::nextafter(std::fabs(truth), INFINITY) - std::fabs(truth);
    if (std::fabs(got - truth) <= n * std::max(ulp, 1e-300)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << got << " is " << std::fabs(got - truth) / ulp << " ulps from " << truth;
}

::testing::AssertionResult Relative(double got, double truth, double tolerance) {
    if (std::fabs(got - truth) <= tolerance * std::max(1.0, std::fabs(truth)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << got << " is not within " << tolerance << " of " << truth;
}

struct Found {
    std::vector<KeyPoint> all;
    std::vector<KeyPoint> Of(KeyPointKind kind, int32_t curve = -1, int32_t other = -2) const {
        std::vector<KeyPoint> out;
        for (const KeyPoint& p : all)
            if (p.Kind == kind && (curve < 0 || p.Curve == curve) &&
                (other == -2 || p.Other == other))
                out.push_back(p);
        return out;
    }
};

// A document of the given curves, searched in the box.
struct Search : PlotFixture {
    Found Run(PlaneBox box = Box) { return {FindKeyPoints(doc, context.Parser, box)}; }
};

std::vector<double> Xs(const std::vector<KeyPoint>& points) {
    std::vector<double> xs;
    for (const KeyPoint& p : points)
        xs.push_back(p.X);
    return xs;
}

} // namespace

TEST(KeyPoints, ZerosOfACubicAndOfSineAreExact) {
    Search s;
    s.Add(Equation(CurveGeneralY, "x^3-2*x"));
    s.Add(Equation(CurveGeneralY, "sin(x)"));
    const Found found = s.Run();
    const auto cubic = found.Of(KeyPointKind::Zero, 0);
    ASSERT_EQ(cubic.size(), 3u);
    EXPECT_TRUE(WithinUlps(cubic[0].X, -std::sqrt(2.0)));
    EXPECT_EQ(cubic[1].X, 0);
    EXPECT_TRUE(WithinUlps(cubic[2].X, std::sqrt(2.0)));
    for (const KeyPoint& p : cubic)
        EXPECT_EQ(p.Y, 0);
    // sin x between -10 and 10: -3 pi .. 3 pi.
    const auto sine = found.Of(KeyPointKind::Zero, 1);
    ASSERT_EQ(sine.size(), 7u);
    for (int k = -3; k <= 3; ++k)
        EXPECT_TRUE(WithinUlps(sine[static_cast<size_t>(k + 3)].X, k * Pi)) << k;
    // The y-intercepts: both through the origin.
    EXPECT_EQ(found.Of(KeyPointKind::YIntercept).size(), 2u);
    for (const KeyPoint& p : found.Of(KeyPointKind::YIntercept))
        EXPECT_EQ(std::tie(p.X, p.Y), std::tuple(0.0, 0.0));
}

TEST(KeyPoints, DoubleRootsCountAndPolesNever) {
    Search s;
    s.Add(Equation(CurveGeneralY, "x^2-2*x+1"));    // touches zero at 1
    s.Add(Equation(CurveGeneralY, "tan(x)"));       // zeros at k pi, poles between
    s.Add(Equation(CurveGeneralY, "1/x"));          // a pole at 0, no zero
    s.Add(Equation(CurveGeneralY, "x^2-2*x+1.01")); // misses zero by 0.01
    s.Add(Equation(CurveGeneralY, "(x-0.7)^2*3"));  // touches zero between grid points
    const Found found = s.Run(PlaneBox{-4, 4, -6, 6});
    const auto twice = found.Of(KeyPointKind::Zero, 0);
    ASSERT_EQ(twice.size(), 1u);
    EXPECT_EQ(twice[0].X, 1); // where the slope 2x - 2 is zero, not where |f| looks flat
    EXPECT_THAT(Xs(found.Of(KeyPointKind::Zero, 1)),
                ::testing::ElementsAre(::testing::DoubleNear(-Pi, 1e-15), 0.0,
                                       ::testing::DoubleNear(Pi, 1e-15)));
    EXPECT_TRUE(found.Of(KeyPointKind::Zero, 2).empty());
    EXPECT_TRUE(found.Of(KeyPointKind::Zero, 3).empty());
    // Nor are the poles turning points, nor does 1/x meet the y axis.
    for (const auto kind : {KeyPointKind::Maximum, KeyPointKind::Minimum}) {
        EXPECT_TRUE(found.Of(kind, 1).empty());
        EXPECT_TRUE(found.Of(kind, 2).empty());
    }
    EXPECT_TRUE(found.Of(KeyPointKind::YIntercept, 2).empty());
    // The parabola's turning point is its vertex (1, 0) and (1, 0.01).
    ASSERT_EQ(found.Of(KeyPointKind::Minimum, 3).size(), 1u);
    EXPECT_EQ(found.Of(KeyPointKind::Minimum, 3)[0].X, 1);
    // Where its slope 6 (x - 0.7) is zero: at the double nearest 0.7 itself.
    EXPECT_THAT(Xs(found.Of(KeyPointKind::Zero, 4)), ::testing::ElementsAre(0.7));
}

TEST(KeyPoints, TurningPointsOfACubicAndOfXSinX) {
    Search s;
    s.Add(Equation(CurveGeneralY, "x^3-3*x"));
    s.Add(Equation(CurveGeneralY, "sin(x)*x"));
    s.Add(Equation(CurveGeneralX, "y^2-4*y")); // turns in x at y = 2, x = -4
    const Found found = s.Run(PlaneBox{-10, 10, -10, 10});
    const auto max = found.Of(KeyPointKind::Maximum, 0), min = found.Of(KeyPointKind::Minimum, 0);
    ASSERT_EQ(max.size(), 1u);
    ASSERT_EQ(min.size(), 1u);
    EXPECT_EQ(max[0].X, -1);
    EXPECT_TRUE(Relative(max[0].Y, 2, 1e-12));
    EXPECT_EQ(min[0].X, 1);
    EXPECT_TRUE(Relative(min[0].Y, -2, 1e-12));
    // x sin x turns where sin x + x cos x = 0; Newton on that, worked out here: the turning
    // points in (-10, 10) besides 0 are near +-2.03, +-4.91, +-7.98.
    std::vector<double> truth;
    for (double guess : {-7.98, -4.91, -2.03, 0.0, 2.03, 4.91, 7.98}) {
        double x = guess;
        for (int i = 0; i < 50; ++i) {
            const double g = std::sin(x) + x * std::cos(x);
            const double dg = 2 * std::cos(x) - x * std::sin(x);
            x -= g / dg;
        }
        truth.push_back(x);
    }
    std::vector<KeyPoint> turns = found.Of(KeyPointKind::Maximum, 1);
    for (const KeyPoint& p : found.Of(KeyPointKind::Minimum, 1))
        turns.push_back(p);
    std::sort(turns.begin(), turns.end(), [](auto& a, auto& b) { return a.X < b.X; });
    ASSERT_EQ(turns.size(), truth.size());
    for (size_t i = 0; i < truth.size(); ++i) {
        EXPECT_TRUE(WithinUlps(turns[i].X, truth[i])) << i;
        // x sin x is even and its derivative odd, to the last bit: so are its turns.
        EXPECT_EQ(turns[i].X, -turns[truth.size() - 1 - i].X) << i;
        EXPECT_TRUE(Relative(turns[i].Y, truth[i] * std::sin(truth[i]), 1e-12)) << i;
    }
    // 0 is a minimum, 2.03 a maximum.
    EXPECT_EQ(found.Of(KeyPointKind::Minimum, 1).size(), 3u);
    // X=f(Y) turns in x: the least x is -4 at y = 2; it meets the y axis at y = 0 and 4, the
    // x axis at x = 0.
    const auto sideways = found.Of(KeyPointKind::Minimum, 2);
    ASSERT_EQ(sideways.size(), 1u);
    EXPECT_EQ(sideways[0].Y, 2);
    EXPECT_TRUE(Relative(sideways[0].X, -4, 1e-12));
    EXPECT_THAT(found.Of(KeyPointKind::YIntercept, 2),
                ::testing::ElementsAre(::testing::Field(&KeyPoint::Y, 0.0),
                                       ::testing::Field(&KeyPoint::Y, 4.0)));
    EXPECT_EQ(found.Of(KeyPointKind::Zero, 2).size(), 1u);
}

// Where the values are flat about a turn, the argument is taken from the derivative: the
// other coordinate of the point then comes out to the last bits.
TEST(KeyPoints, TurningPointsAreExactWhereTheSlopeVanishesOrBreaks) {
    Search s;
    s.Add(Equation(CurveGeneralY, "x*x/4-3"));      // 0: vertex (0, -3)
    s.Add(Equation(CurveGeneralY, "abs(x+1.5)-2")); // 1: corner (-1.5, -2)
    // 2: x = 3 cos t, y = 2 sin 3t: y is 2 at t = pi/6, where x = 3 sqrt(3) / 2.
    s.Add(Equation(CurveParameter, "3*cos(t)", "2*sin(3*t)", false, 0, 3));
    // 3: the cardioid r = 1 + cos z: y = (1 + cos z) sin z is greatest at z = pi/3, at the
    // point (3/4, 3 sqrt(3)/4); x = (1 + cos z) cos z is least at z = 2 pi/3, (-1/4, sqrt(3)/4).
    s.Add(Equation(Polar, "1+cos(z)"));
    s.Add(Equation(CurveGeneralY, "abs(sin(x))")); // 4: corners on the x axis
    s.Add(Equation(CurveGeneralY, "sin(x)"));      // 5: crossing it at the same doubles
    s.Add(Equation(CurveGeneralY, "fix(x)"));      // 6: steps, level between them
    s.Add(Equation(Polar, "2*sin(3*z)"));          // 7: a rose through the pole
    s.Add(Equation(CurveParameter, "2*cos(t)", "sin(t)", false, 0, 6.3f)); // 8
    const Found found = s.Run();
    // A coordinate zero to within rounding is listed as 0: x of the ellipse's lowest and
    // highest points (2 cos of the doubles nearest pi/2 and 3 pi/2), y of its leftmost.
    for (const auto kind : {KeyPointKind::Maximum, KeyPointKind::Minimum}) {
        for (const KeyPoint& p : found.Of(kind, 8)) {
            if (std::fabs(std::fabs(p.Y) - 1) < 1e-12) {
                EXPECT_EQ(p.X, 0) << p.Y;
            }
            if (std::fabs(std::fabs(p.X) - 2) < 1e-12) {
                EXPECT_EQ(p.Y, 0) << p.X;
            }
        }
    }
    // abs(sin x) is least, 0, at its corners.
    for (const KeyPoint& p : found.Of(KeyPointKind::Minimum, 4))
        EXPECT_EQ(p.Y, 0) << p.X;
    // Its zero and y-intercept are the pole itself, though r at the double nearest k pi/3 is
    // a few 1e-16 and not 0.
    for (const auto kind : {KeyPointKind::Zero, KeyPointKind::YIntercept}) {
        const auto pole = found.Of(kind, 7);
        ASSERT_FALSE(pole.empty());
        const auto origin = std::find_if(pole.begin(), pole.end(), [](const KeyPoint& p) {
            return std::hypot(p.X, p.Y) < 1e-9;
        });
        ASSERT_NE(origin, pole.end());
        EXPECT_EQ(origin->X, 0);
        EXPECT_EQ(origin->Y, 0);
    }
    EXPECT_EQ(Xs(found.Of(KeyPointKind::Zero, 4)), Xs(found.Of(KeyPointKind::Zero, 5)));
    EXPECT_EQ(found.Of(KeyPointKind::Zero, 4).size(), 7u); // -3 pi .. 3 pi
    EXPECT_TRUE(found.Of(KeyPointKind::Maximum, 6).empty());
    EXPECT_TRUE(found.Of(KeyPointKind::Minimum, 6).empty());

    const auto vertex = found.Of(KeyPointKind::Minimum, 0);
    ASSERT_EQ(vertex.size(), 1u);
    EXPECT_EQ(vertex[0].X, 0);
    EXPECT_EQ(vertex[0].Y, -3);
    const auto corner = found.Of(KeyPointKind::Minimum, 1);
    ASSERT_EQ(corner.size(), 1u);
    EXPECT_EQ(corner[0].X, -1.5);
    EXPECT_EQ(corner[0].Y, -2);
    EXPECT_THAT(Xs(found.Of(KeyPointKind::Zero, 1)), ::testing::ElementsAre(-3.5, 0.5));

    // t in [0, 3] reaches y = 2 at pi/6 and 5 pi/6, where x = 3 cos(5 pi/6) = -3 sqrt(3)/2.
    std::vector<double> highest;
    for (const KeyPoint& p : found.Of(KeyPointKind::Maximum, 2))
        if (std::fabs(p.Y - 2) < 1e-12) highest.push_back(p.X);
    std::sort(highest.begin(), highest.end());
    ASSERT_EQ(highest.size(), 2u);
    EXPECT_TRUE(WithinUlps(highest[0], -3 * std::sqrt(3.0) / 2));
    EXPECT_TRUE(WithinUlps(highest[1], 3 * std::sqrt(3.0) / 2));

    bool sawTop = false, sawLeft = false;
    for (const auto kind : {KeyPointKind::Maximum, KeyPointKind::Minimum})
        for (const KeyPoint& p : found.Of(kind, 3)) {
            if (kind == KeyPointKind::Maximum && std::fabs(p.Y - 3 * std::sqrt(3.0) / 4) < 1e-9) {
                sawTop = true;
                EXPECT_TRUE(WithinUlps(p.X, 0.75)) << p.X;
            }
            if (kind == KeyPointKind::Minimum && std::fabs(p.X + 0.25) < 1e-9 && p.Y > 0) {
                sawLeft = true;
                EXPECT_TRUE(WithinUlps(p.Y, std::sqrt(3.0) / 4)) << p.Y;
            }
        }
    EXPECT_TRUE(sawTop);
    EXPECT_TRUE(sawLeft);
}

// Curves that touch meet where the difference of their equations along one of them has a
// double zero: found where its derivative vanishes, to the last bit.
TEST(KeyPoints, TouchingCurvesMeetAtTheirPointOfContact) {
    Search s;
    s.Add(Equation(CurveGeneralY, "x^2"));       // 0
    s.Add(Equation(CurveGeneralY, "2*x-1"));     // 1: the tangent of x^2 at (1, 1)
    s.Add(Equation(CurveGeneralY, "sin(x)"));    // 2
    s.Add(Equation(CurveGeneralY, "1+0*x"));     // 3: touches sin x at its tops
    s.Add(Equation(CurveGeneralX, "(y-1)^2+2")); // 4: opens to the right from (2, 1)
    s.Add(Equation(CurveParameter, "2+0*t", "t", false, -3, 4)); // 5: the line x = 2
    // 6: its tangent at (3, 2), where dx/dy = 2 (y - 1) = 2.
    s.Add(Equation(CurveParameter, "3+2*t", "2+t", false, -3, 4));
    s.Add(Params(CircleStandard, {"0.5", "0", "1"})); // 7: touched from above at (0.5, 1)
    s.Add(Equation(CurveGeneralY, "1+(x-0.5)^2"));    // 8
    const Found found = s.Run();
    const auto at = [&](int32_t a, int32_t b) {
        return found.Of(KeyPointKind::Intersection, a, b);
    };
    ASSERT_EQ(at(0, 1).size(), 1u);
    EXPECT_EQ(at(0, 1)[0].X, 1);
    EXPECT_EQ(at(0, 1)[0].Y, 1);
    // sin x = 1 at pi/2 - 2 pi, pi/2, pi/2 + 2 pi.
    const auto tops = at(2, 3);
    ASSERT_EQ(tops.size(), 3u);
    for (int k = -1; k <= 1; ++k)
        EXPECT_TRUE(WithinUlps(tops[static_cast<size_t>(k + 1)].X, Pi / 2 + 2 * k * Pi, 1)) << k;
    // X = f(Y) touched by a line given by its parameter.
    const auto side = at(4, 5);
    ASSERT_EQ(side.size(), 1u);
    EXPECT_EQ(side[0].X, 2);
    EXPECT_EQ(side[0].Y, 1);
    const auto slant = at(4, 6);
    ASSERT_EQ(slant.size(), 1u);
    EXPECT_EQ(slant[0].X, 3);
    EXPECT_EQ(slant[0].Y, 2);
    const auto cap = at(7, 8);
    ASSERT_EQ(cap.size(), 1u);
    EXPECT_EQ(cap[0].X, 0.5);
    EXPECT_EQ(cap[0].Y, 1);
}

TEST(KeyPoints, LinesAndConicsMeetWhereTheirEquationsSay) {
    Search s;
    s.Add(Params(LineGeneral, {"2", "-1", "-1"}));  // 0: y = 2x - 1
    s.Add(Params(LineSI, {"-1", "5"}));             // 1: y = -x + 5
    s.Add(Params(CircleStandard, {"0", "0", "1"})); // 2: unit circle
    s.Add(Params(LineSI, {"0", "1"}));              // 3: y = 1, touching the circle
    s.Add(Params(LineSI, {"0", "2"}));              // 4: y = 2, missing it
    s.Add(Params(LinePP, {"0", "0", "1", "1"}));    // 5: y = x
    const Found found = s.Run();
    // y = 2x - 1 and y = -x + 5 meet at (2, 3).
    const auto lines = found.Of(KeyPointKind::Intersection, 0, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(std::tie(lines[0].X, lines[0].Y), std::tuple(2.0, 3.0));
    // y = x crosses the unit circle at +-(1/sqrt 2, 1/sqrt 2).
    const auto two = found.Of(KeyPointKind::Intersection, 2, 5);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_TRUE(WithinUlps(two[0].X, -std::sqrt(0.5)));
    EXPECT_TRUE(WithinUlps(two[0].Y, -std::sqrt(0.5)));
    EXPECT_TRUE(WithinUlps(two[1].X, std::sqrt(0.5)));
    // y = 1 touches it at (0, 1); y = 2 misses it.
    const auto touch = found.Of(KeyPointKind::Intersection, 2, 3);
    ASSERT_EQ(touch.size(), 1u);
    EXPECT_NEAR(touch[0].X, 0, 1e-7);
    EXPECT_EQ(touch[0].Y, 1);
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 2, 4).empty());
    // Parallel lines (y = 1, y = 2) never meet; the circle's axis points are its zeros and
    // intercepts.
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 3, 4).empty());
    EXPECT_THAT(Xs(found.Of(KeyPointKind::Zero, 2)), ::testing::ElementsAre(-1.0, 1.0));
    EXPECT_EQ(found.Of(KeyPointKind::YIntercept, 2).size(), 2u);
    // The lines' own zeros: y = 2x - 1 at x = 1/2, y = -x + 5 at 5.
    EXPECT_THAT(Xs(found.Of(KeyPointKind::Zero, 0)), ::testing::ElementsAre(0.5));
    EXPECT_THAT(Xs(found.Of(KeyPointKind::Zero, 1)), ::testing::ElementsAre(5.0));
}

TEST(KeyPoints, ConicsMeetConics) {
    Search s;
    s.Add(Params(CircleStandard, {"0", "0", "2"})); // 0: x^2 + y^2 = 4
    s.Add(Params(Ellipse, {"3", "1"}));             // 1: x^2/9 + y^2 = 1
    s.Add(Params(Ellipse, {"3", "2"}));             // 2: x^2/9 + y^2/4 = 1
    s.Add(Params(HyperbolaX, {"1", "1"}));          // 3: x^2 - y^2 = 1
    const Found found = s.Run();
    // Circle and first ellipse: x^2 = 27/8, y^2 = 5/8.
    const auto ce = found.Of(KeyPointKind::Intersection, 0, 1);
    ASSERT_EQ(ce.size(), 4u);
    for (const KeyPoint& p : ce) {
        EXPECT_TRUE(WithinUlps(std::fabs(p.X), std::sqrt(27.0 / 8)));
        EXPECT_TRUE(WithinUlps(std::fabs(p.Y), std::sqrt(5.0 / 8)));
    }
    // Second ellipse and hyperbola: 13 x^2 = 45, 13 y^2 = 32.
    const auto eh = found.Of(KeyPointKind::Intersection, 2, 3);
    ASSERT_EQ(eh.size(), 4u);
    for (const KeyPoint& p : eh) {
        EXPECT_TRUE(WithinUlps(std::fabs(p.X), std::sqrt(45.0 / 13)));
        EXPECT_TRUE(WithinUlps(std::fabs(p.Y), std::sqrt(32.0 / 13)));
    }
    // The two ellipses share their vertices (+-3, 0) and nothing else.
    EXPECT_THAT(
        Xs(found.Of(KeyPointKind::Intersection, 1, 2)),
        ::testing::ElementsAre(::testing::DoubleNear(-3, 1e-7), ::testing::DoubleNear(3, 1e-7)));
}

TEST(KeyPoints, ATranslatedEllipseMeetsAHorizontalAndAVerticalLine) {
    // x^2/9 + y^2/4 = 1 moved to (2, -1): a = 3 along x, b = 2 along y. Each point to within
    // a rounding of the numbers it is worked out from (2 - 1.98 loses the digits of 2).
    Search s;
    CurveRecord ellipse = Params(Ellipse, {"3", "2"});
    ellipse.CTh = 2;
    ellipse.CTk = -1;
    s.Add(ellipse);                                 // 0
    s.Add(Params(LineSI, {"0", "0.5"}));            // 1: y = 0.5
    s.Add(Params(LineGeneral, {"1", "0", "-3.5"})); // 2: x = 3.5
    const Found found = s.Run();
    // y = 0.5: (x - 2)^2 / 9 = 1 - 1.5^2 / 4, so x = 2 +- sqrt(63/16).
    const auto across = found.Of(KeyPointKind::Intersection, 0, 1);
    ASSERT_EQ(across.size(), 2u);
    EXPECT_TRUE(Relative(across[0].X, 2 - std::sqrt(63.0 / 16), 1e-15));
    EXPECT_TRUE(Relative(across[1].X, 2 + std::sqrt(63.0 / 16), 1e-15));
    EXPECT_EQ(across[0].Y, 0.5);
    EXPECT_EQ(across[1].Y, 0.5);
    // x = 3.5: (y + 1)^2 / 4 = 1 - 1.5^2 / 9, so y = -1 +- sqrt(3).
    const auto down = found.Of(KeyPointKind::Intersection, 0, 2);
    ASSERT_EQ(down.size(), 2u);
    std::vector<double> ys{down[0].Y, down[1].Y};
    std::sort(ys.begin(), ys.end());
    EXPECT_TRUE(Relative(ys[0], -1 - std::sqrt(3.0), 1e-15));
    EXPECT_TRUE(Relative(ys[1], -1 + std::sqrt(3.0), 1e-15));
    EXPECT_EQ(down[0].X, 3.5);
    // Its own crossings of the axes: y = 0 at x = 2 +- sqrt(27/4), x = 0 at y = -1 +- sqrt(20)/3.
    const auto zeros = found.Of(KeyPointKind::Zero, 0);
    ASSERT_EQ(zeros.size(), 2u);
    EXPECT_TRUE(Relative(zeros[0].X, 2 - std::sqrt(27.0 / 4), 1e-15));
    EXPECT_TRUE(Relative(zeros[1].X, 2 + std::sqrt(27.0 / 4), 1e-15));
    const auto crossings = found.Of(KeyPointKind::YIntercept, 0);
    ASSERT_EQ(crossings.size(), 2u);
    ys = {crossings[0].Y, crossings[1].Y};
    std::sort(ys.begin(), ys.end());
    EXPECT_TRUE(Relative(ys[0], -1 - std::sqrt(20.0) / 3, 1e-15));
    EXPECT_TRUE(Relative(ys[1], -1 + std::sqrt(20.0) / 3, 1e-15));
}

TEST(KeyPoints, ParabolasAlongXAndYAndAParametricCircleMeetLines) {
    Search s;
    s.Add(Params(ParabolaX, {"1"}));                                   // 0: y^2 = 2x
    s.Add(Params(LineSI, {"1", "-4"}));                                // 1: y = x - 4
    s.Add(Params(ParabolaY, {"1"}));                                   // 2: x^2 = 2y
    s.Add(Params(LineSI, {"1", "4"}));                                 // 3: y = x + 4
    s.Add(Equation(CurveParameter, "cos(t)", "sin(t)", false, -1, 6)); // 4: unit circle
    s.Add(Params(LineSI, {"0", "0.5"}));                               // 5: y = 0.5
    const Found found = s.Run(PlaneBox{-10, 10, -6, 10});
    // (x - 4)^2 = 2x: x = 2 and 8.
    EXPECT_THAT(found.Of(KeyPointKind::Intersection, 0, 1),
                ::testing::ElementsAre(::testing::AllOf(::testing::Field(&KeyPoint::X, 2.0),
                                                        ::testing::Field(&KeyPoint::Y, -2.0)),
                                       ::testing::AllOf(::testing::Field(&KeyPoint::X, 8.0),
                                                        ::testing::Field(&KeyPoint::Y, 4.0))));
    // x^2 = 2 (x + 4): x = -2 and 4.
    const auto upward = found.Of(KeyPointKind::Intersection, 2, 3);
    ASSERT_EQ(upward.size(), 2u);
    EXPECT_EQ(std::tie(upward[0].X, upward[0].Y), std::tuple(-2.0, 2.0));
    EXPECT_EQ(std::tie(upward[1].X, upward[1].Y), std::tuple(4.0, 8.0));
    // The parametric circle and y = 0.5: x = +-sqrt(3)/2, y to the last bit.
    const auto circle = found.Of(KeyPointKind::Intersection, 4, 5);
    ASSERT_EQ(circle.size(), 2u);
    EXPECT_TRUE(WithinUlps(circle[0].X, -std::sqrt(3.0) / 2));
    EXPECT_TRUE(WithinUlps(circle[1].X, std::sqrt(3.0) / 2));
    EXPECT_TRUE(WithinUlps(circle[1].Y, 0.5));
    // Its extreme x and y: (1, 0) at t = 0, (-1, 0) at pi, (0, 1) at pi/2, (0, -1) at 3pi/2.
    std::vector<std::pair<double, double>> turns;
    for (const auto kind : {KeyPointKind::Maximum, KeyPointKind::Minimum})
        for (const KeyPoint& p : found.Of(kind, 4))
            turns.emplace_back(std::round(p.X * 1e6) / 1e6, std::round(p.Y * 1e6) / 1e6);
    std::sort(turns.begin(), turns.end());
    EXPECT_THAT(turns, ::testing::ElementsAre(std::pair(-1.0, 0.0), std::pair(0.0, -1.0),
                                              std::pair(0.0, 1.0), std::pair(1.0, 0.0)));
}

TEST(KeyPoints, PolarCurvesHiddenCurvesTranslatedCurvesAndPoints) {
    Search s;
    s.Add(Equation(Polar, "1+z*0")); // 0: the unit circle, z from 0 to 2 pi
    CurveRecord hidden = Equation(CurveGeneralY, "x");
    const int32_t h = s.Add(hidden); // 1: y = x, then hidden
    CurveRecord moved = Equation(CurveGeneralY, "x^2-1");
    moved.CTh = 3; // 2: (x - 3)^2 - 1: zeros at 2 and 4
    moved.CTk = 0;
    s.Add(moved);
    s.Add(Params(Point, {"3", "-1"})); // 3: the moved parabola's vertex
    s.Add(Params(Point, {"0", "5"}));  // 4: on nothing
    CurveRecord shifted = Params(CircleStandard, {"0", "0", "1"});
    s.Add(shifted); // 5: a unit circle moved to (2, 1)
    s.doc.SetFunListShowHide(h, false);
    CurveRecord c = s.doc.Curve(5);
    c.CTh = 2;
    c.CTk = 1;
    s.doc.ModifyFun(c, 5, false);
    const Found found = s.Run();
    // The polar circle turns at its four extreme points.
    EXPECT_EQ(found.Of(KeyPointKind::Maximum, 0).size() + found.Of(KeyPointKind::Minimum, 0).size(),
              4u);
    for (const auto kind : {KeyPointKind::Maximum, KeyPointKind::Minimum})
        for (const KeyPoint& p : found.Of(kind, 0))
            EXPECT_NEAR(std::hypot(p.X, p.Y), 1, 1e-12);
    // The hidden curve gives nothing at all.
    for (const KeyPoint& p : found.all)
        EXPECT_TRUE(p.Curve != 1 && p.Other != 1);
    EXPECT_THAT(Xs(found.Of(KeyPointKind::Zero, 2)), ::testing::ElementsAre(2.0, 4.0));
    ASSERT_EQ(found.Of(KeyPointKind::Minimum, 2).size(), 1u);
    EXPECT_EQ(found.Of(KeyPointKind::Minimum, 2)[0].X, 3);
    // A point on a curve is where they meet; one on nothing meets nothing.
    EXPECT_EQ(found.Of(KeyPointKind::Intersection, 2, 3).size(), 1u);
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 4).empty());
    EXPECT_EQ(found.Of(KeyPointKind::YIntercept, 4).size(), 1u); // (0, 5) is on the y axis
    // The moved circle touches the x axis at (2, 0) and meets the polar circle? No: their
    // centres are sqrt 5 apart, more than 2.
    const auto touch = found.Of(KeyPointKind::Zero, 5);
    ASSERT_EQ(touch.size(), 1u);
    EXPECT_NEAR(touch[0].X, 2, 1e-7);
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 0, 5).empty());
    // Nothing outside the box: a box right of the origin has none of the polar circle's.
    const Found right = s.Run(PlaneBox{1.5, 10, -6, 6});
    EXPECT_TRUE(right.Of(KeyPointKind::Maximum, 0).empty());
    for (const KeyPoint& p : right.all)
        EXPECT_GE(p.X, 1.5);
}

TEST(KeyPoints, CurvesWhoseTextsCannotBeWorkedOutExactlyAreNamed) {
    Search s;
    s.Add(Params(LineSI, {"1", "0"}));               // 0: a line: always
    s.Add(Equation(CurveGeneralY, "rnd(1)+x"));      // 1: RND
    s.Add(Equation(CurveGeneralY, "x^2"));           // 2
    s.Add(Equation(CurveParameter, "cos(t)", "2t")); // 3: read by substituting
    s.Add(Equation(Polar, "z"));                     // 4
    s.Add(Equation(CurveGeneralX, "rnd(1)+y"));      // 5: RND, then hidden
    s.doc.SetFunListShowHide(5, false);
    EXPECT_EQ(CurvesWithoutKeyPoints(s.doc, s.context.Parser), (std::vector<int32_t>{1, 3}));
    // And those have none, the others have theirs.
    const Found found = s.Run();
    for (const KeyPoint& p : found.all) {
        EXPECT_NE(p.Curve, 1);
        EXPECT_NE(p.Curve, 3);
        EXPECT_NE(p.Other, 3);
    }
    EXPECT_FALSE(found.Of(KeyPointKind::Zero, 2).empty());
}

TEST(KeyPoints, LabelsAndValues) {
    EXPECT_EQ(PointLabel(std::sqrt(2.0), -2), "(1.4142, -2)");
    EXPECT_EQ(PointLabel(-0.00001, 2.99995), "(0, 3)");
    EXPECT_EQ(PointLabel(0.5, -1.25), "(0.5, -1.25)");
    EXPECT_EQ(FullValue(std::sqrt(2.0)), "1.4142135623731"); // its fifteenth digit is 0
    EXPECT_EQ(FullValue(std::numbers::pi), "3.14159265358979");
    EXPECT_EQ(FullValue(-0.0), "0");
    EXPECT_EQ(KindName(KeyPointKind::YIntercept), "y 截距");
    EXPECT_EQ(KindWord(KeyPointKind::Intersection), "intersection");
}

TEST(KeyPoints, ImplicitCurvesMeetEveryTypeAndTurnWhereTheirGradientDoes) {
    Search f;
    const auto implicit = [&](const char* text, float h = 0, float k = 0) {
        CurveRecord c = Equation(Implicit, text);
        c.CTh = h;
        c.CTk = k;
        return f.Add(c);
    };
    const int ellipse = implicit("x^2/9+y^2/4=1");
    const int diagonal = f.Add(Params(LineSI, {"1", "0"})); // y = x
    const int moved = implicit("x^2/9+y^2/4-1", 1, -2);     // about (1, -2)
    const int circle = implicit("x^2+y^2=4", 1, 0.5);       // about (1, 0.5), radius 2
    const int cross = implicit("x^2-y^2");
    const int graph = f.Add(Equation(CurveGeneralY, "x/2")); // through the circle's middle
    const int param = f.Add(Equation(CurveParameter, "t", "-t-6", true)); // y = -x - 6
    const Found found = f.Run({-10, 10, -8, 8});

    // The ellipse meets y = x where x^2 (1/9 + 1/4) = 1: x = 6/sqrt 13.
    const double m = 6 / std::sqrt(13.0);
    const auto meets = found.Of(KeyPointKind::Intersection, ellipse, diagonal);
    ASSERT_EQ(meets.size(), 2U);
    EXPECT_TRUE(WithinUlps(meets[0].X, -m));
    EXPECT_TRUE(WithinUlps(meets[0].Y, -m));
    EXPECT_TRUE(WithinUlps(meets[1].X, m));
    EXPECT_TRUE(WithinUlps(meets[1].Y, m));
    // The moved ellipse turns at (1, 0) and (1, -4) in y, at (4, -2) and (-2, -2) in x.
    const auto top = found.Of(KeyPointKind::Maximum, moved),
               low = found.Of(KeyPointKind::Minimum, moved);
    ASSERT_EQ(top.size(), 2U);
    ASSERT_EQ(low.size(), 2U);
    EXPECT_TRUE(WithinUlps(top[0].X, 1) && Relative(top[0].Y, 0, 1e-15))
        << top[0].X << " " << top[0].Y;
    EXPECT_TRUE(WithinUlps(top[1].X, 4) && WithinUlps(top[1].Y, -2)) << top[1].X << " " << top[1].Y;
    EXPECT_TRUE(WithinUlps(low[0].X, -2) && WithinUlps(low[0].Y, -2))
        << low[0].X << " " << low[0].Y;
    EXPECT_TRUE(WithinUlps(low[1].X, 1) && WithinUlps(low[1].Y, -4)) << low[1].X << " " << low[1].Y;
    // Its crossings of the axes: y = 0 only at its top, x = 0 at y = -2 +- 2 sqrt(8/9).
    const auto zero = found.Of(KeyPointKind::Zero, moved);
    ASSERT_EQ(zero.size(), 1U);
    EXPECT_TRUE(Relative(zero[0].X, 1, 1e-7));
    const auto intercepts = found.Of(KeyPointKind::YIntercept, moved);
    ASSERT_EQ(intercepts.size(), 2U);
    EXPECT_TRUE(WithinUlps(intercepts[0].Y, -2 - 2 * std::sqrt(8.0 / 9)));
    EXPECT_TRUE(WithinUlps(intercepts[1].Y, -2 + 2 * std::sqrt(8.0 / 9)));
    // Two implicit curves: the circle about (1, 0.5) meets y = x where 2x^2 - 3x - 2.75 = 0 and
    // y = -x where 2x^2 - x - 2.75 = 0.
    const auto both = found.Of(KeyPointKind::Intersection, circle, cross);
    ASSERT_EQ(both.size(), 4U);
    std::vector<double> xs;
    for (const KeyPoint& p : both) {
        xs.push_back(p.X);
        EXPECT_TRUE(WithinUlps(std::fabs(p.X), std::fabs(p.Y), 8)) << p.X << " " << p.Y;
    }
    std::sort(xs.begin(), xs.end());
    EXPECT_TRUE(WithinUlps(xs[0], (1 - std::sqrt(23.0)) / 4));
    EXPECT_TRUE(WithinUlps(xs[1], (3 - std::sqrt(31.0)) / 4));
    EXPECT_TRUE(WithinUlps(xs[2], (1 + std::sqrt(23.0)) / 4));
    EXPECT_TRUE(WithinUlps(xs[3], (3 + std::sqrt(31.0)) / 4));
    // With a Y=f(X) curve through the circle's middle: x = 1 +- 4 / sqrt 5.
    const auto chord = found.Of(KeyPointKind::Intersection, circle, graph);
    ASSERT_EQ(chord.size(), 2U);
    EXPECT_TRUE(WithinUlps(chord[0].X, 1 - 4 / std::sqrt(5.0)));
    EXPECT_TRUE(WithinUlps(chord[1].X, 1 + 4 / std::sqrt(5.0)));
    const auto crossed = found.Of(KeyPointKind::Intersection, cross, param);
    ASSERT_EQ(crossed.size(), 1U); // y = -x - 6 meets y = x at (-3, -3) and never y = -x
    EXPECT_TRUE(WithinUlps(crossed[0].X, -3));
    EXPECT_TRUE(WithinUlps(crossed[0].Y, -3));
}

TEST(KeyPoints, ASearchToldToStopEndsWhileAnImplicitCurveIsTraced) {
    Search f;
    f.Add(Equation(CurveGeneralY, "x/3"));
    f.Add(Equation(Implicit, "sin(100*x*y)=0.99")); // finer than the search's cells
    f.Add(Equation(Implicit, "x^2+y^2=4"));
    std::atomic<bool> stop{true};
    const auto start = std::chrono::steady_clock::now();
    const std::vector<KeyPoint> found = FindKeyPoints(f.doc, f.context.Parser, Box, &stop);
    // Tracing the fine curve alone takes seconds here; told to stop, the search takes none.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    for (const KeyPoint& p : found)
        EXPECT_TRUE(Box.Contains(p.X, p.Y));
    // Not told to stop, the circle meets the line where 10 x^2 / 9 = 4.
    Search g;
    g.Add(Equation(CurveGeneralY, "x/3"));
    g.Add(Equation(Implicit, "x^2+y^2=4"));
    const auto meets = g.Run().Of(KeyPointKind::Intersection, 0, 1);
    ASSERT_EQ(meets.size(), 2u);
    EXPECT_TRUE(WithinUlps(meets[1].X, 6 / std::sqrt(10.0), 8));
}

TEST(KeyPoints, TheTraceFollowsAnImplicitCurve) {
    Search f;
    f.Add(Equation(Implicit, "x^3+y^3=3*x*y"));
    CurveTracer tracer(f.doc, f.context.Parser, {-3, 3, -3, 3});
    // 100 pixels a unit: the pointer beside the loop near (1.5, 1.5).
    const auto p = tracer.Nearest(1.52, 1.49, 100, 100, 8);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->Curve, 0);
    EXPECT_NEAR(p->X * p->X * p->X + p->Y * p->Y * p->Y, 3 * p->X * p->Y, 1e-12);
    EXPECT_NEAR(p->X, 1.505, 0.01);
    EXPECT_FALSE(tracer.Nearest(-1, 2, 100, 100, 8).has_value());
}

TEST(RootFinding, PolynomialRootsSimpleDoubleAndNone) {
    // (t - 1)(t - 2)(t + 3) = t^3 - 7t + 6.
    EXPECT_THAT(PolynomialRoots({6, -7, 0, 1}), ::testing::ElementsAre(-3.0, 1.0, 2.0));
    EXPECT_THAT(PolynomialRoots({1, -2, 1}), ::testing::ElementsAre(1.0));
    EXPECT_TRUE(PolynomialRoots({1, 0, 1}).empty());
    // (t^2 - 1)(t^2 - 4): four roots.
    EXPECT_THAT(PolynomialRoots({4, 0, -5, 0, 1}), ::testing::ElementsAre(-2.0, -1.0, 1.0, 2.0));
    EXPECT_THAT(PolynomialRoots({-3, 2}), ::testing::ElementsAre(1.5));
    EXPECT_TRUE(PolynomialRoots({0, 0, 0}).empty());
    // A root at a pole is none: 1/(t - 0.3) changes sign there.
    const RealFunction pole = [](double t) -> std::optional<double> { return 1 / (t - 0.3); };
    EXPECT_FALSE(RootIn(pole, 0, 1, pole(0).value(), pole(1).value()).has_value());
    EXPECT_TRUE(ZerosOn(pole, -1, 1, 100).empty());
}

TEST(RootFinding, TurnsAndTouchesAreTakenWhereTheSlopeChangesSignOrBreaks) {
    const auto value = [](double v) { return std::optional<double>(v); };
    // 1 - cos(t - 0.7) touches zero at 0.7 (flat there to 1e-8 in its values), its slope
    // sin(t - 0.7).
    const RealFunction touch = [&](double t) { return value(1 - std::cos(t - 0.7)); };
    const RealFunction touchSlope = [&](double t) { return value(std::sin(t - 0.7)); };
    EXPECT_THAT(ZerosOn(touch, -2, 3, 37, touchSlope), ::testing::ElementsAre(0.7));
    const auto low = ExtremaOn(touch, -2, 3, 37, touchSlope);
    ASSERT_EQ(low.size(), 1u);
    EXPECT_EQ(low[0].T, 0.7);
    EXPECT_FALSE(low[0].IsMaximum);
    // cos t - t/4 is greatest where sin t = -1/4.
    const RealFunction wave = [&](double t) { return value(std::cos(t) - t / 4); };
    const RealFunction waveSlope = [&](double t) { return value(-std::sin(t) - 0.25); };
    const auto high = ExtremaOn(wave, -1, 1, 40, waveSlope);
    ASSERT_EQ(high.size(), 1u);
    EXPECT_TRUE(high[0].IsMaximum);
    EXPECT_TRUE(WithinUlps(high[0].T, -std::asin(0.25)));
    // |t - 0.3| + t/4 has a corner at 0.3: the slope jumps from -3/4 to 5/4 and has no value
    // there.
    const RealFunction corner = [&](double t) { return value(std::fabs(t - 0.3) + t / 4); };
    const RealFunction cornerSlope = [&](double t) {
        return value(t < 0.3 ? -0.75 : t > 0.3 ? 1.25 : NAN);
    };
    const auto bend = ExtremaOn(corner, -1, 2, 40, cornerSlope);
    ASSERT_EQ(bend.size(), 1u);
    EXPECT_EQ(bend[0].T, 0.3);
    // t^2/4 - 3 turns at 0 itself (halving alone stops at the least double above 0: half of
    // it is no longer a double, so the slope there is 0 too).
    const RealFunction bowl = [&](double t) { return value(t * t / 4 - 3); };
    const RealFunction bowlSlope = [&](double t) { return value(t / 2); };
    for (const auto& [lo, hi, n] : {std::tuple(-2.3, 3.1, 40), std::tuple(-2.3, 2.2, 37),
                                    std::tuple(-5.0, 1.3, 64), std::tuple(-1.7, 6.5, 100)}) {
        const auto vertex = ExtremaOn(bowl, lo, hi, n, bowlSlope);
        ASSERT_EQ(vertex.size(), 1u);
        EXPECT_EQ(vertex[0].T, 0) << lo << " " << hi << " " << n;
    }
    // A slope that disagrees with the values (its sign change at 0.31, the values' top at
    // 0.3) does not move the turn to a lower point.
    const RealFunction cap = [&](double t) { return value(-(t - 0.3) * (t - 0.3)); };
    const RealFunction capSlope = [&](double t) { return value(-2 * (t - 0.31)); };
    const auto top = ExtremaOn(cap, -1, 2, 40, capSlope);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_NEAR(top[0].T, 0.3, 1e-7);
    // A step is level on either side of its jumps: no turns, though each step's start is
    // higher than all before it.
    const RealFunction steps = [&](double t) { return value(std::trunc(t)); };
    const RealFunction stepSlope = [&](double t) { return value(t == std::trunc(t) ? NAN : 0); };
    EXPECT_TRUE(ExtremaOn(steps, -3.7, 3.2, 40, stepSlope).empty());
    // |sin t| touches zero at a corner: of the two doubles about pi the one where |sin| is
    // least, as the sign change of sin t itself gives it.
    const RealFunction wave2 = [&](double t) { return value(std::fabs(std::sin(t))); };
    const RealFunction wave2Slope = [&](double t) {
        return value(std::sin(t) > 0 ? std::cos(t) : std::sin(t) < 0 ? -std::cos(t) : NAN);
    };
    const RealFunction sine = [&](double t) { return value(std::sin(t)); };
    for (const int n : {37, 40, 64, 101})
        EXPECT_EQ(ZerosOn(wave2, 1, 5.5, n, wave2Slope), ZerosOn(sine, 1, 5.5, n)) << n;
    // A slope that keeps its sign leaves the turn where the values put it.
    const RealFunction wrong = [&](double) { return value(1); };
    const auto kept = ExtremaOn(wave, -1, 1, 40, wrong);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NEAR(kept[0].T, -std::asin(0.25), 1e-7);
}

TEST(KeyPoints, CurvesDrawnOverEachOtherOrAlongAnAxisMeetInNoSinglePoint) {
    Search s;
    s.Add(Equation(CurveParameter, "3*cos(t)", "2*sin(t)")); // 0: the ellipse, traced over
    s.Add(Params(Ellipse, {"3", "2"}));                      // 1: the same ellipse
    s.Add(Equation(CurveGeneralY, "0*x"));                   // 2: the x axis itself
    s.Add(Params(LineSI, {"1", "0"}));                       // 3: y = x
    s.Add(Equation(CurveGeneralY, "x"));                     // 4: y = x again
    const Found found = s.Run();
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 0, 1).empty());
    EXPECT_TRUE(found.Of(KeyPointKind::Zero, 2).empty());
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 3, 4).empty());
    // Each still meets the others where it should: y = x and the ellipse at
    // x = +-6/sqrt(13); the x axis and y = x at the origin.
    const auto diagonal = found.Of(KeyPointKind::Intersection, 1, 3);
    ASSERT_EQ(diagonal.size(), 2u);
    EXPECT_TRUE(WithinUlps(diagonal[1].X, 6 / std::sqrt(13.0)));
    const auto origin = found.Of(KeyPointKind::Intersection, 2, 3);
    ASSERT_EQ(origin.size(), 1u);
    EXPECT_EQ(std::tie(origin[0].X, origin[0].Y), std::tuple(0.0, 0.0));
    EXPECT_EQ(found.Of(KeyPointKind::Intersection, 0, 3).size(), 2u);
}

TEST(KeyPoints, PathsDrawnOverEachOtherMeetInNoSinglePointAndTouchingPathsInOne) {
    Search s;
    s.Add(Equation(CurveParameter, "cos(t)", "sin(t)", false, 0, 6.3f)); // 0: the unit circle
    s.Add(Equation(Polar, "1+0*z"));                                     // 1: the same
    s.Add(Equation(CurveParameter, "cos(t)", "sin(t)", false, 0.5, 2));  // 2: an arc of it
    // 3: the circle of radius 1 about (0.5, 0): it crosses the unit circle where x = 1/4.
    s.Add(Equation(CurveParameter, "0.5+cos(t)", "sin(t)", false, 0, 6.3f));
    s.Add(Equation(CurveParameter, "2+cos(t)", "sin(t)", false, 0, 6.3f));         // 4
    s.Add(Equation(CurveParameter, "-0.5+cos(t)/2", "sin(t)/2", false, -1, 5.3f)); // 5
    const Found found = s.Run();
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 0, 1).empty());
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 0, 2).empty());
    EXPECT_TRUE(found.Of(KeyPointKind::Intersection, 1, 2).empty());
    // 4: the circle of radius 1 about (2, 0) touches the unit circle at (1, 0), from outside;
    // 5: the circle of radius 1/2 about (-1/2, 0) touches it at (-1, 0), from inside.
    for (const int32_t circle : {0, 1}) {
        const auto outside = found.Of(KeyPointKind::Intersection, circle, 4);
        ASSERT_EQ(outside.size(), 1u) << circle;
        EXPECT_EQ(outside[0].X, 1) << circle;
        EXPECT_NEAR(outside[0].Y, 0, 1e-15) << circle; // sin of the double nearest pi
        const auto inside = found.Of(KeyPointKind::Intersection, circle, 5);
        ASSERT_EQ(inside.size(), 1u) << circle;
        EXPECT_EQ(inside[0].X, -1) << circle;
        EXPECT_NEAR(inside[0].Y, 0, 1e-15) << circle;
    }
    for (const int32_t circle : {0, 1}) {
        const auto cross = found.Of(KeyPointKind::Intersection, circle, 3);
        ASSERT_EQ(cross.size(), 2u) << circle;
        for (const KeyPoint& p : cross) {
            EXPECT_NEAR(p.X, 0.25, 1e-14) << circle;
            EXPECT_NEAR(std::fabs(p.Y), std::sqrt(15.0) / 4, 1e-14) << circle;
        }
    }
}

TEST(CurveTracer, FindsTheNearestPointOfTheNearestShownCurveWithinReach) {
    Search s;
    s.Add(Params(CircleStandard, {"1", "0", "2"}));          // 0: centre (1, 0), radius 2
    s.Add(Params(LineSI, {"0.5", "-3"}));                    // 1: y = x/2 - 3
    s.Add(Equation(CurveGeneralY, "x^2"));                   // 2
    s.Add(Equation(CurveParameter, "4*cos(t)", "3*sin(t)")); // 3: ellipse 4 by 3
    // 50 pixels per unit along x, 25 along y: the reach is 0.16 of a unit across, 0.32 up.
    const CurveTracer tracer(s.doc, s.context.Parser, Box);
    const auto near = [&](double x, double y) { return tracer.Nearest(x, y, 50, 25, 8); };

    // Outside the circle, right of its centre: the point on the radius through it.
    auto p = near(3.1, 0);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->Curve, 0);
    EXPECT_NEAR(p->X, 3, 1e-9);
    EXPECT_NEAR(p->Y, 0, 1e-9);
    // Below the line at x = 6 (y = 0): straight up in pixels, as x is stretched twice.
    p = near(6, -0.25);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->Curve, 1);
    EXPECT_NEAR(p->Y, p->X / 2 - 3, 1e-12);
    EXPECT_NEAR(p->X, 6, 0.05);
    // Beside the parabola at (2, 4), the nearest of its points in pixels is on it.
    p = near(2.1, 4);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->Curve, 2);
    EXPECT_NEAR(p->Y, p->X * p->X, 1e-9);
    EXPECT_LT(std::hypot((p->X - 2.1) * 50, (p->Y - 4) * 25), 5.0);
    // The parametric ellipse's top (0, 3), approached from above.
    p = near(0, 3.2);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->Curve, 3);
    EXPECT_NEAR(p->X, 0, 1e-6);
    EXPECT_NEAR(p->Y, 3, 1e-9);
    // Nine pixels from everything: nothing; and a hidden curve is never traced.
    EXPECT_TRUE(near(3.0 + 7.9 / 50, 0).has_value());
    EXPECT_FALSE(near(3.0 + 8.1 / 50, 0).has_value());
    EXPECT_FALSE(near(-8, -5).has_value());
    s.doc.SetFunListShowHide(2, false);
    const CurveTracer hidden(s.doc, s.context.Parser, Box);
    EXPECT_FALSE(hidden.Nearest(2.1, 4, 50, 25, 8).has_value());
}

// The search's tests are relative to the function's own size: a curve with small values has
// its zeros like any other, while one that rounding leaves ragged along the axis has none.
TEST(KeyPoints, SmallFunctionsHaveTheirZerosAndRoundingAlongTheAxisHasNone) {
    Search s;
    s.Add(Equation(CurveGeneralY, "x/1000000000"));               // 0
    s.Add(Equation(CurveGeneralY, "(x-1)*(x-2)/10000000000"));    // 1
    s.Add(Equation(CurveGeneralY, "sin(x)/10000000000"));         // 2
    s.Add(Equation(CurveGeneralY, "sin(x)^2+cos(x)^2-1"));        // 3: the axis, ragged
    s.Add(Equation(CurveGeneralX, "(y+3)*(y-0.5)/100000000000")); // 4: its zeros are y-intercepts
    const Found found = s.Run(); // x from -10 to 10: sin has 7 zeros and 6 turns there
    constexpr size_t Zeros = 7, Turns = 6;
    const auto xs = [&](KeyPointKind kind, int32_t curve) {
        std::vector<double> v;
        for (const KeyPoint& p : found.Of(kind, curve))
            v.push_back(kind == KeyPointKind::YIntercept ? p.Y : p.X);
        return v;
    };
    EXPECT_EQ(xs(KeyPointKind::Zero, 0), std::vector<double>{0});
    EXPECT_EQ(xs(KeyPointKind::Zero, 1), (std::vector<double>{1, 2}));
    const auto sines = xs(KeyPointKind::Zero, 2);
    ASSERT_FALSE(sines.empty());
    for (double x : sines)
        EXPECT_NEAR(std::remainder(x, M_PI), 0, 1e-15) << x;
    EXPECT_EQ(sines.size(), Zeros);
    for (const KeyPointKind kind : {KeyPointKind::Maximum, KeyPointKind::Minimum}) {
        const auto turns = found.Of(kind, 2);
        EXPECT_EQ(turns.size(), Turns / 2) << static_cast<int>(kind);
        for (const KeyPoint& p : turns)
            EXPECT_NEAR(std::remainder(p.X - M_PI / 2, M_PI), 0, 1e-15) << p.X;
    }
    EXPECT_TRUE(found.Of(KeyPointKind::Zero, 3).empty());
    EXPECT_EQ(xs(KeyPointKind::YIntercept, 4), (std::vector<double>{-3, 0.5}));
}

// A curve that waves faster than the plain grid: the grid is made finer where every step
// changes sign, so every zero and turn is listed; one faster than the finest grid allowed is
// said to be listed in part.
TEST(KeyPoints, FastWavesAreResolvedOrSaidToBeListedInPart) {
    Search s;
    s.Add(Equation(CurveGeneralY, "sin(1000*x)")); // 0
    s.Add(Equation(CurveGeneralY, "cos(1000*x)")); // 1
    const PlaneBox box{-3, 4, -2.5, 2};
    std::vector<int32_t> partial{99};
    const Found found{FindKeyPoints(s.doc, s.context.Parser, box, nullptr, &partial)};
    EXPECT_TRUE(partial.empty()) << testing::PrintToString(partial);
    // Roots k pi / 1000 for every k with -3 <= k pi / 1000 <= 4.
    const auto expect = [](double lo, double hi, double offset, double period) {
        std::vector<double> v;
        for (long k = static_cast<long>(std::ceil((lo - offset) / period));
             offset + static_cast<double>(k) * period <= hi; ++k)
            v.push_back(offset + static_cast<double>(k) * period);
        return v;
    };
    const auto near = [](const std::vector<double>& got, const std::vector<double>& want) {
        if (got.size() != want.size())
            return testing::AssertionFailure() << got.size() << " of " << want.size();
        for (size_t n = 0; n < got.size(); ++n)
            if (std::fabs(got[n] - want[n]) > 4e-15 * std::max(1.0, std::fabs(want[n])))
                return testing::AssertionFailure() << n << ": " << got[n] << " not " << want[n];
        return testing::AssertionSuccess();
    };
    EXPECT_TRUE(near(Xs(found.Of(KeyPointKind::Zero, 0)), expect(-3, 4, 0, M_PI / 1000)));
    EXPECT_TRUE(
        near(Xs(found.Of(KeyPointKind::Maximum, 0)), expect(-3, 4, M_PI / 2000, 2 * M_PI / 1000)));
    EXPECT_TRUE(
        near(Xs(found.Of(KeyPointKind::Minimum, 0)), expect(-3, 4, -M_PI / 2000, 2 * M_PI / 1000)));
    EXPECT_TRUE(near(Xs(found.Of(KeyPointKind::Intersection, 0, 1)),
                     expect(-3, 4, M_PI / 4000, M_PI / 1000)));
    // Along y as along x: x = sin(700 y) alone, its zeros are y-intercepts.
    Search upright;
    upright.Add(Equation(CurveGeneralX, "sin(700*y)"));
    std::vector<double> ys;
    for (const KeyPoint& p : upright.Run(box).Of(KeyPointKind::YIntercept, 0))
        ys.push_back(p.Y);
    EXPECT_TRUE(near(ys, expect(-2.5, 2, 0, M_PI / 700)));

    // A hundred times faster: more than the finest grid allows. Its meetings with the others
    // are in part too.
    s.Add(Equation(CurveGeneralY, "sin(100000*x)+x/10")); // 2
    FindKeyPoints(s.doc, s.context.Parser, box, nullptr, &partial);
    EXPECT_EQ(partial, (std::vector<int32_t>{0, 1, 2}));
}

// A wave whose period divides the grid's step looks level or smooth on the grid; probes part
// way along the steps see it, and the grid is made finer until every zero shows, or, past
// the finest grid allowed, its points are said to be listed in part: never silently thinned.
TEST(KeyPoints, AWaveHiddenByTheGridIsFoundWholeOrSaidToBeListedInPart) {
    // Box x from -2 to 5: 2048 steps of 7/2048, each exactly three periods of the wave.
    const PlaneBox box{-2, 5, -3, 3};
    const double omega = 2 * M_PI * 6144 / 7;
    for (const bool sine : {true, false}) {
        Search s;
        s.Add(Equation(CurveGeneralY, sine ? "sin(2*pi*6144/7*x)" : "cos(2*pi*6144/7*x)/3"));
        std::vector<int32_t> partial{7};
        const Found found{FindKeyPoints(s.doc, s.context.Parser, box, nullptr, &partial)};
        EXPECT_TRUE(partial.empty()) << sine;
        // Zeros at (k + offset) pi / omega.
        const double offset = sine ? 0 : 0.5;
        size_t expected = 0;
        for (long k = static_cast<long>(std::floor(-2 * omega / M_PI)) - 1;
             (static_cast<double>(k) + offset) * M_PI / omega <= 5; ++k)
            expected += (static_cast<double>(k) + offset) * M_PI / omega >= -2;
        EXPECT_EQ(found.Of(KeyPointKind::Zero, 0).size(), expected) << sine;
    }
    Search fast;
    fast.Add(Equation(CurveGeneralY, "sin(1000000*x)"));
    std::vector<int32_t> partial;
    FindKeyPoints(fast.doc, fast.context.Parser, box, nullptr, &partial);
    EXPECT_EQ(partial, std::vector<int32_t>{0});
    // A level line and a slow wave are not.
    Search calm;
    calm.Add(Equation(CurveGeneralY, "0*x+2"));
    calm.Add(Equation(CurveGeneralY, "sin(x/3)"));
    partial = {7};
    FindKeyPoints(calm.doc, calm.context.Parser, box, nullptr, &partial);
    EXPECT_TRUE(partial.empty());
}
