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

namespace {

// The grid lines and labels along each axis, in world units and as texts, with the x axis and
// the y axis in view: x labels hang below the x axis, y labels sit right of the y axis.
struct Ticks {
    std::vector<float> xLines, yLines;
    std::vector<std::string> xLabels, yLabels;
};

Ticks Read(const View& view, const AppSettings& s) {
    RecordingCanvas canvas(view);
    DrawGridAndAxes(canvas, view, s);
    Ticks t;
    for (const DrawOp& op : canvas.Of(DrawOp::Line)) {
        if (op.color != s.Color) continue;
        if (op.x1 == op.x2)
            t.xLines.push_back(op.x1);
        else
            t.yLines.push_back(op.y1);
    }
    const auto [axisX, axisY] = view.ToPixels(0, 0);
    for (const DrawOp& op : canvas.Of(DrawOp::Text)) {
        if (op.text == "X" || op.text == "Y" || op.text == "O") continue;
        if (std::fabs(op.py1 - (axisY + 16.0 / 5)) < 1e-3)
            t.xLabels.push_back(op.text);
        else if (std::fabs(op.px1 - (axisX + static_cast<double>(op.text.size()) * 2)) < 1e-3)
            t.yLabels.push_back(op.text);
    }
    std::sort(t.xLines.begin(), t.xLines.end());
    std::sort(t.yLines.begin(), t.yLines.end());
    return t;
}

// k * spacing for k from first to last, as singles.
std::vector<float> Multiples(int first, int last, double spacing) {
    std::vector<float> v;
    for (int k = first; k <= last; ++k)
        v.push_back(static_cast<float>(k * spacing));
    return v;
}

} // namespace

TEST(GridAxes, ZoomedFarOutEachAxisTakesASpacingThatCanBeRead) {
    // 30 notches out on a 333-pixel square: 174.5 units across, 1.9 pixels a unit, so the
    // unit's lines would be 2 pixels apart and its labels a smear. Lines at least 25 pixels
    // apart: 13.1 units at least, so 20 (38 pixels); "-80" is 24 pixels wide, and 4 more
    // between labels fit.
    View view(4995, 4995);
    for (int i = 0; i < 30; ++i)
        view.Scale(ZoomOutFactor, true, true);
    view.CenterView();
    ASSERT_NEAR(view.ScaleWidth(), 174.49, 0.01);
    const Ticks t = Read(view, Defaults());
    EXPECT_EQ(t.xLines, Multiples(-4, 4, 20));
    EXPECT_EQ(t.yLines, Multiples(-4, 4, 20));
    EXPECT_EQ(t.xLabels,
              (std::vector<std::string>{"-80", "-60", "-40", "-20", "20", "40", "60", "80"}));
    EXPECT_EQ(t.yLabels, t.xLabels);

    // Only along X, in a view wider than tall: 500 x 200 pixels, x 30 times wider (450
    // units, 1.11 pixels a unit: at least 22.5 units, so 50, where "-200" takes 32 pixels
    // of 55); y keeps the unit's lines, every one of them.
    View wide(500 * TwipsPerPixel, 200 * TwipsPerPixel);
    wide.Scale(30, true, false);
    wide.CenterView();
    const Ticks w = Read(wide, Defaults());
    EXPECT_EQ(w.xLines, Multiples(-4, 4, 50));
    EXPECT_EQ(w.xLabels.front(), "-200");
    EXPECT_EQ(w.yLines, (std::vector<float>{-3, -2, -1, 0, 0, 1, 2, 3}));
    // The mirror: only along Y, in a view taller than wide; the labels' height decides.
    View tall(200 * TwipsPerPixel, 500 * TwipsPerPixel);
    tall.Scale(30, false, true);
    tall.CenterView();
    const Ticks h = Read(tall, Defaults());
    EXPECT_EQ(h.yLines, Multiples(-4, 4, 50));
    EXPECT_EQ(h.xLines, (std::vector<float>{-3, -2, -1, 0, 0, 1, 2, 3}));
    EXPECT_EQ(h.yLabels.front(), "-200");
    EXPECT_EQ(h.yLabels.back(), "200");
}

