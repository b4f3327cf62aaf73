#include "PlotTestSupport.h"

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

std::vector<DrawOp> Legend(const RecordingCanvas& canvas) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : canvas.Of(DrawOp::Text))
        if (!op.text.empty() && op.text[0] == ' ') out.push_back(op);
    return out;
}

} // namespace

TEST(PlotEngine, FullRedrawDrawsGridThenEachVisibleCurveAndTheLegend) {
    PlotFixture f;
    f.Add(Params(Point, {"1", "2"}, 0x0000FF));
    CurveRecord hidden = Params(CircleStandard, {"0", "0", "1"}, 0x00FF00);
    f.Add(hidden);
    f.doc.SetFunListShowHide(1, false);
    f.canvas.ops.clear();
    f.engine.RefreshAll();

    EXPECT_EQ(f.canvas.ops.front().kind, DrawOp::Clear);
    EXPECT_TRUE(f.canvas.Of(DrawOp::Circle).empty()); // hidden curves are skipped
    ASSERT_EQ(f.canvas.Of(DrawOp::Dot).size(), 1u);
    EXPECT_GE(f.canvas.repaints, 3);

    // The legend lists hidden curves too, right-aligned below a free first line.
    const auto legend = Legend(f.canvas);
    ASSERT_GE(legend.size(), 2u);
    const DrawOp& first = legend[legend.size() - 2];
    const DrawOp& second = legend.back();
    EXPECT_EQ(first.text, " 点: (1,2)");
    EXPECT_EQ(second.text, " 圆: (x-(0))^2+(y-(0))^2=(1)^2");
    EXPECT_EQ(second.color, 0x00FF00u);
    EXPECT_NEAR(first.px1 + 8.0 * 9, 333, 1e-3); // 9 characters of 8 pixels
    EXPECT_NEAR(first.py1, 16, 1e-3);
    EXPECT_NEAR(second.py1, 32, 1e-3);
}

TEST(PlotEngine, TranslationsMoveTheFigureButNotTheLegend) {
    PlotFixture f;
    CurveRecord point = Params(Point, {"1", "1"});
    point.CTh = 2;
    point.CTk = -1;
    f.Add(point);
    CurveRecord polar = Equation(Polar, "1");
    polar.CTh = 3; // a slot may keep a shift the polar type never uses
    f.doc.ModifyFun(polar, 1, true);
    f.doc.ModifyFun(Params(Point, {"0", "0"}), 1, false); // slot 1 now holds the old shift...
    f.doc.ModifyFun(polar, 1, false);
    f.canvas.ops.clear();
    f.engine.RefreshAll();

    const auto dots = f.canvas.Of(DrawOp::Dot);
    ASSERT_EQ(dots.size(), 1u);
    // World (1, 1) drawn where (3, 0) lies unshifted: 333 px for 10 units.
    EXPECT_NEAR(dots[0].px1, (3 + 5) * 33.3, 1e-3);
    EXPECT_NEAR(dots[0].py1, (5 - 0) * 33.3, 1e-3);
    for (const DrawOp& op : f.canvas.Of(DrawOp::Line)) {
        if (op.color != 0xFF) continue;
        // The polar circle of radius 1 stays around the centre of the surface.
        EXPECT_NEAR(std::hypot(op.px2 - 166.5, op.py2 - 166.5), 33.3, 0.01);
    }
    EXPECT_EQ(f.view.ScaleLeft(), -5.0f);
}

TEST(PlotEngine, ATranslatedCurveGivesTheViewBackExactlyAfterEveryRedraw) {
    PlotFixture f;
    // A window whose left edge is a float that moving by 1.7 and back does not return to.
    f.view.ShowRectangle(-6.944, 4, 7.5, -4);
    const float left = f.view.ScaleLeft(), top = f.view.ScaleTop();
    ASSERT_NE((left - 1.7f) + 1.7f, left);
    CurveRecord point = Params(Point, {"1", "1"});
    point.CTh = 1.7f;
    point.CTk = -2.3f;
    f.Add(point);
    for (int i = 0; i < 5; ++i)
        f.engine.RefreshAll();
    EXPECT_EQ(f.view.ScaleLeft(), left);
    EXPECT_EQ(f.view.ScaleTop(), top);
}

