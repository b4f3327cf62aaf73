// Implicit curves: F compiled in two variables against the parser, and the zero set traced
// over a pixel grid against closed forms worked out by hand.
#include "plot/ImplicitCurves.h"

#include "PlotTestSupport.h"

#include "expr/PlaneFunction.h"
#include "expr/clsExpressionParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

struct ImplicitFixture : PlotFixture {
    PlaneFunction F(const std::string& text) {
        return PlaneFunction(context.Parser, *ImplicitFunctionText(text));
    }
    // The zero set over [left, right] x [bottom, top] on columns x rows pixels.
    ZeroSet Trace(const std::string& text, double left, double right, double bottom, double top,
                  int columns, int rows, double h = 0, double k = 0, unsigned threads = 1) {
        return TraceZeroSet(F(text), h, k, left, right, bottom, top, columns, rows, threads);
    }
};

// A multiple of 1/1024 written out exactly (the language has no exponents).
std::string Exact(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.10f)", v);
    return text;
}

// The traced points, and the segments between consecutive ones.
template <class Visit> void EachPoint(const ZeroSet& z, Visit visit) {
    for (const auto& line : z.Lines)
        for (const PlanePoint& p : line)
            visit(p);
}
template <class Visit> void EachSegment(const ZeroSet& z, Visit visit) {
    for (const auto& line : z.Lines)
        for (size_t n = 0; n + 1 < line.size(); ++n)
            visit(line[n], line[n + 1]);
}

// Whether some traced point lies within reach of (x, y).
bool Near(const ZeroSet& z, double x, double y, double reach) {
    bool found = false;
    EachPoint(z, [&](const PlanePoint& p) { found = found || std::hypot(p.x - x, p.y - y) <= reach; });
    return found;
}

} // namespace

TEST(PlaneFunction, GivesTheParsersValuesAndNoneWhereItFails) {
    ImplicitFixture f;
    f.context.Parser.AddConstant("a", 1.25);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> place(-6, 6);
    for (const char* text : {"x^2/9+y^2/4-1", "sin(x*y)-cos(x+y)", "x^3+y^3-3*a*x*y",
                             "sqr(x)+y", "log(x-y)*y", "1/(x-1)-y^2", "-x^2+2^y", "-x*y-y"}) {
        PlaneFunction plane(f.context.Parser, text);
        ASSERT_TRUE(plane.IsCompiled()) << text;
        for (int n = 0; n < 200; ++n) {
            const double x = std::round(place(random) * 1024) / 1024;
            const double y = std::round(place(random) * 1024) / 1024;
            const std::string both =
                SubstituteVariable(SubstituteVariable(text, "x", Exact(x)), "y", Exact(y));
            std::optional<double> expected;
            try {
                expected = f.context.Parser.ParseExpression(both);
            } catch (const AppError&) {
            }
            const std::optional<double> got = plane.Value(x, y);
            ASSERT_EQ(got.has_value(), expected.has_value()) << text << " at " << x << ", " << y;
            if (got) {
                EXPECT_EQ(*got, *expected) << text << " at " << x << ", " << y;
            }
            // The gradient against central differences, where both exist.
            const auto g = plane.Gradient(x, y);
            const double h = 1e-6;
            const auto xp = plane.Value(x + h, y), xm = plane.Value(x - h, y);
            const auto yp = plane.Value(x, y + h), ym = plane.Value(x, y - h);
            if (g && xp && xm && yp && ym) {
                EXPECT_NEAR(g->Dx, (*xp - *xm) / (2 * h), 1e-5 * (1 + std::fabs(g->Dx))) << text;
                EXPECT_NEAR(g->Dy, (*yp - *ym) / (2 * h), 1e-5 * (1 + std::fabs(g->Dy))) << text;
                EXPECT_EQ(g->Value, *got);
            }
        }
    }
    // What cannot be worked out at exact points has no program.
    EXPECT_FALSE(PlaneFunction(f.context.Parser, "rnd(1)*x-y").IsCompiled());
    EXPECT_FALSE(PlaneFunction(f.context.Parser, "x+z").IsCompiled());
    EXPECT_FALSE(PlaneFunction(f.context.Parser, "x+").IsCompiled());
    // One equals sign: the right side taken away, as a whole.
    EXPECT_EQ(*ImplicitFunctionText("x^2+y^2=4-x"), "x^2+y^2-(4-x)");
    EXPECT_EQ(*ImplicitFunctionText("x*y"), "x*y");
    EXPECT_FALSE(ImplicitFunctionText("x=y=1"));
    EXPECT_FALSE(ImplicitFunctionText(" =y"));
    EXPECT_FALSE(ImplicitFunctionText("x= "));
}

