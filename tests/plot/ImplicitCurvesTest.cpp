// Implicit curves: F compiled in two variables against the parser, and the zero set traced
// over a pixel grid against closed forms worked out by hand.
#include "plot/ImplicitCurves.h"

#include "PlotTestSupport.h"

#include "expr/PlaneFunction.h"
#include "expr/clsExpressionParser.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    EachPoint(z,
              [&](const PlanePoint& p) { found = found || std::hypot(p.x - x, p.y - y) <= reach; });
    return found;
}

} // namespace

TEST(PlaneFunction, GivesTheParsersValuesAndNoneWhereItFails) {
    ImplicitFixture f;
    f.context.Parser.AddConstant("a", 1.25);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> place(-6, 6);
    for (const char* text : {"x^2/9+y^2/4-1", "sin(x*y)-cos(x+y)", "x^3+y^3-3*a*x*y", "sqr(x)+y",
                             "log(x-y)*y", "1/(x-1)-y^2", "-x^2+2^y", "-x*y-y"}) {
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

TEST(PlaneFunction, BoundsOverABoxHoldEveryValueInItOrAreNotGiven) {
    ImplicitFixture f;
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> place(-7, 5), size(0.001, 3);
    for (const char* text :
         {"sin(x*y)-cos(x+y)", "x^3+y^3-3*x*y", "(x-2*y)^2-0.5", "exp(x/3)*atn(y)-tan(x/9)",
          "abs(x)-sgn(y)*fix(y*1.5)", "sqr(x^2+1)/(y^2+2)-log(x^2+3)", "x^-2+y^0.5-2^x"}) {
        PlaneFunction plane(f.context.Parser, text);
        ASSERT_TRUE(plane.IsCompiled()) << text;
        int given = 0;
        for (int n = 0; n < 300; ++n) {
            const double x0 = place(random), y0 = place(random);
            const double x1 = x0 + size(random), y1 = y0 + size(random) / 2;
            const auto bounds = plane.Range(x0, x1, y0, y1);
            if (!bounds) continue;
            ++given;
            ASSERT_LE(bounds->Low, bounds->High) << text;
            // The values on a 9 x 9 grid over the box lie within the bounds.
            for (int i = 0; i <= 8; ++i)
                for (int j = 0; j <= 8; ++j) {
                    const double x = x0 + (x1 - x0) * i / 8, y = y0 + (y1 - y0) * j / 8;
                    if (const auto v = plane.Value(x, y)) {
                        EXPECT_GE(*v, bounds->Low) << text << " at " << x << ", " << y;
                        EXPECT_LE(*v, bounds->High) << text << " at " << x << ", " << y;
                    }
                }
        }
        EXPECT_GT(given, 100) << text;
    }
    // No bounds where F has no value somewhere in the box, or a pole lies within it; bounds
    // again beside them.
    PlaneFunction root(f.context.Parser, "sqr(x)+y"), pole(f.context.Parser, "1/(x-1)+y");
    EXPECT_FALSE(root.Range(-0.5, 0.5, 0, 1));
    EXPECT_TRUE(root.Range(0.25, 1, -1, 2));
    EXPECT_FALSE(pole.Range(0.5, 1.5, 0, 1));
    const auto right = pole.Range(1.5, 2, -3, 0);
    ASSERT_TRUE(right);
    // 1/(x - 1) runs over [1, 2] and y over [-3, 0]: [-2, 2] exactly, as the bounds are tight.
    EXPECT_NEAR(right->Low, -2, 1e-12);
    EXPECT_NEAR(right->High, 2, 1e-12);
    PlaneFunction tangent(f.context.Parser, "tan(x)-y");
    EXPECT_FALSE(tangent.Range(1.5, 1.7, 0, 1));
    // A box of a single point: the value itself, within rounding.
    PlaneFunction waves(f.context.Parser, "sin(x*y)-cos(x+y)");
    const auto at = waves.Range(0.75, 0.75, -2.5, -2.5);
    ASSERT_TRUE(at);
    const double v = std::sin(0.75 * -2.5) - std::cos(0.75 - 2.5);
    EXPECT_NEAR(at->Low, v, 1e-14);
    EXPECT_NEAR(at->High, v, 1e-14);
}

namespace {

// Pixels of a columns x rows grid over the box where F changes sign between neighbouring
// points of a grid four times finer, and no traced stroke passes through the pixel or any
// pixel beside it: parts of the curve left out.
int MissedPixels(PlaneFunction f, const ZeroSet& z, double left, double right, double bottom,
                 double top, int columns, int rows) {
    const auto column = [&](double x) { return (x - left) / (right - left) * columns; };
    const auto row = [&](double y) { return (y - bottom) / (top - bottom) * rows; };
    std::vector<char> traced(static_cast<size_t>(columns * rows), 0);
    EachSegment(z, [&](const PlanePoint& a, const PlanePoint& b) {
        const double ca = column(a.x), ra = row(a.y), cb = column(b.x), rb = row(b.y);
        const int steps = 2 + static_cast<int>(40 * std::hypot(cb - ca, rb - ra));
        for (int s = 0; s <= steps; ++s) {
            const int i = static_cast<int>(std::floor(ca + (cb - ca) * s / steps));
            const int j = static_cast<int>(std::floor(ra + (rb - ra) * s / steps));
            if (i >= 0 && i < columns && j >= 0 && j < rows)
                traced[static_cast<size_t>(j * columns + i)] = 1;
        }
    });
    constexpr int Fine = 4;
    const auto value = [&](int i, int j) {
        return f.Value(left + (right - left) * i / (columns * Fine),
                       bottom + (top - bottom) * j / (rows * Fine));
    };
    int missed = 0;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            bool zero = false;
            for (int a = 0; a <= Fine && !zero; ++a)
                for (int b = 0; b <= Fine && !zero; ++b) {
                    const auto v = value(i * Fine + a, j * Fine + b);
                    const auto across = value(i * Fine + a + 1, j * Fine + b);
                    const auto up = value(i * Fine + a, j * Fine + b + 1);
                    zero = v && ((a < Fine && across && (*v >= 0) != (*across >= 0)) ||
                                 (b < Fine && up && (*v >= 0) != (*up >= 0)));
                }
            if (!zero) continue;
            bool near = false;
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    const int ni = i + di, nj = j + dj;
                    near = near || (ni >= 0 && ni < columns && nj >= 0 && nj < rows &&
                                    traced[static_cast<size_t>(nj * columns + ni)]);
                }
            missed += !near;
        }
    return missed;
}

} // namespace