TEST(GridAxes, ZoomedFarInTheGridShowsWhereYouAre) {
    // x from 0.3 to 0.7 on 400 pixels, y from 1.1 to 1.4 on 300: no line of the unit in
    // view. 1000 pixels a unit: 0.025 at least, so 0.05; "0.65" takes 32 pixels of 50.
    View view(400 * TwipsPerPixel, 300 * TwipsPerPixel);
    view.ShowRectangle(0.3, 1.4, 0.7, 1.1);
    RecordingCanvas canvas(view);
    DrawGridAndAxes(canvas, view, Defaults());
    std::vector<float> vertical, horizontal;
    std::set<std::string> labels;
    for (const DrawOp& op : canvas.Of(DrawOp::Line))
        if (op.color == 0xE6E6E6)
            (op.x1 == op.x2 ? vertical : horizontal).push_back(op.x1 == op.x2 ? op.x1 : op.y1);
    for (const std::string& text : canvas.Texts())
        labels.insert(text);
    for (int k = 7; k <= 13; ++k)
        EXPECT_NE(std::find(vertical.begin(), vertical.end(), static_cast<float>(k * 0.05)),
                  vertical.end())
            << k;
    for (int k = 23; k <= 27; ++k)
        EXPECT_NE(std::find(horizontal.begin(), horizontal.end(), static_cast<float>(k * 0.05)),
                  horizontal.end())
            << k;
    EXPECT_LE(vertical.size(), 9u);
    for (const char* text : {"0.35", "0.4", "0.45", "0.5", "0.55", "0.6", "0.65", "1.15", "1.2",
                             "1.25", "1.3", "1.35"})
        EXPECT_TRUE(labels.count(text)) << text;

    // Far from the origin the labels take the digits the spacing needs: x from 1000.001 to
    // 1000.002 on 600 pixels. 0.00005 and 0.0001 leave no room for "1000.0011"; 0.0002 does.
    View precise(600 * TwipsPerPixel, 400 * TwipsPerPixel);
    precise.ShowRectangle(1000.001, 3, 1000.002, 2);
    RecordingCanvas p(precise);
    DrawGridAndAxes(p, precise, Defaults());
    const std::vector<std::string> texts = p.Texts();
    for (const char* text : {"1000.0012", "1000.0014", "1000.0016", "1000.0018", "2.5", "2.9"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "1000.0011"), texts.end());
}

TEST(GridAxes, PiModeHalvesPiWhenZoomedInAndMultipliesItWhenOut) {
    AppSettings s = Defaults();
    s.IsPi = true;
    // x within 2.2 on 180 pixels, y within 1.5 on 120: no multiple of pi but 0 in view. At
    // 40.9 pixels a unit along x, 25 pixels are 0.19 pi: a quarter pi (32 pixels) has no
    // room for "-0.5Pi" (48 wide), half pi (64) has. At 40 a unit along y a quarter pi fits
    // the labels' 16 pixels.
    View small(180 * TwipsPerPixel, 120 * TwipsPerPixel);
    small.ShowRectangle(-2.2, 1.5, 2.2, -1.5);
    const Ticks t = Read(small, s);
    const double pi = std::numbers::pi;
    EXPECT_EQ(t.xLines, Multiples(-1, 1, pi / 2));
    EXPECT_EQ(t.xLabels, (std::vector<std::string>{"-0.5Pi", "0.5Pi"}));
    EXPECT_EQ(t.yLines, Multiples(-1, 1, pi / 4));
    EXPECT_EQ(t.yLabels, (std::vector<std::string>{"-0.25Pi", "0.25Pi"}));
    // 600 pixels over 600 units: 25 pixels are 7.96 pi, so 10 pi at least (31.4 pixels), but
    // "-90Pi" takes 40 of them: 20 pi along x. Along y the labels' 16 pixels fit 10 pi.
    View far(600 * TwipsPerPixel, 600 * TwipsPerPixel);
    far.ShowRectangle(-300, 300, 300, -300);
    const Ticks f = Read(far, s);
    EXPECT_EQ(f.xLines, Multiples(-4, 4, 20 * pi));
    EXPECT_EQ(f.xLabels.front(), "-80Pi");
    EXPECT_EQ(f.yLines, Multiples(-9, 9, 10 * pi));
    EXPECT_EQ(f.yLabels.back(), "90Pi");
}
