// Tangents, areas and lengths against closed forms worked out by hand.
#include "analysis/Calculus.h"

#include "plot/PlotTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double LanguagePi = 3.14159265358979; // pi in a text is this number

::testing::AssertionResult Near(double got, double truth, double relative = 1e-12) {
    if (std::fabs(got - truth) <= relative * std::max(1.0, std::fabs(truth)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << got << " is not within " << relative << " of " << truth;
}

struct Calculus : PlotFixture {
    Integral Area(int32_t curve, double a, double b, int32_t other = -1) {
        return AreaOf(doc, context.Parser, curve, other, a, b);
    }
    Integral Length(int32_t curve, double a, double b) {
        return LengthOf(doc, context.Parser, curve, a, b);
    }
    CurveRecord Moved(CurveRecord c, float h, float k) {
        c.CTh = h;
        c.CTk = k;
        return c;
    }
};

} // namespace

TEST(Calculus, AreasUnderCurvesAndBetweenThem) {
    Calculus f;
    const int sine = f.Add(Equation(CurveGeneralY, "sin(x)"));
    const int square = f.Add(Equation(CurveGeneralY, "x^2"));
    const int cap = f.Add(Equation(CurveGeneralY, "2-x^2"));
    const int inverse = f.Add(Equation(CurveGeneralY, "1/x"));
    const int line = f.Add(Params(LineSI, {"1", "2"}));               // y = x + 2
    const int upright = f.Add(Params(LineGeneral, {"1", "0", "-3"})); // x = 3
    // sin x from 0 to pi: 2; from 0 to 2 pi: 0 with 4 of area; backwards, the sign turns.
    Integral r = f.Area(sine, 0, Pi);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, 2));
    r = f.Area(sine, 0, 2 * Pi);
    EXPECT_TRUE(Near(r.Signed, 0));
    EXPECT_TRUE(Near(r.Unsigned, 4));
    r = f.Area(sine, Pi, 0);
    EXPECT_TRUE(Near(r.Signed, -2));
    EXPECT_TRUE(Near(r.Unsigned, 2));
    EXPECT_TRUE(Near(f.Area(square, 0, 1).Signed, 1.0 / 3));
    EXPECT_TRUE(Near(f.Area(inverse, 1, std::exp(2.0)).Signed, 2));
    // Between x^2 and 2 - x^2 from -1 to 1: 8/3, below the other one first.
    r = f.Area(square, -1, 1, cap);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, -8.0 / 3));
    EXPECT_TRUE(Near(r.Unsigned, 8.0 / 3));
    EXPECT_TRUE(Near(f.Area(cap, -1, 1, square).Signed, 8.0 / 3));
    // x^2 and the line y = x + 2 meet at -1 and 2: 9/2 between; a line upright bounds nothing
    // with a curve of x.
    r = f.Area(line, -1, 2, square);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, 4.5));
    EXPECT_EQ(f.Area(square, 0, 1, upright).Result, Integral::Outcome::Unsuited);
    // Translated along both axes: (x - 1)^2 + 2 from 0 to 2 is 14/3.
    const int moved = f.Add(f.Moved(Equation(CurveGeneralY, "x^2"), 1, 2));
    EXPECT_TRUE(Near(f.Area(moved, 0, 2).Signed, 14.0 / 3));
    // X=f(Y): against the y axis. y^2 from 0 to 1 is 1/3; moved by (2, -1), (y + 1)^2 + 2 from
    // -1 to 0 is 7/3.
    const int sideways = f.Add(Equation(CurveGeneralX, "y^2"));
    EXPECT_TRUE(Near(f.Area(sideways, 0, 1).Signed, 1.0 / 3));
    const int sidewaysMoved = f.Add(f.Moved(Equation(CurveGeneralX, "y^2"), 2, -1));
    EXPECT_TRUE(Near(f.Area(sidewaysMoved, -1, 0).Signed, 7.0 / 3));
    // A line across an X=f(Y) curve: x = y^2 and x = 3 (upright now counts), -sqrt 3 to sqrt 3.
    r = f.Area(upright, -std::sqrt(3.0), std::sqrt(3.0), sideways);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, 4 * std::sqrt(3.0)));
}