TEST(ImplicitTrace, WavesFinerThanTheFirstGridAreAllDrawn) {
    ImplicitFixture f;
    // Far from the origin sin(x y) - cos(x + y) waves every few pixels, and its troughs can
    // fall on every corner and the middle of a coarse cell while thin crests between them
    // reach above zero. Two corners of the window's first view (1280 x 800 over
    // [-19.2192, 19.2192] x [-12.012, 12.012]), pixel for pixel.
    const double wide = 2 * 19.2192 / 1280, high = 2 * 12.012 / 800;
    for (const auto& [i0, j0] : {std::pair{100, 0}, std::pair{0, 700}}) {
        const double left = -19.2192 + i0 * wide, bottom = -12.012 + j0 * high;
        const double right = left + 160 * wide, top = bottom + 100 * high;
        const ZeroSet z = f.Trace("sin(x*y)-cos(x+y)", left, right, bottom, top, 160, 100);
        EXPECT_EQ(MissedPixels(f.F("sin(x*y)-cos(x+y)"), z, left, right, bottom, top, 160, 100), 0)
            << i0 << ", " << j0;
        EachPoint(z, [&](const PlanePoint& p) {
            EXPECT_NEAR(std::sin(p.x * p.y), std::cos(p.x + p.y), 1e-12);
        });
    }
}