TEST(PlotEngine, TimingTextForEquationCurvesOnly) {
    PlotFixture f;
    f.clock.readings = {10.0f, 10.3125f};
    f.Add(Equation(CurveGeneralY, "x*x"));
    f.Add(Params(CircleStandard, {"0", "0", "1"}));
    f.status.texts.clear();
    f.engine.RefreshAll();
    EXPECT_EQ(f.status.texts[StatusPanel::Readout],
              std::vector<std::string>{"计算用时: 0.3125 秒(s)"});
    EXPECT_EQ(TimingText(2.0f), "计算用时: 2.0 秒(s)");

    // A failing curve is reported once and still writes its timing: the time it took to
    // fail, not the eight seconds its error box stayed open.
    PlotFixture g;
    g.Add(Equation(CurveGeneralY, "sqr(x)"));
    g.Add(Equation(CurveGeneralY, "x"));
    g.clock.readings = {20.0f, 20.25f};
    g.messages.whileShown = [&] { g.clock.readings = {28.25f, 28.75f}; };
    g.engine.RefreshAll();
    EXPECT_EQ(g.messages.shown.size(), 1u);
    EXPECT_EQ(g.status.texts[StatusPanel::Readout],
              (std::vector<std::string>{"计算用时: 0.25 秒(s)", "计算用时: 0.5 秒(s)"}));
}

TEST(PlotEngine, RangesFollowTheRangeMode) {
    // A view wider than tall: x to about +-6, y to about +-4.5.
    PlotFixture f(400, 300);
    f.Add(Equation(CurveGeneralY, "x", "", false, 1, 2));
    f.Add(Equation(CurveGeneralX, "sqr(y+5)-2", "", true)); // y below -5 would fail
    f.Add(Equation(CurveParameter, "0", "t", true));
    f.canvas.ops.clear();
    f.engine.RefreshFun(0);
    auto lines = f.canvas.Of(DrawOp::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_GE(lines.front().x1, 1.0f);
    EXPECT_LE(lines.back().x2, 2.0f);
    // X=f(Y) runs y upward from the bottom edge to the top one.
    f.canvas.ops.clear();
    f.engine.RefreshFun(1);
    EXPECT_TRUE(f.messages.shown.empty());
    lines = f.canvas.Of(DrawOp::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_NEAR(lines.front().y1, f.view.Bottom(), 0.01f);
    EXPECT_NEAR(lines.back().y2, f.view.ScaleTop(), 0.01f);
    // A parametric curve runs t over the visible x range: (0, t) leaves through the top.
    f.canvas.ops.clear();
    f.engine.RefreshFun(2);
    lines = f.canvas.Of(DrawOp::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_NEAR(lines.front().y1, f.view.Bottom(), 0.01f);
    EXPECT_NEAR(lines.back().y2, f.view.ScaleTop(), 0.01f);
    // An index outside the list draws nothing; the legend is still reprinted.
    f.canvas.ops.clear();
    f.engine.RefreshFun(7);
    EXPECT_TRUE(f.canvas.Of(DrawOp::Line).empty());
    EXPECT_EQ(Legend(f.canvas).size(), 3u);
}

TEST(PlotEngine, UnknownTypesAndModifyFunDrawing) {
    PlotFixture f;
    f.dir.Write("u.opd", "[General]\r\nOPMVer=1\r\n");
    ASSERT_TRUE(f.doc.LoadDoc(f.dir.File("u.opd")));
    f.canvas.ops.clear();
    f.engine.RefreshAll();
    EXPECT_EQ(Legend(f.canvas).back().text, " 未知类型");
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(PlotEngine, ALegendLineWiderThanTheSurfaceIsPrintedFromLeftOfItsEdge) {
    // 400 pixels wide; the recording canvas's text is 8 pixels a character.
    PlotFixture f(400, 300);
    std::string sum = "1";
    for (int i = 0; i < 5000; ++i)
        sum += "+1";
    f.Add(Params(LineSI, {sum, "2"}, 0x00FF00));
    f.Add(Params(Point, {"1", "2"}, 0x0000FF));
    f.canvas.ops.clear();
    f.engine.RefreshAll();
    const std::string whole = " 直线: y=(" + sum + ")*x+(2)";
    int longLines = 0, pointLines = 0;
    for (const DrawOp& op : f.canvas.Of(DrawOp::Text)) {
        const double width = 8.0 * static_cast<double>(Utf8ToUtf16(op.text).size());
        if (op.color == 0x00FF00) {
            ++longLines;
            ASSERT_LT(op.text.size(), whole.size());
            EXPECT_EQ(whole.compare(whole.size() - op.text.size(), op.text.size(), op.text), 0);
            EXPECT_LT(op.px1, 0);                   // it starts left of the surface
            EXPECT_NEAR(op.px1 + width, 400, 1e-3); // and ends at its right edge
        } else if (op.color == 0x0000FF && op.text == " 点: (1,2)") {
            ++pointLines;
            EXPECT_NEAR(op.px1 + width, 400, 1e-3);
        }
    }
    EXPECT_EQ(longLines, 3); // after each curve and at the end
    EXPECT_EQ(pointLines, 3);
}
