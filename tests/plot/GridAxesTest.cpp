#include "PlotTestSupport.h"
#include "RecordingCanvas.h"

#include "plot/GridAxes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <set>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

struct Grid {
    std::multiset<float> vertical, horizontal;
    std::vector<std::string> xLabels, yLabels;
};

Grid Collect(const RecordingCanvas& canvas, Rgb gridColor) {
    Grid g;
    for (const DrawOp& op : canvas.Of(DrawOp::Line)) {
        if (op.color != gridColor) continue;
        if (op.x1 == op.x2)
            g.vertical.insert(op.x1);
        else
            g.horizontal.insert(op.y1);
    }
    for (const DrawOp& op : canvas.Of(DrawOp::Text)) {
        if (op.text == "X" || op.text == "Y" || op.text == "O") continue;
        if (op.y1 < 0 && op.y1 > -0.5f)
            g.xLabels.push_back(op.text);
        else
            g.yLabels.push_back(op.text);
    }
    return g;
}

AppSettings Defaults() {
    AppSettings s;
    s.Style = 1;
    return s;
}

} // namespace

TEST(GridAxes, DefaultsInTheInitialView) {
    const View view(4995, 4995);
    RecordingCanvas canvas(view);
    DrawGridAndAxes(canvas, view, Defaults());
    ASSERT_FALSE(canvas.ops.empty());
    EXPECT_EQ(canvas.ops.front().kind, DrawOp::Clear);
    EXPECT_EQ(canvas.ops.front().color, 0xFFFFFFu);
    const Grid g = Collect(canvas, 0xE6E6E6);
    EXPECT_EQ(g.vertical, (std::multiset<float>{-5, -4, -3, -2, -1, 0, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(g.horizontal, g.vertical);
    const std::vector<std::string> labels = {"1", "2", "3", "4", "5", "-1", "-2", "-3", "-4", "-5"};
    EXPECT_EQ(g.xLabels, labels);
    EXPECT_EQ(g.yLabels, labels);

    // Names, then labels, then the black axes over everything, then the origin mark.
    const auto texts = canvas.Texts();
    EXPECT_EQ(texts.front(), "X");
    EXPECT_EQ(texts[1], "Y");
    EXPECT_EQ(texts.back(), "O");
    const DrawOp& xAxis = canvas.ops[canvas.ops.size() - 3];
    EXPECT_EQ(std::tuple(xAxis.color, xAxis.x1, xAxis.y1, xAxis.x2),
              std::tuple(0u, -5.0f, 0.0f, 5.0f));
}

TEST(GridAxes, NamesLabelsAndTheOriginMarkSitWhereTheyBelong) {
    // 400 x 300 pixels, 33.3 pixels a unit; the recording canvas's text is 8 pixels a
    // character and 16 high. Positions are the texts' top-left corners, in pixels.
    View view(400 * TwipsPerPixel, 300 * TwipsPerPixel);
    RecordingCanvas canvas(view);
    DrawGridAndAxes(canvas, view, Defaults());
    std::map<std::string, std::vector<std::pair<double, double>>> at;
    for (const DrawOp& op : canvas.Of(DrawOp::Text))
        at[op.text].emplace_back(op.px1, op.py1);
    const auto expect = [&](const std::string& text, double px, double py) {
        ASSERT_FALSE(at[text].empty()) << text;
        bool found = false;
        for (const auto& [x, y] : at[text])
            found |= std::fabs(x - px) < 1e-3 && std::fabs(y - py) < 1e-3;
        EXPECT_TRUE(found) << text << " not at " << px << "," << py;
    };
    expect("X", 400 - 1.5 * 8, 150 - 16);        // right end, on the x axis
    expect("Y", 200 - 8, 16.0 / 4);              // left of the y axis, a quarter line down
    expect("O", 200 - 1.25 * 8, 150 + 16.0 / 5); // left of the origin, just below
    expect("3", 200 + 3 * 33.3, 150 + 16.0 / 5); // x label at its tick
    expect("-4", 200 - 4 * 33.3, 150 + 16.0 / 5);
    expect("2", 200 + 8.0 / 4, 150 - 2 * 33.3); // y label right of the axis, top on the tick
    expect("-3", 200 + 16.0 / 4, 150 + 3 * 33.3);
}

TEST(GridAxes, PiModeLabelsMultiplesOfPi) {
    View view(6494, 6494); // edges about 6.5: 2 pi lies beyond the truncated 6
    RecordingCanvas canvas(view);
    AppSettings s = Defaults();
    s.IsPi = true;
    s.Unit = 0.25f; // not used in pi mode
    DrawGridAndAxes(canvas, view, s);
    const Grid g = Collect(canvas, s.Color);
    const float pi = std::numbers::pi_v<float>;
    EXPECT_EQ(g.vertical, (std::multiset<float>{-pi, 0, 0, pi}));
    EXPECT_EQ(g.xLabels, (std::vector<std::string>{"1Pi", "-1Pi"}));
    EXPECT_EQ(g.yLabels, (std::vector<std::string>{"1Pi", "-1Pi"}));
}

TEST(GridAxes, HiddenGridKeepsLabelsAndBadStepsDrawNeither) {
    const View view(4995, 4995);
    RecordingCanvas hidden(view);
    AppSettings s = Defaults();
    s.IsShow = false;
    DrawGridAndAxes(hidden, view, s);
    EXPECT_TRUE(Collect(hidden, s.Color).vertical.empty());
    EXPECT_EQ(Collect(hidden, s.Color).xLabels.size(), 10u);
    EXPECT_EQ(hidden.Of(DrawOp::Line).size(), 2u); // the axes

    for (float step : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        RecordingCanvas canvas(view);
        AppSettings bad = Defaults();
        bad.Unit = step;
        DrawGridAndAxes(canvas, view, bad);
        EXPECT_EQ(canvas.Of(DrawOp::Line).size(), 2u) << step;
        EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"X", "Y", "O"})) << step;
    }
}