TEST(ImplicitTrace, BranchesOfWavesThatCrossAtAShallowAngleGoOnThroughTheCrossing) {
    ImplicitFixture f;
    // Two places where branches of sin(x y) = cos(x + y) cross at a few degrees, pixel for
    // pixel as a 1400 x 830 window shows them: no line may end inside the window, nor close on
    // itself within a few pixels, where they used to stop short of the crossing and turn back
    // (the zero set has no small loops there).
    const double wide = 2 * 21.021 / 1400, high = 2 * 12.4624 / 830;
    for (const auto& [i0, j0] : {std::pair{140, 640}, std::pair{100, 700}}) {
        const double left = -21.021 + i0 * wide, bottom = -12.4624 + j0 * high;
        const double right = left + 30 * wide, top = bottom + 30 * high;
        const ZeroSet z = f.Trace("sin(x*y)-cos(x+y)", left, right, bottom, top, 30, 30);
        ASSERT_FALSE(z.Lines.empty());
        for (const auto& line : z.Lines)
            for (const PlanePoint& end : {line.front(), line.back()}) {
                const bool onEdge = std::min({end.x - left, right - end.x, end.y - bottom,
                                              top - end.y}) < 1e-9 * (right - left);
                EXPECT_TRUE(onEdge || (line.front() == line.back()))
                    << i0 << ", " << j0 << ": a line ends at " << end.x << ", " << end.y;
            }
        for (const auto& line : z.Lines) {
            if (!(line.front() == line.back())) continue;
            double x0 = line[0].x, x1 = x0, y0 = line[0].y, y1 = y0;
            for (const PlanePoint& p : line) {
                x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
                y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
            }
            EXPECT_TRUE(x1 - x0 > 4 * wide || y1 - y0 > 4 * high)
                << i0 << ", " << j0 << ": a loop at " << x0 << ", " << y0;
        }
    }
}

TEST(ImplicitTrace, APictureTracedAStripOfRowsAtATimeHasTheSamePoints) {
    ImplicitFixture f;
    // The waves where they are dense and a translated circle, traced whole and in strips of
    // 48 rows (the last one shorter): the same points, and a line ends only where the whole
    // one does or on a row where two strips meet.
    struct Case {
        std::string text;
        double left, right, bottom, top, h, k;
    };
    for (const Case& c : {Case{"sin(x*y)-cos(x+y)", 12.5, 18.2, -11.9, -7.1, 0, 0},
                          Case{"x^2+y^2-4", -3.3, 1.9, -1.2, 5.7, -0.7, 1.9}}) {
        const int columns = 200, rows = 150;
        const PlaneFunction fn = f.F(c.text);
        const ZeroSet whole = TraceZeroSet(fn, c.h, c.k, c.left, c.right, c.bottom, c.top,
                                           columns, rows, 2);
        const ZeroSet strips = TraceZeroSet(fn, c.h, c.k, c.left, c.right, c.bottom, c.top,
                                            columns, rows, 2, nullptr, int64_t{columns} * 48);
        const auto points = [](const ZeroSet& z) {
            std::vector<std::pair<double, double>> all;
            EachPoint(z, [&](const PlanePoint& p) { all.emplace_back(p.x, p.y); });
            std::sort(all.begin(), all.end());
            all.erase(std::unique(all.begin(), all.end()), all.end());
            return all;
        };
        ASSERT_GT(points(whole).size(), 100U) << c.text;
        EXPECT_EQ(points(whole), points(strips)) << c.text;
        std::vector<std::pair<double, double>> ends;
        for (const auto& line : whole.Lines)
            for (const PlanePoint& p : {line.front(), line.back()})
                ends.emplace_back(p.x, p.y);
        std::vector<double> meets;
        for (int row : {48, 96, 144})
            meets.push_back(c.bottom + (c.top - c.bottom) * row / rows);
        int cut = 0;
        for (const auto& line : strips.Lines) {
            if (line.front() == line.back()) continue;
            for (const PlanePoint& p : {line.front(), line.back()}) {
                const bool meet = std::find(meets.begin(), meets.end(), p.y) != meets.end();
                cut += meet;
                EXPECT_TRUE(meet || std::find(ends.begin(), ends.end(), std::pair{p.x, p.y}) !=
                                        ends.end())
                    << c.text << ": a line ends at " << p.x << ", " << p.y;
            }
        }
        EXPECT_GT(cut, 0) << c.text;
        // Each strip traces its own rows only: cutting lines keeps their segments, none twice.
        size_t counted = 0, before = 0;
        EachSegment(strips, [&](const PlanePoint&, const PlanePoint&) { ++counted; });
        EachSegment(whole, [&](const PlanePoint&, const PlanePoint&) { ++before; });
        EXPECT_EQ(counted, before) << c.text;
    }
}

