#include "PlotTestSupport.h"

#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"
#include "plot/EquationCurves.h"
#include "plot/Sampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

struct SampledCurve {
    CurveTiming timing;
    std::vector<DrawOp> lines;
};

SampledCurve DrawY(PlotFixture& f, const std::string& e, float min, float max) {
    EquationContext c{f.context.Parser, f.view, f.canvas, f.clock, f.messages};
    f.canvas.ops.clear();
    SampledCurve r{DrawYofX(c, e, min, max, 0xFF), {}};
    r.lines = f.canvas.Of(DrawOp::Line);
    return r;
}

bool Joined(const std::vector<DrawOp>& lines) {
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].x1 != lines[i - 1].x2 || lines[i].y1 != lines[i - 1].y2) return false;
    return true;
}

TEST(EquationCurves, ParabolaLeavesThroughTheTopOnBothSides) {
    PlotFixture f;
    f.clock.readings = {100.0f, 100.5f};
    const SampledCurve r = DrawY(f, "x*x", f.view.ScaleLeft(), f.view.Right());
    EXPECT_TRUE(r.timing.Drawn);
    EXPECT_EQ(r.timing.Elapsed, 0.5f);
    ASSERT_GT(r.lines.size(), 1000u);
    EXPECT_TRUE(Joined(r.lines));
    // The stored point 0 (the last sample before entry) is never joined: the first line
    // starts inside the view, the last one ends one sample past the top.
    EXPECT_LE(r.lines.front().y1, 5.0f);
    EXPECT_GT(r.lines.back().y2, 5.0f);
    EXPECT_LT(r.lines.back().y2, 5.01f);
    EXPECT_NEAR(r.lines.front().x1, -std::sqrt(5.0f), 0.01f);
    EXPECT_NEAR(r.lines.back().x2, std::sqrt(5.0f), 0.01f);
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(EquationCurves, AFailingSampleAbandonsTheCurveWithOneReport) {
    PlotFixture f;
    const SampledCurve r = DrawY(f, "sqr(x)", -5, 5);
    EXPECT_FALSE(r.timing.Drawn);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Number = 5\n")));
    EXPECT_EQ(f.messages.progressHidden, 1);

    const SampledCurve half = DrawY(f, "sqr(x)", 0, 5);
    EXPECT_TRUE(half.timing.Drawn);
    EXPECT_FALSE(half.lines.empty());
    // A value beyond the single range is an overflow too.
    DrawY(f, "10^39*x", 1, 2);
    EXPECT_THAT(f.messages.Texts(),
                ElementsAre(HasSubstr("Err.Number = 5\n"), HasSubstr("Err.Number = 6\n")));
}

// Lines with one end beyond the top and the other beyond the bottom (or left and right).
int Across(const std::vector<DrawOp>& lines, const View& v, bool sideways = false) {
    int n = 0;
    for (const DrawOp& op : lines)
        n += sideways ? (op.x1 < v.ScaleLeft() && op.x2 > v.Right()) ||
                            (op.x1 > v.Right() && op.x2 < v.ScaleLeft())
                      : (op.y1 > v.ScaleTop() && op.y2 < v.Bottom()) ||
                            (op.y1 < v.Bottom() && op.y2 > v.ScaleTop());
    return n;
}

std::vector<DrawOp> Drawn(PlotFixture& f, int type, const std::string& e,
                          const std::string& e2 = "", bool definedOnly = false) {
    EquationContext c{f.context.Parser, f.view, f.canvas, f.clock, f.messages};
    c.DefinedOnly = definedOnly;
    f.canvas.ops.clear();
    const float left = f.view.ScaleLeft(), right = f.view.Right();
    if (type == CurveGeneralY) DrawYofX(c, e, left, right, 0xFF);
    if (type == CurveGeneralX) DrawXofY(c, e, f.view.Bottom(), f.view.ScaleTop(), 0xFF);
    if (type == CurveParameter) DrawParametric(c, e, e2, left, right, 0xFF);
    return f.canvas.Of(DrawOp::Line);
}

// The two samples about the middle of the view (along y for X=f(Y)) as their value texts
// give them, and half the view's extent across.
struct Neighbours {
    double a, b, half;
    // text with A for a, B for b, P for their middle, H for half and V for the variable.
    std::string Of(std::string text, bool alongY = false) const {
        for (const auto& [key, value] :
             {std::pair{'A', a}, {'B', b}, {'P', (a + b) / 2}, {'H', half}}) {
            char number[64];
            std::snprintf(number, sizeof number, "(%.12f)", value);
            for (size_t at; (at = text.find(key)) != std::string::npos;)
                text.replace(at, 1, number);
        }
        for (size_t at; (at = text.find('V')) != std::string::npos;)
            text.replace(at, 1, alongY ? "y" : "x");
        return text;
    }
};

Neighbours AboutTheMiddle(const View& view, bool alongY) {
    const float from = alongY ? view.Bottom() : view.ScaleLeft();
    const float middle =
        alongY ? (view.Bottom() + view.ScaleTop()) / 2 : (view.ScaleLeft() + view.Right()) / 2;
    float before = from, v = from;
    while (v <= middle) {
        before = v;
        v = NextSample(v, view.SampleStep());
    }
    return {static_cast<double>(SampleValueTenThousandths(before)) / 10000,
            static_cast<double>(SampleValueTenThousandths(v)) / 10000,
            alongY ? view.Right() - middle : view.ScaleTop() - middle};
}

// A pole halfway between the two, steep enough that both lie beyond opposite edges and the
// samples next to them in view: a jump between neighbouring samples.
const char* const PoleBetween = "0.7*(B-A)*H/(V-P)";

} // namespace