TEST(ImplicitTrace, ACircleIsTracedOnItselfAllRound) {
    ImplicitFixture f;
    // x from -3 to 3 on 300 pixels, y from -2.6 to 2.4 on 250: 50 pixels a unit.
    const ZeroSet z = f.Trace("x^2+y^2-4", -3, 3, -2.6, 2.4, 300, 250);
    ASSERT_FALSE(z.Lines.empty());
    EachPoint(z, [](const PlanePoint& p) { EXPECT_NEAR(std::hypot(p.x, p.y), 2, 1e-14); });
    const double pixel = 1.0 / 50;
    for (int d = 0; d < 36; ++d) {
        const double a = d * std::numbers::pi / 18;
        EXPECT_TRUE(Near(z, 2 * std::cos(a), 2 * std::sin(a), 1.5 * pixel)) << d * 10 << " degrees";
    }
    // No stroke longer than a two-pixel cell's diagonal: nothing across the circle.
    EachSegment(z, [&](const PlanePoint& a, const PlanePoint& b) {
        EXPECT_LE(std::hypot(a.x - b.x, a.y - b.y), 3 * pixel);
    });
    // The same from two threads, and moved by (0.5, -0.25).
    const ZeroSet two = f.Trace("x^2+y^2-4", -3, 3, -2.6, 2.4, 300, 250, 0, 0, 2);
    size_t one = 0, both = 0;
    EachPoint(z, [&](const PlanePoint&) { ++one; });
    EachPoint(two, [&](const PlanePoint&) { ++both; });
    EXPECT_EQ(one, both);
    const ZeroSet moved = f.Trace("x^2+y^2=4", -3, 3, -2.6, 2.4, 300, 250, 0.5, -0.25);
    EachPoint(moved, [](const PlanePoint& p) { EXPECT_NEAR(std::hypot(p.x - 0.5, p.y + 0.25), 2, 1e-14); });
    EXPECT_TRUE(Near(moved, 2.5, -0.25, 1.5 * pixel));
    EXPECT_FALSE(Near(moved, -2, 0, 5 * pixel));
}

TEST(ImplicitTrace, BranchesThatCrossAreDrawnThroughTheCrossing) {
    ImplicitFixture f;
    const double pixel = 0.02;
    // x^2 - y^2 = 0: both diagonals, right through the origin (inside a pixel here), every
    // stroke along one of them but within a pixel of the crossing.
    const ZeroSet cross = f.Trace("x^2-y^2", -2.007, 2.393, -2.211, 2.189, 220, 220);
    EachPoint(cross, [](const PlanePoint& p) { EXPECT_NEAR(std::fabs(p.x), std::fabs(p.y), 1e-14); });
    EachSegment(cross, [&](const PlanePoint& a, const PlanePoint& b) {
        const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
        if (std::hypot(mx, my) > 1.5 * pixel) {
            EXPECT_NEAR(std::fabs(mx), std::fabs(my), 1e-12) << mx << ", " << my;
        }
    });
    // x y = 0: the axes, crossing in the middle of a pixel whose corners alternate in sign.
    const ZeroSet axes = f.Trace("x*y", -2.01, 2.39, -2.21, 2.19, 220, 220);
    EachSegment(axes, [](const PlanePoint& a, const PlanePoint& b) {
        const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
        EXPECT_LE(std::min(std::fabs(mx), std::fabs(my)), 1e-12) << mx << ", " << my;
    });
    for (const double t : {-0.015, 0.015, 1.0})
        EXPECT_TRUE(Near(axes, t, 0, 0.011) && Near(axes, 0, t, 0.011)) << t;
    for (double t = -1.9; t <= 1.9; t += 0.1) {
        EXPECT_TRUE(Near(cross, t, t, 1.5 * pixel)) << t;
        EXPECT_TRUE(Near(cross, t, -t, 1.5 * pixel)) << t;
    }
    // The folium x^3 + y^3 = 3xy passes through (1.5, 1.5); its node at the origin is drawn.
    const ZeroSet folium = f.Trace("x^3+y^3-3*x*y", -2.5, 2.5, -2.3, 2.7, 250, 250);
    EXPECT_TRUE(Near(folium, 1.5, 1.5, pixel));
    // Through the node along both branches: y ~ x^2/3 and x ~ y^2/3 near it.
    for (double t : {-0.3, -0.1, 0.1, 0.3}) {
        EXPECT_TRUE(Near(folium, t, t * t / 3, 2 * pixel)) << t;
        EXPECT_TRUE(Near(folium, t * t / 3, t, 2 * pixel)) << t;
    }
    EXPECT_TRUE(Near(folium, 0, 0, 1.5 * pixel));
}

