// The marks' layout on its own: labels clear of everything, at most the marks a person can
// read, the nearest the middle, points at one place with one label, and time linear in the
// points.
#include "analysis/MarkLayout.h"

#include "plot/PlotTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// What the recording canvas measures: 8 pixels a character, 16 high.
TextMeasure EightBySixteen() {
    TextMeasure m;
    m.Ascii.fill(8);
    m.Other = 8;
    m.Height = 16;
    return m;
}

KeyPoint At(double x, double y, int32_t curve = 0, KeyPointKind kind = KeyPointKind::Zero) {
    return {kind, curve, -1, x, y};
}

PixelBox Ring(const MarkPlan::Mark& m) {
    return {m.X - RingRadius, m.Y - RingRadius, 2 * RingRadius, 2 * RingRadius};
}

// Every label inside the surface, over no other label, no other mark's ring, nothing taken.
void ExpectClear(const MarkPlan& plan, const std::vector<PixelBox>& taken, double width,
                 double height) {
    for (size_t i = 0; i < plan.Marks.size(); ++i) {
        const auto& label = plan.Marks[i].Label;
        if (!label) continue;
        EXPECT_TRUE(label->Inside(width, height)) << plan.Marks[i].Text;
        for (const PixelBox& box : taken)
            EXPECT_FALSE(label->Intersects(box)) << plan.Marks[i].Text << " over a text";
        for (size_t j = 0; j < plan.Marks.size(); ++j) {
            if (j == i) continue;
            EXPECT_FALSE(label->Intersects(Ring(plan.Marks[j])))
                << plan.Marks[i].Text << " over the ring of " << plan.Marks[j].Text;
            if (plan.Marks[j].Label && j < i) {
                EXPECT_FALSE(label->Intersects(*plan.Marks[j].Label))
                    << plan.Marks[i].Text << " over " << plan.Marks[j].Text;
            }
        }
    }
}

} // namespace

TEST(SurfaceTexts, EveryTextOfTheGridAndTheLegendWhereItIsPrinted) {
    // 500 x 360 pixels, two curves: the boxes are where a full redraw prints its texts.
    PlotFixture f(500, 360);
    f.Add(Equation(CurveGeneralY, "x^2-2"));
    f.Add(Params(CircleStandard, {"1", "-1", "2"}, 0xFF0000));
    f.engine.RefreshAll();
    const std::vector<PixelBox> boxes =
        SurfaceTextBoxes(f.doc, f.view, f.context, EightBySixteen());
    std::vector<DrawOp> texts = f.canvas.Of(DrawOp::Text);
    // The legend is printed after each curve and once more at the end: each place once.
    std::vector<PixelBox> printed;
    for (const DrawOp& op : texts) {
        const PixelBox box{op.px1, op.py1, 8.0 * static_cast<double>(Utf8ToUtf16(op.text).size()),
                           16};
        if (std::find(printed.begin(), printed.end(), box) == printed.end()) printed.push_back(box);
    }
    ASSERT_GT(printed.size(), 20u);
    for (const PixelBox& box : printed) {
        const bool found = std::any_of(boxes.begin(), boxes.end(), [&](const PixelBox& b) {
            return std::fabs(b.Left - box.Left) < 1e-3 && std::fabs(b.Top - box.Top) < 1e-3 &&
                   b.Width == box.Width && b.Height == box.Height;
        });
        EXPECT_TRUE(found) << box.Left << "," << box.Top << " " << box.Width;
    }
    EXPECT_EQ(boxes.size(), printed.size());
}

TEST(MarkLayout, LabelsKeepClearOfEachOtherTheRingsAndTheSurfacesTexts) {
    // x^2 - 2 in a 620 x 520 window: its zeros at +-1.4142 beside the tick numbers 1 and 2,
    // its vertex on the y axis beside -2, and the legend at the top right.
    PlotFixture f(620, 520);
    f.Add(Equation(CurveGeneralY, "x^2-2"));
    const PlaneBox box{f.view.ScaleLeft(), f.view.Right(), f.view.Bottom(), f.view.ScaleTop()};
    const std::vector<KeyPoint> points = FindKeyPoints(f.doc, f.context.Parser, box);
    ASSERT_EQ(points.size(), 4u); // two zeros, the y-intercept and the minimum, both at (0, -2)
    const std::vector<PixelBox> taken =
        SurfaceTextBoxes(f.doc, f.view, f.context, EightBySixteen());
    const MarkPlan plan = LayOutMarks(points, f.view, EightBySixteen(), taken);
    ASSERT_EQ(plan.Marks.size(), 4u);
    ExpectClear(plan, taken, 620, 520);
    // Three places, three labels: the vertex's two points share one.
    int labelled = 0, sharing = 0;
    for (const auto& m : plan.Marks) {
        labelled += m.Label.has_value();
        sharing += m.Shares;
    }
    EXPECT_EQ(labelled, 3);
    EXPECT_EQ(sharing, 1);
    EXPECT_EQ(plan.Hidden, 0u);
    EXPECT_EQ(plan.NotMarked, 0u);
    for (const auto& m : plan.Marks)
        if (m.Text == "(1.4142, 0)" || m.Text == "(-1.4142, 0)") {
            EXPECT_TRUE(m.Label) << m.Text;
        }

    // A text taken where the zero's label went: the label goes elsewhere, still beside its
    // mark.
    const auto [zx, zy] = f.view.ToPixels(std::sqrt(2.0), 0);
    std::optional<PixelBox> was;
    for (const auto& m : plan.Marks)
        if (m.Text == "(1.4142, 0)") was = m.Label;
    ASSERT_TRUE(was);
    std::vector<PixelBox> more = taken;
    more.push_back(*was);
    const MarkPlan moved = LayOutMarks(points, f.view, EightBySixteen(), more);
    ExpectClear(moved, more, 620, 520);
    for (const auto& m : moved.Marks)
        if (m.Text == "(1.4142, 0)") {
            ASSERT_TRUE(m.Label);
            EXPECT_NE(*m.Label, *was);
            EXPECT_LE(std::fabs(m.Label->Top - zy), 3 * (16 + 2) + 16);
            EXPECT_LE(std::fabs(m.Label->Left - zx), m.Label->Width + 5);
        }
}