TEST(GridAxes, FarZoomedOutEveryPixelIsDrawnOnceAndTheRedrawEnds) {
    View view(4995, 4995);        // 333 pixels square
    view.Scale(2e6f, true, true); // a unit of a six-thousandth of a pixel
    view.CenterView();
    RecordingCanvas canvas(view);
    DrawGridAndAxes(canvas, view, Defaults()); // ends: the test's time limit would catch it
    std::set<int> columns;
    size_t vertical = 0;
    for (const DrawOp& op : canvas.Of(DrawOp::Line)) {
        if (op.color != 0xE6E6E6 || op.x1 != op.x2) continue;
        ++vertical;
        columns.insert(static_cast<int>(std::floor(op.px1)));
    }
    // Counting runs stall at 2^24 steps, which still covers pixels on each side of the axis.
    EXPECT_GT(vertical, 0u);
    EXPECT_LE(vertical, 2 * 334u);
    // One line a pixel column, but for the line through 0 drawn by both runs (and rounding).
    EXPECT_LE(vertical, columns.size() + 3);
    EXPECT_LE(canvas.Texts().size(), 4 * 334u);
}

TEST(GridAxes, AViewFarFromTheOriginCountsOnlyTheStepsItShows) {
    // 300 x 150 pixels moved to x from about 41 to 50, y from about -22.5 to -18.
    View view(300 * TwipsPerPixel, 150 * TwipsPerPixel);
    view.Pan(-45.5, 20.25);
    RecordingCanvas canvas(view);
    DrawGridAndAxes(canvas, view, Defaults());
    const Grid g = Collect(canvas, 0xE6E6E6);
    for (float x = 41; x <= 50; ++x)
        EXPECT_EQ(g.vertical.count(x), 1u) << x;
    for (float y = -22; y <= -19; ++y)
        EXPECT_EQ(g.horizontal.count(y), 1u) << y;
    // At most a step before the near edge is drawn, never the way from the origin.
    EXPECT_EQ(*g.vertical.begin(), 40.0f);
    EXPECT_EQ(*g.horizontal.rbegin(), -17.0f);
    EXPECT_LT(canvas.ops.size(), 60u);
}

TEST(GridAxes, AnAxisOutOfSightLeavesItsLabelsAlongTheEdgeItLiesBeyond) {
    // 300 x 150 pixels, 37.8 a unit, moved off the origin one way and then the other; the
    // recording canvas's text is 8 pixels a character and 16 high.
    for (const double sign : {1.0, -1.0}) {
        View view(300 * TwipsPerPixel, 150 * TwipsPerPixel);
        view.Pan(-45.5 * sign, 20.25 * sign); // the centre at (45.5, -20.25) * sign
        RecordingCanvas canvas(view);
        DrawGridAndAxes(canvas, view, Defaults());
        std::map<std::string, std::pair<double, double>> at;
        for (const DrawOp& op : canvas.Of(DrawOp::Text))
            at.emplace(op.text, std::pair(op.px1, op.py1));
        const double unit = 300 / view.ScaleWidth();
        // x = 44 (or -44): the x axis is above the view (or below it).
        const std::string x = sign > 0 ? "44" : "-44";
        ASSERT_TRUE(at.count(x)) << x;
        EXPECT_NEAR(at[x].first, (44 * sign - view.ScaleLeft()) * unit, 1e-3);
        EXPECT_NEAR(at[x].second, sign > 0 ? 16.0 / 5 : 150 - 1.2 * 16, 1e-3);
        // y = -21 (or 21): the y axis is left of the view (or right of it).
        const std::string y = sign > 0 ? "-21" : "21";
        ASSERT_TRUE(at.count(y)) << y;
        EXPECT_NEAR(at[y].first, sign > 0 ? 3 * 8.0 / 4 : 300 - 1.25 * 2 * 8, 1e-3);
        EXPECT_NEAR(at[y].second, (view.ScaleTop() + 21 * sign) * unit, 1e-3);
    }
}