TEST(EquationCurves, NoStrokeAcrossTheViewWhereTheCurveWentRoundOutsideIt) {
    // tan x leaves through the top many samples before its pole and comes back through the
    // bottom many after: the two were joined by a diagonal across the whole view. In a view
    // wider than tall (x to about +-15) that is a sawtooth; in any view, a wrong picture.
    for (const auto& [w, h] : {std::pair{333, 333}, std::pair{900, 250}}) {
        PlotFixture f(w, h);
        const std::vector<DrawOp> lines = Drawn(f, CurveGeneralY, "tan(x)");
        EXPECT_EQ(Across(lines, f.view), 0) << w << "x" << h;
        // Each branch still runs to both edges: one stroke out through the top before every
        // pole and one in through the bottom after it.
        int out = 0, in = 0;
        for (const DrawOp& op : lines) {
            out += op.y1 <= f.view.ScaleTop() && op.y2 > f.view.ScaleTop();
            in += op.y1 < f.view.Bottom() && op.y2 >= f.view.Bottom();
        }
        const int poles = static_cast<int>(std::floor(f.view.Right() / std::numbers::pi + 0.5)) * 2;
        EXPECT_EQ(out, poles) << w << "x" << h;
        EXPECT_EQ(in, poles) << w << "x" << h;
    }
    // The same along x, for X=f(Y) in a view taller than wide and a parametric curve.
    PlotFixture tall(250, 900);
    EXPECT_EQ(Across(Drawn(tall, CurveGeneralX, "tan(y)"), tall.view, true), 0);
    EXPECT_GT(Drawn(tall, CurveGeneralX, "tan(y)").size(), 1000u);
    PlotFixture wide(900, 250);
    EXPECT_EQ(Across(Drawn(wide, CurveParameter, "t", "tan(t)"), wide.view), 0);

    // A jump between neighbouring samples is still the near-vertical stroke, from below the
    // view to above it.
    PlotFixture g(900, 300);
    g.view.Scale(30, true, true);
    g.view.CenterView();
    EXPECT_EQ(
        Across(Drawn(g, CurveGeneralY, AboutTheMiddle(g.view, false).Of(PoleBetween)), g.view), 1);
    PlotFixture h(300, 900);
    h.view.Scale(30, true, true);
    h.view.CenterView();
    EXPECT_EQ(Across(Drawn(h, CurveGeneralX, AboutTheMiddle(h.view, true).Of(PoleBetween, true)),
                     h.view, true),
              1);
}