TEST(ImplicitTrace, NoLinesAcrossPolesGapsOrWhereFHasNoValue) {
    ImplicitFixture f;
    const double pixel = 0.02;
    // x y = 1: two branches, nothing across the origin.
    const ZeroSet hyperbola = f.Trace("x*y-1", -3, 3.4, -3.2, 3, 320, 310);
    EachSegment(hyperbola, [](const PlanePoint& a, const PlanePoint& b) {
        EXPECT_EQ(a.x > 0, b.x > 0);
        EXPECT_EQ(a.y > 0, b.y > 0);
    });
    EXPECT_TRUE(Near(hyperbola, 1, 1, pixel));
    EXPECT_TRUE(Near(hyperbola, -2, -0.5, pixel));
    // 1/x - y changes sign at its pole x = 0 too (inside a column of pixels): no line there.
    const ZeroSet pole = f.Trace("1/x-y", -3.011, 3.389, -3.2, 3, 320, 310);
    EachSegment(pole, [](const PlanePoint& a, const PlanePoint& b) { EXPECT_EQ(a.x > 0, b.x > 0); });
    EXPECT_FALSE(Near(pole, 0, 2, 0.1));
    EXPECT_TRUE(Near(pole, 0.5, 2, pixel));
    // sqr(x) + y = 0 where x < 0 has no value: nothing there, and no line into it.
    const ZeroSet root = f.Trace("sqr(x)+y", -2, 2.2, -2.1, 1.9, 210, 200);
    EachPoint(root, [](const PlanePoint& p) { EXPECT_GE(p.x, 0); });
    EXPECT_TRUE(Near(root, 1, -1, pixel));
    EXPECT_TRUE(Near(root, 0.25, -0.5, pixel));
    // No zero at all: nothing, and nothing to say.
    const ZeroSet none = f.Trace("x^2+y^2+1", -2, 2, -2, 2, 200, 200);
    EXPECT_TRUE(none.Lines.empty());
    EXPECT_FALSE(none.Unresolved);
}

TEST(ImplicitTrace, AZeroThatKeepsItsSignIsFoundOrSaid) {
    ImplicitFixture f;
    // (x - y)^2 = 0 never changes sign: found where the diagonal meets the cells' edges,
    // through their corners on one grid and between them on another.
    for (const double left : {-2.0, -2.0123}) {
        const ZeroSet touch = f.Trace("(x-y)^2", left, 2, -1.6, 2.4, 200, 200);
        ASSERT_FALSE(touch.Lines.empty()) << left;
        EachPoint(touch, [](const PlanePoint& p) { EXPECT_NEAR(p.x, p.y, 1e-12); });
        for (double t = -1.5; t <= 1.5; t += 0.25)
            EXPECT_TRUE(Near(touch, t, t, 0.05)) << left << " " << t;
    }
}
