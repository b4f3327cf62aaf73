#include "PlotTestSupport.h"

#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"
#include "plot/EquationCurves.h"

#include <gtest/gtest.h>

#include <cmath>

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

} // namespace

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

TEST(EquationCurves, TangentJumpsAreJoinedAcrossTheView) {
    PlotFixture f;
    const SampledCurve r = DrawY(f, "tan(x)", -5, 5);
    int strokes = 0;
    for (const DrawOp& op : r.lines)
        if ((op.y1 > 5 && op.y2 < -5) || (op.y1 < -5 && op.y2 > 5)) ++strokes;
    EXPECT_EQ(strokes, 4); // at -3pi/2, -pi/2, pi/2 and 3pi/2
    // In a view wider than tall, a pole jumping from below the view to above it.
    PlotFixture g(900, 300);
    int across = 0;
    for (const DrawOp& op : DrawY(g, "1/(x-0.00003)", -1, 1).lines)
        across += op.y1 < g.view.Bottom() && op.y2 > g.view.ScaleTop();
    EXPECT_EQ(across, 1);
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
    const auto draw = [&](unsigned threads, const char* e) {
        EquationContext c{f.context.Parser, f.view,  f.canvas, f.clock,
                          f.messages,       nullptr, threads};
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
    // A failure anywhere in the run, here in its last stretch only, ends it as one run
    // would: nothing drawn, reported once.
    f.messages.shown.clear();
    EXPECT_TRUE(draw(3, "sqr(700-x)/30").empty());
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("无效的过程调用或参数")));
}