TEST(ImplicitTrace, TwoLinesWithinAPixelOfEachOtherAreBothDrawn) {
    ImplicitFixture f;
    // y = x/7 + 0.31 and y = x/7 + 0.372 on pixels a tenth wide: two thirds of a pixel apart
    // upright, so most pixels they pass through have both, and corners of one sign.
    const ZeroSet z = f.Trace("(y-x/7-0.31)*(y-x/7-0.372)", -3.03, 2.97, -1.013, 1.987, 60, 30);
    for (const double shift : {0.31, 0.372}) {
        // Every pixel column has a point on this line.
        for (int i = 0; i < 60; ++i) {
            const double x0 = -3.03 + i * 0.1, x1 = x0 + 0.1;
            bool found = false;
            EachPoint(z, [&](const PlanePoint& p) {
                found = found || (p.x >= x0 - 1e-9 && p.x <= x1 + 1e-9 &&
                                  std::fabs(p.y - p.x / 7 - shift) < 1e-12);
            });
            EXPECT_TRUE(found) << shift << " in column " << i;
        }
    }
    EXPECT_EQ(
        MissedPixels(f.F("(y-x/7-0.31)*(y-x/7-0.372)"), z, -3.03, 2.97, -1.013, 1.987, 60, 30), 0);
    // y = x/50 + 0.013 and y = -x/50 + 0.013 cross at a shallow angle at (0, 0.013): within a
    // pixel of each other for 25 pixels either side, where pixels see both or cut corners off
    // one of them. Both are drawn through, every column, and as few lines as the window's
    // edges cut them into.
    const ZeroSet x = f.Trace("(y-x/50-0.013)*(y+x/50-0.013)", -4.017, 3.983, -0.31, 0.39, 80, 7);
    for (const double slope : {1.0 / 50, -1.0 / 50})
        for (int i = 0; i < 80; ++i) {
            const double x0 = -4.017 + i * 0.1, x1 = x0 + 0.1;
            bool found = false;
            EachPoint(x, [&](const PlanePoint& p) {
                found = found || (p.x >= x0 - 1e-9 && p.x <= x1 + 1e-9 &&
                                  std::fabs(p.y - slope * p.x - 0.013) < 1e-12);
            });
            EXPECT_TRUE(found) << slope << " in column " << i;
        }
    EXPECT_LE(x.Lines.size(), 4u);
}

TEST(ImplicitTrace, ACurveFinerThanThePixelsOrWithoutBoundsEnds) {
    ImplicitFixture f;
    // sin(100 x y) = 0.99: thin closed bands far finer than the pixels almost everywhere, with
    // pairs of zeros on most edges; the search for them stops at its share of the pixels, and
    // what was found is drawn.
    const ZeroSet dense = f.Trace("sin(100*x*y)-0.99", -19.2, 19.3, -12.1, 11.9, 320, 200);
    EXPECT_GT(dense.Lines.size(), 1000u);
    EachPoint(dense, [](const PlanePoint& p) {
        EXPECT_NEAR(std::sin(100 * p.x * p.y), 0.99, 1e-9 * (1 + std::fabs(100 * p.x * p.y)));
    });
    // The same on two threads, far out where the waves are finer than the pixels: a band that
    // had spent its search found no zeros on an edge where the other band found two, and its
    // lines took a point that was none.
    for (int run = 0; run < 4; ++run) {
        const ZeroSet far = f.Trace("sin(x*y)-cos(x+y)", -5000, 5000, -4000, 4000, 96, 80, 0, 0, 2);
        EXPECT_GT(far.Lines.size(), 100u);
        size_t bad = 0;
        EachPoint(far, [&](const PlanePoint& p) {
            bad += !(std::fabs(std::sin(p.x * p.y) - std::cos(p.x + p.y)) < 1e-6);
        });
        EXPECT_EQ(bad, 0u) << run;
    }
    // 0 = 0 and x - x = 0 hold over the whole plane: no curve, nothing drawn, and it is said
    // (once this searched every pixel as a touching zero).
    for (const char* text : {"0", "x-x", "y=y"}) {
        const ZeroSet plane = f.Trace(text, -19.2, 19.3, -12.1, 11.9, 640, 400);
        EXPECT_TRUE(plane.Lines.empty()) << text;
        EXPECT_TRUE(plane.Patch) << text;
    }
    EXPECT_FALSE(f.Trace("x^2+y^2-4", -3, 3.2, -3.1, 3, 200, 200).Patch);
    // (x/10)^300 has no bounds over boxes across x = 0 (the language's ^ binds after /): the
    // line y = 0 is still drawn, at once.
    const ZeroSet flat = f.Trace("y-x/10^300", -19.2, 19.3, -12.1, 11.9, 640, 400);
    EXPECT_TRUE(Near(flat, 0.3, 0, 0.1));
    EXPECT_TRUE(Near(flat, -7, 0, 0.1));
    EXPECT_FALSE(Near(flat, -15, 0, 1));
}