TEST(EquationCurves, DrawnWhereDefinedTheCurveGoesOnPastFailingSamples) {
    PlotFixture f(500, 300); // x from about -8.3 to 8.3, y from about -5 to 5
    const float left = f.view.ScaleLeft(), right = f.view.Right();
    // sqr x: nothing for x < 0, from the origin to the right edge after it; no box.
    std::vector<DrawOp> lines = Drawn(f, CurveGeneralY, "sqr(x)", "", true);
    ASSERT_GT(lines.size(), 1000u);
    EXPECT_TRUE(f.messages.shown.empty());
    float least = right, most = left;
    for (const DrawOp& op : lines) {
        least = std::min({least, op.x1, op.x2});
        most = std::max({most, op.x1, op.x2});
        EXPECT_NEAR(op.y2, std::sqrt(std::max(op.x2, 0.0f)), 1e-3);
    }
    EXPECT_GE(least, 0.0f);
    EXPECT_LT(least, 0.01f);
    EXPECT_NEAR(most, right, 0.05f);
    // arcsin(x/5) only between -5 and 5, and log x, each ending where its domain does.
    for (const auto& [e, from, to] : {std::tuple{"arcsin(x/5)", -5.0f, 5.0f},
                                      std::tuple{"log(x)", std::exp(f.view.Bottom()), right}}) {
        lines = Drawn(f, CurveGeneralY, e, "", true);
        ASSERT_FALSE(lines.empty()) << e;
        least = right, most = left;
        for (const DrawOp& op : lines) {
            least = std::min({least, op.x1, op.x2});
            most = std::max({most, op.x1, op.x2});
        }
        EXPECT_NEAR(least, from, 0.01f) << e;
        EXPECT_NEAR(most, to, 0.05f) << e;
        EXPECT_GE(least, from) << e;
    }
    EXPECT_TRUE(f.messages.shown.empty());
    // sqr(sin x) in pieces: no line across the stretches where sin x < 0.
    lines = Drawn(f, CurveGeneralY, "sqr(sin(x))", "", true);
    ASSERT_GT(lines.size(), 1000u);
    for (const DrawOp& op : lines) {
        const double mid = (op.x1 + op.x2) / 2.0;
        ASSERT_GE(std::sin(mid), -1e-3) << "a line over " << mid;
    }
    // The same for the other kinds: X=f(Y) where y >= 1, a parametric curve where t > -2.
    lines = Drawn(f, CurveGeneralX, "log(y-1)", "", true);
    ASSERT_FALSE(lines.empty());
    for (const DrawOp& op : lines)
        ASSERT_GT(op.y1, 1.0f);
    lines = Drawn(f, CurveParameter, "t", "1/sqr(t+2)", true);
    ASSERT_FALSE(lines.empty());
    for (const DrawOp& op : lines)
        ASSERT_GT(op.x1, -2.0f);
    EXPECT_TRUE(f.messages.shown.empty());

    // What comes from the text alone still abandons the curve with its box: a syntax error,
    // an unknown name, a part without the variable that fails whatever it is.
    EXPECT_TRUE(Drawn(f, CurveGeneralY, "sqr(x", "", true).empty());
    EXPECT_TRUE(Drawn(f, CurveGeneralY, "foo(x)", "", true).empty());
    EXPECT_TRUE(Drawn(f, CurveGeneralY, "x+1/(3-3)", "", true).empty());
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("缺少"), HasSubstr("函数 foo 不存在"),
                                                HasSubstr("除数为零错误")));
    // Off, the first failing sample abandons the curve, as it always did.
    EXPECT_TRUE(Drawn(f, CurveGeneralY, "sqr(x)").empty());
    EXPECT_EQ(f.messages.shown.size(), 4u);
}