TEST(Calculus, SweptAreasOfParametricAndPolarCurves) {
    Calculus f;
    // The ellipse (3 cos t, 2 sin t) over a turn: 6 pi, wherever it is moved.
    const int ellipse = f.Add(Equation(CurveParameter, "3*cos(t)", "2*sin(t)"));
    Integral r = f.Area(ellipse, 0, 2 * Pi);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, 6 * Pi));
    const int movedEllipse =
        f.Add(f.Moved(Equation(CurveParameter, "3*cos(t)", "2*sin(t)"), 4, -3));
    EXPECT_TRUE(Near(f.Area(movedEllipse, 0, 2 * Pi).Signed, 6 * Pi, 1e-11));
    // Half a turn of the cardioid r = 1 + cos z: 3 pi / 4; the whole 3 pi / 2.
    const int cardioid = f.Add(Equation(Polar, "1+cos(z)"));
    EXPECT_TRUE(Near(f.Area(cardioid, 0, 2 * Pi).Signed, 1.5 * Pi));
    EXPECT_TRUE(Near(f.Area(cardioid, 0, Pi).Signed, 0.75 * Pi));
}

TEST(Calculus, ArcLengths) {
    Calculus f;
    // The catenary from 0 to 1: sinh 1; the circle of radius 2: 4 pi; r = 1: 2 pi.
    const int catenary = f.Add(Equation(CurveGeneralY, "(exp(x)+exp(-x))/2"));
    Integral r = f.Length(catenary, 0, 1);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, std::sinh(1.0)));
    EXPECT_EQ(r.Signed, r.Unsigned);
    EXPECT_TRUE(Near(f.Length(catenary, 1, 0).Signed, std::sinh(1.0))); // a length has no sign
    const int circle = f.Add(Equation(CurveParameter, "2*cos(t)", "2*sin(t)"));
    EXPECT_TRUE(Near(f.Length(circle, 0, 2 * Pi).Signed, 4 * Pi));
    const int round = f.Add(Equation(Polar, "1"));
    EXPECT_TRUE(Near(f.Length(round, 0, 2 * Pi).Signed, 2 * Pi));
    // x = y^2/2 from 0 to 1: (sqrt 2 + asinh 1) / 2; translation changes no length.
    const int sideways = f.Add(f.Moved(Equation(CurveGeneralX, "y^2/2"), 3, 1));
    EXPECT_TRUE(Near(f.Length(sideways, 0, 1).Signed, (std::sqrt(2.0) + std::asinh(1.0)) / 2));
    // sqrt x from 0 to 1: its slope is infinite at 0, its length (sqrt 5)/2 + asinh(2)/4.
    const int root = f.Add(Equation(CurveGeneralY, "sqr(x)"));
    r = f.Length(root, 0, 1);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, std::sqrt(5.0) / 2 + std::asinh(2.0) / 4, 1e-10));
}

TEST(Calculus, PolesAndUndefinedStretchesAreSaidNeverNumbered) {
    Calculus f;
    const int inverse = f.Add(Equation(CurveGeneralY, "1/x"));
    const int tangent = f.Add(Equation(CurveGeneralY, "tan(x)"));
    const int root = f.Add(Equation(CurveGeneralY, "sqr(x)"));
    const int square = f.Add(Equation(CurveGeneralY, "1/(x-0.3)^2"));
    const int slow = f.Add(Equation(CurveGeneralY, "1/sqr(abs(x-0.25))"));
    const int sinc = f.Add(Equation(CurveGeneralY, "sin(x)/x"));
    const int log = f.Add(Equation(CurveGeneralY, "log(x)"));
    for (const auto& [curve, a, b] :
         {std::tuple{inverse, -1.0, 1.0}, std::tuple{inverse, 0.0, 1.0},
          std::tuple{inverse, -2.0, 0.0}, std::tuple{tangent, 1.0, 2.0},
          std::tuple{tangent, -2.0, -1.0}, std::tuple{square, -1.0, 2.0}}) {
        const Integral r = f.Area(curve, a, b);
        EXPECT_EQ(r.Result, Integral::Outcome::Divergent) << curve << " " << a << " " << b;
        EXPECT_THAT(r.Problem, ::testing::HasSubstr("积分发散"));
    }
    const Integral undefined = f.Area(root, -1, 1);
    EXPECT_EQ(undefined.Result, Integral::Outcome::Undefined);
    EXPECT_THAT(undefined.Problem, ::testing::HasSubstr("之间无定义"));
    // Singular but integrable: 1/sqrt x from 0 to 1 is 2, sin x/x has no value at 0 only
    // (2 Si(1)), log x at 0 (-1). 1/sqrt|x - 1/4| converges too, but doubles cannot come nearer
    // 1/4 than 5.6e-17, which leaves 1e-8 of the integral out of reach: said, not numbered.
    const int rootInverse = f.Add(Equation(CurveGeneralY, "1/sqr(x)"));
    Integral r = f.Area(rootInverse, 0, 1);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, 2));
    r = f.Area(slow, -1, 1);
    EXPECT_EQ(r.Result, Integral::Outcome::Inexact);
    EXPECT_THAT(r.Problem, ::testing::HasSubstr("精度不够"));
    r = f.Area(sinc, -1, 1);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, 1.8921661407343660));
    r = f.Area(log, 0, 1);
    ASSERT_TRUE(r.Ok()) << r.Problem;
    EXPECT_TRUE(Near(r.Signed, -1));
    // Ends that are no numbers, and what has no area of its own.
    EXPECT_EQ(f.Area(inverse, 1, INFINITY).Result, Integral::Outcome::Unsuited);
    const int circle = f.Add(Params(CircleStandard, {"0", "0", "1"}));
    EXPECT_EQ(f.Area(circle, 0, 1).Result, Integral::Outcome::Unsuited);
    const int random = f.Add(Equation(CurveGeneralY, "rnd(1)*x"));
    EXPECT_THAT(f.Area(random, 0, 1).Problem, ::testing::HasSubstr("RND"));
}