TEST(MarkLayout, CrowdedLabelsAreCountedAndNoneOverlaps) {
    // 300 points in a square of 30 pixels: a few labels fit about it, the rest are counted as
    // shown on hover.
    View view(400 * TwipsPerPixel, 300 * TwipsPerPixel);
    std::vector<KeyPoint> points;
    for (int i = 0; i < 300; ++i) {
        const auto [x, y] = view.FromPixels(185 + (i % 17) * 1.7, 135 + (i / 17) * 1.7);
        points.push_back(At(x, y, i % 3));
    }
    const MarkPlan plan = LayOutMarks(points, view, EightBySixteen(), {});
    ExpectClear(plan, {}, 400, 300);
    size_t labelled = 0, sharing = 0;
    for (const auto& m : plan.Marks) {
        labelled += m.Label.has_value();
        sharing += m.Shares;
        EXPECT_FALSE(m.Label && m.Shares);
    }
    EXPECT_GT(labelled, 0u);
    EXPECT_GT(plan.Hidden, 200u);
    EXPECT_EQ(labelled + sharing + plan.Hidden, plan.Marks.size());
}

TEST(MarkLayout, AtMostTheMostMarksNearestTheMiddle) {
    // A lattice of 80 x 60 points over a 640 x 480 view, one every 8 pixels.
    View view(640 * TwipsPerPixel, 480 * TwipsPerPixel);
    std::vector<KeyPoint> points;
    for (int i = 0; i < 80; ++i)
        for (int j = 0; j < 60; ++j) {
            const auto [x, y] = view.FromPixels(4 + 8 * i + 0.25, 4 + 8 * j + 0.5);
            points.push_back(At(x, y));
        }
    const MarkPlan plan = LayOutMarks(points, view, EightBySixteen(), {}, 500);
    ASSERT_EQ(plan.Marks.size(), 500u);
    EXPECT_EQ(plan.NotMarked, 4800u - 500u);
    // Nearest first, and none left out nearer than one marked.
    double farthest = 0, previous = 0;
    std::vector<bool> marked(points.size());
    for (const auto& m : plan.Marks) {
        const double d = std::hypot(m.X - 320, m.Y - 240);
        EXPECT_GE(d, previous);
        previous = d;
        farthest = std::max(farthest, d);
        marked[m.Point] = true;
    }
    for (size_t i = 0; i < points.size(); ++i) {
        const auto [x, y] = view.ToPixels(points[i].X, points[i].Y);
        if (!marked[i]) {
            EXPECT_GE(std::hypot(x - 320, y - 240), farthest) << i;
        }
    }
}

TEST(MarkLayoutScale, AHundredThousandPointsAreLaidOutInLinearTime) {
    // The points of 254 waves in view, four hundred each: all laid out, then capped as the
    // window caps them. A pass comparing pairs took minutes; the test's time limit is a
    // minute.
    View view(1280 * TwipsPerPixel, 800 * TwipsPerPixel);
    std::vector<KeyPoint> points;
    for (int i = 0; i < 110000; ++i) {
        const double x = view.ScaleLeft() + (static_cast<double>(view.Right()) - view.ScaleLeft()) *
                                                ((i * 7919) % 110000) / 110000.0;
        points.push_back(At(x, std::sin(x + i % 254), i % 254));
    }
    const MarkPlan all = LayOutMarks(points, view, EightBySixteen(), {}, points.size());
    EXPECT_EQ(all.Marks.size(), points.size());
    EXPECT_EQ(all.NotMarked, 0u);
    const MarkPlan capped = LayOutMarks(points, view, EightBySixteen(), {});
    EXPECT_EQ(capped.Marks.size(), MostMarks);
    EXPECT_EQ(capped.NotMarked, points.size() - MostMarks);
    ExpectClear(capped, {}, 1280, 800);
}