TEST(EquationCurves, DrawnWhereDefinedAJumpThroughAPoleIsNotStroked) {
    // The jump between neighbouring samples of the test above, drawn where defined.
    PlotFixture g(900, 300);
    g.view.Scale(30, true, true);
    g.view.CenterView();
    const Neighbours n = AboutTheMiddle(g.view, false);
    EXPECT_EQ(Across(Drawn(g, CurveGeneralY, n.Of(PoleBetween), "", true), g.view), 0);
    PlotFixture h(300, 900);
    h.view.Scale(30, true, true);
    h.view.CenterView();
    EXPECT_EQ(Across(Drawn(h, CurveGeneralX, AboutTheMiddle(h.view, true).Of(PoleBetween, true), "",
                           true),
                     h.view, true),
              0);
    // The same samples jumping without a pole (a step), or by a steep wave through the view,
    // stay joined as they are when the option is off.
    for (const char* jump : {"sgn(V-P)", "sin(3.14159265358979*(V-P)/(B-A))"}) {
        const std::string e = n.Of("1.4*H*" + std::string(jump) + "*(1-0.7*fix(abs(V-P)/(B-A)))");
        EXPECT_EQ(Across(Drawn(g, CurveGeneralY, e), g.view), 1) << jump;
        EXPECT_EQ(Across(Drawn(g, CurveGeneralY, e, "", true), g.view), 1) << jump;
    }
    // Zoomed out, 1/x jumps from beyond the bottom (a sample left of its pole) into the view
    // (the next): no stroke over the pole, while the branches reach both edges.
    PlotFixture far(300, 300);
    far.view.Scale(40, true, true);
    far.view.CenterView();
    const std::vector<DrawOp> off = Drawn(far, CurveGeneralY, "1/(x+0.00003)");
    const auto overThePole = [](const std::vector<DrawOp>& lines) {
        return std::count_if(lines.begin(), lines.end(), [](const DrawOp& op) {
            return std::min(op.x1, op.x2) < -0.00003f && std::max(op.x1, op.x2) > -0.00003f;
        });
    };
    EXPECT_EQ(overThePole(off), 1);
    const std::vector<DrawOp> lines = Drawn(far, CurveGeneralY, "1/(x+0.00003)", "", true);
    EXPECT_EQ(overThePole(lines), 0);
    EXPECT_EQ(lines.size(), off.size() - 1);
    EXPECT_TRUE(g.messages.shown.empty());
}

TEST(EquationCurves, TheOtherThreeKinds) {
    PlotFixture f;
    EquationContext c{f.context.Parser, f.view, f.canvas, f.clock, f.messages};
    EXPECT_TRUE(DrawPolar(c, "1", 0xFF).Drawn);
    for (const DrawOp& op : f.canvas.Of(DrawOp::Line))
        ASSERT_NEAR(std::hypot(op.x2, op.y2), 1.0, 1e-5);
    EXPECT_GT(f.canvas.Of(DrawOp::Line).size(), 100u);

    f.canvas.ops.clear();
    EXPECT_TRUE(DrawParametric(c, "cos(t)", "sin(t)", -5, 5, 0xFF).Drawn);
    for (const DrawOp& op : f.canvas.Of(DrawOp::Line))
        ASSERT_NEAR(std::hypot(op.x2, op.y2), 1.0, 1e-3);

    // x = y*y in a window wider than tall: branches until x reaches the right edge.
    PlotFixture wide(600, 200);
    EquationContext w{wide.context.Parser, wide.view, wide.canvas, wide.clock, wide.messages};
    EXPECT_TRUE(DrawXofY(w, "y*y", wide.view.Bottom(), wide.view.ScaleTop(), 0xFF).Drawn);
    float maxX = 0;
    for (const DrawOp& op : wide.canvas.Of(DrawOp::Line))
        maxX = std::max(maxX, op.x2);
    EXPECT_NEAR(maxX, wide.view.Right(), 0.05); // one sample past the edge
}