TEST(Calculus, TangentsAndNormals) {
    Calculus f;
    // x^2 at 1: y = 2x - 1, the normal y = -x/2 + 3/2.
    const CurveRecord square = Equation(CurveGeneralY, "x^2");
    std::string problem;
    auto tangent = TangentAt(square, f.context.Parser, 1, problem);
    ASSERT_TRUE(tangent);
    EXPECT_EQ(tangent->X, 1);
    EXPECT_EQ(tangent->Y, 1);
    EXPECT_EQ(tangent->Slope, 2);
    EXPECT_FALSE(tangent->Vertical);
    const TangentLine normal = NormalOf(*tangent);
    EXPECT_EQ(normal.Slope, -0.5);
    // The line as a curve: the point-slope form with 17 digits.
    const CurveRecord line = LineCurve(NormalOf(*tangent), 0x123456);
    EXPECT_EQ(line.FType, LinePS);
    EXPECT_EQ(CurveDescription(line), "直线: y-(1)=(-0.5)*(x-(1))");
    EXPECT_EQ(line.LineColor, 0x123456u);
    // The unit circle by its parameter at pi/4 (as a text says it): the tangent falls with
    // slope -cot t, the normal rises through the origin.
    const CurveRecord circle = Equation(CurveParameter, "cos(t)", "sin(t)");
    const double t = LanguagePi / 4;
    tangent = TangentAt(circle, f.context.Parser, t, problem);
    ASSERT_TRUE(tangent);
    EXPECT_TRUE(Near(tangent->X, std::cos(t), 1e-15));
    EXPECT_TRUE(Near(tangent->Slope, -std::cos(t) / std::sin(t), 1e-15));
    const TangentLine circleNormal = NormalOf(*tangent);
    EXPECT_TRUE(Near(circleNormal.Y - circleNormal.Slope * circleNormal.X, 0, 1e-15));
    // At t = 0 it is upright: the general form x - 1 = 0.
    tangent = TangentAt(circle, f.context.Parser, 0, problem);
    ASSERT_TRUE(tangent);
    EXPECT_TRUE(tangent->Vertical);
    EXPECT_EQ(CurveDescription(LineCurve(*tangent, 0)), "直线: (1)*x+(0)*y+(-1)=0");
    EXPECT_EQ(NormalOf(*tangent).Slope, 0);
    // X=f(Y), translated: x = y^2 + 1 moved up by 2, at y = 1: the point (2, 3), dy/dx 1/2.
    CurveRecord sideways = Equation(CurveGeneralX, "y^2+1");
    sideways.CTk = 2;
    tangent = TangentAt(sideways, f.context.Parser, 1, problem);
    ASSERT_TRUE(tangent);
    EXPECT_EQ(std::tie(tangent->X, tangent->Y, tangent->Slope), std::tuple(2.0, 3.0, 0.5));
    // A polar curve: r = 2 (a circle) at z = pi/2, the top: level.
    tangent = TangentAt(Equation(Polar, "2"), f.context.Parser, Pi / 2, problem);
    ASSERT_TRUE(tangent);
    EXPECT_TRUE(Near(tangent->Slope, 0, 1e-15));
    EXPECT_TRUE(Near(tangent->Y, 2));
    // No point, no slope, no expression to work on: said why.
    EXPECT_FALSE(TangentAt(Equation(CurveGeneralY, "sqr(x)"), f.context.Parser, -1, problem));
    EXPECT_EQ(problem, "曲线在该处无定义");
    EXPECT_FALSE(TangentAt(Equation(CurveGeneralY, "abs(x)"), f.context.Parser, 0, problem));
    EXPECT_EQ(problem, "曲线在该处没有切线");
    EXPECT_FALSE(TangentAt(Params(CircleStandard, {"0", "0", "1"}), f.context.Parser, 0, problem));
}