TEST(ImplicitTrace, TheStatusBarSaysWhatCannotBeDrawn) {
    // A patch where F is zero, a zero F touches where no edge meets it exactly, and a circle:
    // one notice each for the first two, none for the circle.
    for (const auto& [text, said] :
         {std::pair{"y-y+x-x", "函数在一片区域上处处为零, 画不出曲线"},
          std::pair{"abs(x-y-0.0123)", "函数在曲线两侧不变号, 找不到可以画出的点"},
          std::pair{"x^2+y^2=4", ""}}) {
        ImplicitFixture f;
        f.Add(Equation(Implicit, text));
        f.engine.RefreshAll();
        if (*said == 0) {
            EXPECT_TRUE(f.status.notices.empty()) << text;
            continue;
        }
        ASSERT_EQ(f.status.notices.size(), 1u) << text;
        EXPECT_NE(f.status.notices[0].find(said), std::string::npos) << f.status.notices[0];
    }
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
    EachPoint(moved, [](const PlanePoint& p) {
        EXPECT_NEAR(std::hypot(p.x - 0.5, p.y + 0.25), 2, 1e-14);
    });
    EXPECT_TRUE(Near(moved, 2.5, -0.25, 1.5 * pixel));
    EXPECT_FALSE(Near(moved, -2, 0, 5 * pixel));
}

TEST(ImplicitTrace, ACurveFinerThanThePixelsIsSearchedAlikeAllOverTheView) {
    ImplicitFixture f;
    // sin(8 x y) = cos(3 x + y) is the same turned half round the origin, and finer than these
    // pixels over most of the view: the first rows traced may not take the search's budget and
    // show as a solid band against the rows at the top, on one thread or two.
    for (const unsigned threads : {1u, 2u}) {
        const ZeroSet z =
            f.Trace("sin(8*x*y)-cos(3*x+y)", -21, 21, -12.5, 12.5, 320, 200, 0, 0, threads);
        size_t bottom = 0, top = 0;
        EachPoint(z, [&](const PlanePoint& p) {
            bottom += p.y < -7.5;
            top += p.y > 7.5;
        });
        ASSERT_GT(top, 1000u) << threads;
        EXPECT_LT(std::fabs(double(bottom) / double(top) - 1), 0.15)
            << threads << " threads: " << bottom << " points in the bottom rows, " << top
            << " in the top ones";
    }
}

TEST(ImplicitTrace, AFlatCrossingIsLocatedToTheLastBitToo) {
    ImplicitFixture f;
    // y = x^3 / 3 crosses the row y = 0 at x = 0, a zero of order three along the row, and
    // moved right by 0.7 at x = 0.7 (neither a grid column): each to the last bits, where the
    // solver's steps alone once left the first 1e-7 off.
    for (const double h : {0.0, 0.7}) {
        const ZeroSet cubic = f.Trace("x^3-3*y", -2.3125, 3.6875, -3, 3, 61, 52, h);
        bool seen = false;
        EachPoint(cubic, [&](const PlanePoint& p) {
            if (p.y != 0) return;
            seen = true;
            EXPECT_LT(std::fabs(p.x - h), h == 0 ? 1e-100 : 1e-14) << p.x;
        });
        EXPECT_TRUE(seen) << h;
    }
}

TEST(ImplicitTrace, BranchesThatCrossAreDrawnThroughTheCrossing) {
    ImplicitFixture f;
    const double pixel = 0.02;
    // x^2 - y^2 = 0: both diagonals, right through the origin (inside a pixel here), every
    // stroke along one of them but within a pixel of the crossing.
    const ZeroSet cross = f.Trace("x^2-y^2", -2.007, 2.393, -2.211, 2.189, 220, 220);
    EachPoint(cross,
              [](const PlanePoint& p) { EXPECT_NEAR(std::fabs(p.x), std::fabs(p.y), 1e-14); });
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
    EachSegment(pole,
                [](const PlanePoint& a, const PlanePoint& b) { EXPECT_EQ(a.x > 0, b.x > 0); });
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