TEST(EquationCurves, WhereTheStepCannotAdvanceASingleEverySingleIsSampled) {
    // A parametric circle over t from 1e6 to 1e6 + 100: there adding the step of a view
    // changes no single (they lie 1/16 apart), so the run goes through each in turn.
    PlotFixture f;
    ASSERT_EQ(1e6f + f.view.SampleStep(), 1e6f);
    EquationContext c{f.context.Parser, f.view, f.canvas, f.clock, f.messages};
    EXPECT_TRUE(DrawParametric(c, "cos(t)", "sin(t)", 1e6f, 1e6f + 100, 0xFF).Drawn);
    const std::vector<DrawOp> lines = f.canvas.Of(DrawOp::Line);
    EXPECT_GT(lines.size(), 90u); // the function sees t to seven digits: a chord per unit
    for (const DrawOp& op : lines)
        ASSERT_NEAR(std::hypot(op.x2, op.y2), 1.0, 1e-6);
    EXPECT_TRUE(f.messages.shown.empty());

    // A range no redraw could sample in reasonable time is said so, drawing nothing.
    PlotFixture g;
    const SampledCurve huge = DrawY(g, "x", -1e30f, 1e30f);
    EXPECT_FALSE(huge.timing.Drawn);
    EXPECT_TRUE(huge.lines.empty());
    EXPECT_THAT(g.messages.Texts(),
                ElementsAre(AllOf(HasSubstr("Err.Number = 6\n"), HasSubstr("取值范围过大"))));
    // A reversed range is empty.
    EXPECT_TRUE(DrawY(g, "x", 5, -5).lines.empty());
    EXPECT_EQ(g.messages.shown.size(), 1u);

    // A text longer than the substitution can count is refused at once; one as long as
    // that is drawn.
    std::string sum = "x";
    while (sum.size() + 2 <= 32767)
        sum += "+1";
    EXPECT_TRUE(DrawY(g, sum, -5, 5).timing.Drawn);
    EXPECT_FALSE(DrawY(g, sum + "+1", -5, 5).timing.Drawn);
    EXPECT_THAT(g.messages.Texts().back(), HasSubstr("表达式过长: 有 32769 个字符, 最多 32767 个"));
}

TEST(EquationCurves, AFirstSampleInViewStoresTheUnusedOrigin) {
    PlotFixture f;
    // y = 3 from x = 1: the first sample is in view, so stored point 0 is (0, 0) and the
    // curve starts at x = 1, never at the origin.
    const SampledCurve r = DrawY(f, "3", 1, 2);
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines.front().x1, 1.0f);
    EXPECT_EQ(r.lines.front().y1, 3.0f);
}

TEST(EquationCurves, NoStrokeRunsAlongTheEdgeACurveLeftAndCameBackThrough) {
    // x*sin(x) in a view wider than tall (x to about +-18, y to about +-6) leaves and comes
    // back through the top and through the bottom edge.
    PlotFixture f(1200, 400);
    EquationContext c{f.context.Parser, f.view, f.canvas, f.clock, f.messages};
    const float top = f.view.ScaleTop(), bottom = f.view.Bottom();
    ASSERT_TRUE(DrawYofX(c, "sin(x)*x", f.view.ScaleLeft(), f.view.Right(), 0xFF).Drawn);
    const std::vector<DrawOp> lines = f.canvas.Of(DrawOp::Line);
    int throughTop = 0, throughBottom = 0;
    for (const DrawOp& op : lines) {
        EXPECT_FALSE(op.y1 > top && op.y2 > top) << op.x1 << " above the top";
        EXPECT_FALSE(op.y1 < bottom && op.y2 < bottom) << op.x1 << " below the bottom";
        throughTop += (op.y1 > top) != (op.y2 > top);
        throughBottom += (op.y1 < bottom) != (op.y2 < bottom);
    }
    // Every crossing of an edge is still drawn: counted on the function itself.
    int topCrossings = 0, bottomCrossings = 0;
    for (double x = f.view.ScaleLeft(); x < f.view.Right(); x += 1e-3) {
        const double a = x * std::sin(x), b = (x + 1e-3) * std::sin(x + 1e-3);
        topCrossings += (a > top) != (b > top);
        bottomCrossings += (a < bottom) != (b < bottom);
    }
    EXPECT_GE(topCrossings, 4);
    EXPECT_GE(bottomCrossings, 4);
    EXPECT_EQ(throughTop, topCrossings);
    // The curve starts below the view, and the way into its first stretch is never drawn.
    const double left = f.view.ScaleLeft();
    ASSERT_LT(left * std::sin(left), bottom);
    EXPECT_EQ(throughBottom, bottomCrossings - 1);
}

TEST(EquationCurves, ALongRunSharedOutKeepsThePointsOfOneRun) {
    // A view 90000 pixels wide and 60 high (x from -900 to 900, y from -0.6 to 0.6); x from
    // -850 to 850 at the view's step is over a million samples, cut into stretches.
    PlotFixture f(90000, 60);
    const auto draw = [&](unsigned threads, const char* e, bool definedOnly = false) {
        EquationContext c{f.context.Parser, f.view,  f.canvas, f.clock,
                          f.messages,       nullptr, threads};
        c.DefinedOnly = definedOnly;
        f.canvas.ops.clear();
        DrawYofX(c, e, -850, 850, 0xFF);
        return f.canvas.Of(DrawOp::Line);
    };
    // sin(20000x)*1.2 leaves and enters the view every few samples, so the stretches begin
    // in every way there is: after a sample in view or out of it, with one in view or not.
    for (const auto& [e, shares] : std::vector<std::pair<const char*, std::vector<unsigned>>>{
             {"sin(x)*x/300", {3}}, {"tan(x)", {2, 3}}, {"sin(20000*x)*1.2", {2, 3, 13, 31}}}) {
        const std::vector<DrawOp> one = draw(1, e);
        EXPECT_GT(one.size(), 1000u) << e;
        for (unsigned threads : shares) {
            const std::vector<DrawOp> many = draw(threads, e);
            ASSERT_EQ(one.size(), many.size()) << e << " on " << threads;
            for (size_t i = 0; i < one.size(); ++i)
                ASSERT_TRUE(std::tie(one[i].x1, one[i].y1, one[i].x2, one[i].y2) ==
                            std::tie(many[i].x1, many[i].y1, many[i].x2, many[i].y2))
                    << e << " on " << threads << ", line " << i;
        }
    }
    // Drawn where defined, the stretches also begin after an undefined sample, and the
    // undefined ones break the line as in one run.
    for (const char* e : {"sqr(sin(20000*x))*0.8", "1/sin(3000*x)/5", "sqr(700-x)/30"}) {
        const std::vector<DrawOp> one = draw(1, e, true);
        EXPECT_GT(one.size(), 1000u) << e;
        for (unsigned threads : {2u, 3u, 13u}) {
            const std::vector<DrawOp> many = draw(threads, e, true);
            ASSERT_EQ(one.size(), many.size()) << e << " on " << threads;
            for (size_t i = 0; i < one.size(); ++i)
                ASSERT_TRUE(std::tie(one[i].x1, one[i].y1, one[i].x2, one[i].y2) ==
                            std::tie(many[i].x1, many[i].y1, many[i].x2, many[i].y2))
                    << e << " on " << threads << ", line " << i;
        }
    }
    // A failure anywhere in the run, here in its last stretch only, ends it as one run
    // would: nothing drawn, reported once.
    f.messages.shown.clear();
    EXPECT_TRUE(draw(3, "sqr(700-x)/30").empty());
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("无效的过程调用或参数")));
}
