// Areas and lengths as the document keeps, shades, labels and lists them; values worked out
// by hand.
#include "analysis/AreaShading.h"
#include "analysis/AreaValues.h"

#include "plot/PlotTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

constexpr double Pi = std::numbers::pi;

AreaRecord Area(int32_t curve, int32_t other, double from, double to) {
    AreaRecord a;
    a.Curve = curve;
    a.Other = other;
    a.From = from;
    a.To = to;
    return a;
}

AreaRecord Length(int32_t curve, double from, double to) {
    AreaRecord a = Area(curve, -1, from, to);
    a.What = AreaRecord::Kind::Length;
    return a;
}

// The area inside a closed outline (the shoelace formula), in world units.
double Enclosed(const std::vector<CanvasPoint>& outline) {
    double twice = 0;
    for (size_t i = 0; i < outline.size(); ++i) {
        const CanvasPoint& p = outline[i];
        const CanvasPoint& q = outline[(i + 1) % outline.size()];
        twice += static_cast<double>(p.x) * q.y - static_cast<double>(q.x) * p.y;
    }
    return std::fabs(twice) / 2;
}

// Pairs of ends, compared to 1e-12.
MATCHER_P(Intervals, expected, "") {
    if (arg.size() != expected.size()) return false;
    for (size_t i = 0; i < arg.size(); ++i)
        if (std::fabs(arg[i].first - expected[i].first) > 1e-12 ||
            std::fabs(arg[i].second - expected[i].second) > 1e-12)
            return false;
    return true;
}

using Ends = std::vector<std::pair<double, double>>;

} // namespace

TEST(AreaValues, DescribedLabelledAndSaidWhenThereIsNoValue) {
    PlotFixture f;
    const int square = f.Add(Equation(CurveGeneralY, "x^2"));
    const int cap = f.Add(Equation(CurveGeneralY, "2-x^2"));
    const int sideways = f.Add(Equation(CurveGeneralX, "y^2-4"));
    const int inverse = f.Add(Equation(CurveGeneralY, "1/x"));
    const int circle = f.Add(Equation(CurveParameter, "2*cos(t)", "2*sin(t)"));
    EXPECT_EQ(AreaDescription(f.doc, Area(square, cap, -1, 1)), "面积: y=x^2 与 y=2-x^2, x从-1到1");
    EXPECT_EQ(AreaDescription(f.doc, Area(sideways, -1, -2, 0.5)), "面积: x=y^2-4, y从-2到0.5");
    EXPECT_EQ(AreaDescription(f.doc, Length(circle, 0, 3)),
              "弧长: x=2*cos(t), y=2*sin(t), t从0到3");

    f.doc.InsertArea(0, Area(square, cap, -1, 1));
    f.doc.InsertArea(1, Area(inverse, -1, -1, 1));
    f.doc.InsertArea(2, Length(circle, 0, 2 * Pi));
    const Integral between = MeasureArea(f.doc, f.context.Parser, 0);
    ASSERT_TRUE(between.Ok()) << between.Problem;
    // (x^2) - (2 - x^2) is below zero all along (-1, 1): the integral is -8/3, the area 8/3.
    EXPECT_NEAR(between.Signed, -8.0 / 3, 1e-13);
    EXPECT_NEAR(between.Unsigned, 8.0 / 3, 1e-13);
    EXPECT_EQ(AreaLabel(f.doc.Areas()[0], between), "面积=2.66667");
    const Integral pole = MeasureArea(f.doc, f.context.Parser, 1);
    EXPECT_EQ(pole.Result, Integral::Outcome::Divergent);
    EXPECT_EQ(AreaLabel(f.doc.Areas()[1], pole), "面积: 发散");
    const Integral round = MeasureArea(f.doc, f.context.Parser, 2);
    EXPECT_EQ(AreaLabel(f.doc.Areas()[2], round), "弧长=12.5664"); // 4 pi
    EXPECT_EQ(MeasureArea(f.doc, f.context.Parser, 3).Result, Integral::Outcome::Unsuited);
}

TEST(AreaValues, FollowTheConstantsAndTheCurvesTheyDependOn) {
    PlotFixture f;
    f.context.Parser.AddConstant("a", 2);
    const int slope = f.Add(Equation(CurveGeneralY, "a*x"));
    f.doc.InsertArea(0, Area(slope, -1, 0, 3));
    EXPECT_NEAR(MeasureArea(f.doc, f.context.Parser, 0).Signed, 9, 1e-12); // 2 * 9/2
    // A slider moves the constant: the kept value is not the answer any more.
    f.context.Parser.SetConstant("a", -0.5);
    EXPECT_NEAR(MeasureArea(f.doc, f.context.Parser, 0).Signed, -2.25, 1e-12);
    // An edited curve, and a translated one, too.
    CurveRecord moved = f.doc.Curve(slope);
    moved.CTk = 1;
    f.doc.PutCurve(slope, moved);
    EXPECT_NEAR(MeasureArea(f.doc, f.context.Parser, 0).Signed, -2.25 + 3, 1e-12);
    // y = -0.5 (x - 1) + 1 over [0, 3]: -0.5 ((3-1)^2 - (0-1)^2) / 2 + 3.
    moved.CTh = 1;
    f.doc.PutCurve(slope, moved);
    EXPECT_NEAR(MeasureArea(f.doc, f.context.Parser, 0).Signed, 2.25, 1e-12);
}

TEST(AreaValues, NaturalIntervalsLieBetweenConsecutiveMeetings) {
    PlotFixture f;
    const int square = f.Add(Equation(CurveGeneralY, "x^2"));
    const int cap = f.Add(Equation(CurveGeneralY, "2-x^2"));
    const int sine = f.Add(Equation(CurveGeneralY, "sin(x)"));
    const int sideways = f.Add(Equation(CurveGeneralX, "y^2-4"));
    CurveRecord shifted = Equation(CurveGeneralY, "x^2-1");
    shifted.CTh = 0.5F;
    shifted.CTk = -3;
    const int moved = f.Add(shifted);
    const int line = f.Add(Params(LineSI, {"1", "0"})); // y = x
    const int circle = f.Add(Equation(CurveParameter, "cos(t)", "sin(t)"));
    const PlaneBox box{-4, 7, -5, 5};
    const auto natural = [&](int32_t curve, int32_t other) {
        return NaturalIntervals(f.doc, f.context.Parser, curve, other, box);
    };
    EXPECT_THAT(natural(square, cap), Intervals(Ends{{-1, 1}}));
    EXPECT_THAT(natural(sine, -1), Intervals(Ends{{-Pi, 0}, {0, Pi}, {Pi, 2 * Pi}}));
    // x = y^2 - 4 meets the y axis at y = -2 and 2: the interval runs along y.
    EXPECT_THAT(natural(sideways, -1), Intervals(Ends{{-2, 2}}));
    // y = (x - 0.5)^2 - 1 - 3 is zero at x = 0.5 - 2 and 0.5 + 2.
    EXPECT_THAT(natural(moved, -1), Intervals(Ends{{-1.5, 2.5}}));
    // x^2 and y = x meet at 0 and 1; a line bounds an area with either kind of curve.
    EXPECT_THAT(natural(line, square), Intervals(Ends{{0, 1}}));
    // x = y^2 - 4 and y = x: y^2 - y - 4 = 0, along y.
    EXPECT_THAT(natural(sideways, line),
                Intervals(Ends{{(1 - std::sqrt(17.0)) / 2, (1 + std::sqrt(17.0)) / 2}}));
    EXPECT_TRUE(natural(circle, -1).empty());
    // Only the two curves are searched: the sine's zeros do not cut x^2 and 2 - x^2's interval.
    EXPECT_EQ(natural(square, cap).size(), 1U);
}

TEST(AreaShading, ShadesTheRegionInTheFirstCurvesColourAtAQuarter) {
    PlotFixture f(400, 300);
    f.view.ShowRectangle(-3, 4, 3, -2);
    CurveRecord square = Equation(CurveGeneralY, "x^2");
    square.LineColor = 0x00A000;
    const int a = f.Add(square);
    const int b = f.Add(Equation(CurveGeneralY, "2-x^2"));
    f.doc.InsertArea(0, Area(a, b, -1, 1));
    DrawDocumentAreas(f.canvas, f.view, f.doc, f.context.Parser);
    const std::vector<DrawOp> fills = f.canvas.Of(DrawOp::Polygon);
    ASSERT_GE(fills.size(), 2U); // the region, and the box behind its label
    EXPECT_EQ(fills[0].color, 0x00A000U);
    EXPECT_EQ(fills[0].alpha, AreaOpacity);
    EXPECT_NEAR(Enclosed(fills[0].points), 8.0 / 3, 0.01);
    for (const CanvasPoint& p : fills[0].points) {
        EXPECT_GE(p.x, -1.0F);
        EXPECT_LE(p.x, 1.0F);
    }
    EXPECT_THAT(f.canvas.Texts(), ::testing::ElementsAre("面积=2.66667"));

    // Hidden, nothing; shown with its first curve hidden, nothing either.
    f.canvas.ops.clear();
    AreaRecord hidden = f.doc.Areas()[0];
    hidden.Shown = false;
    f.doc.SetArea(0, hidden);
    DrawDocumentAreas(f.canvas, f.view, f.doc, f.context.Parser);
    EXPECT_TRUE(f.canvas.ops.empty());
}

TEST(AreaShading, FollowsTheViewAndBreaksWhereTheFunctionHasNoValue) {
    PlotFixture f(300, 300);
    f.view.ShowRectangle(-1, 3, 5, -3);
    const int root = f.Add(Equation(CurveGeneralY, "sqr(x)"));
    // Over [-4, 4] only [0, 4] has values, and only [0, 5 in view] is drawn: the shading is
    // the area under sqrt x from 0 to 4, 16/3, although no number is given for the label.
    f.doc.InsertArea(0, Area(root, -1, -4, 4));
    DrawDocumentAreas(f.canvas, f.view, f.doc, f.context.Parser);
    const std::vector<DrawOp> fills = f.canvas.Of(DrawOp::Polygon);
    ASSERT_FALSE(fills.empty());
    EXPECT_NEAR(Enclosed(fills[0].points), 16.0 / 3, 0.02);
    EXPECT_THAT(f.canvas.Texts(), ::testing::ElementsAre("面积: 区间内有无定义处"));
    // Panned so that the interval is half out of view: only what is in view is outlined.
    f.canvas.ops.clear();
    f.view.ShowRectangle(2, 3, 8, -3);
    DrawDocumentAreas(f.canvas, f.view, f.doc, f.context.Parser);
    const std::vector<DrawOp> panned = f.canvas.Of(DrawOp::Polygon);
    ASSERT_FALSE(panned.empty());
    // From 2 to 4: (2/3)(8 - 2^1.5).
    EXPECT_NEAR(Enclosed(panned[0].points), 2.0 / 3 * (8 - std::pow(2, 1.5)), 0.02);
}

TEST(AreaShading, AnXCurvesAreaLiesAgainstTheYAxis) {
    PlotFixture f(300, 400);
    f.view.ShowRectangle(-5, 3, 1, -3);
    // x = y^2 - 4 from y = -2 to 2: between it and the y axis, 32/3.
    const int sideways = f.Add(Equation(CurveGeneralX, "y^2-4"));
    f.doc.InsertArea(0, Area(sideways, -1, -2, 2));
    DrawDocumentAreas(f.canvas, f.view, f.doc, f.context.Parser);
    const std::vector<DrawOp> fills = f.canvas.Of(DrawOp::Polygon);
    ASSERT_FALSE(fills.empty());
    EXPECT_NEAR(Enclosed(fills[0].points), 32.0 / 3, 0.02);
    for (const CanvasPoint& p : fills[0].points) {
        EXPECT_LE(p.x, 0.0F);
        EXPECT_GE(p.y, -2.0F);
        EXPECT_LE(p.y, 2.0F);
    }
}

TEST(AreaShading, SweptAreasAndArcs) {
    PlotFixture f(400, 400);
    f.view.ShowRectangle(-3, 3, 3, -3);
    const int ellipse = f.Add(Equation(CurveParameter, "2*cos(t)", "sin(t)"));
    const int cardioid = f.Add(Equation(Polar, "1+cos(z)"));
    f.doc.InsertArea(0, Area(ellipse, -1, 0, 2 * Pi));
    f.doc.InsertArea(1, Length(cardioid, 0, Pi));
    DrawDocumentAreas(f.canvas, f.view, f.doc, f.context.Parser);
    const std::vector<DrawOp> fills = f.canvas.Of(DrawOp::Polygon);
    ASSERT_FALSE(fills.empty());
    EXPECT_NEAR(Enclosed(fills[0].points), 2 * Pi, 0.01); // pi a b
    // The arc's trace: a broad line in a lighter colour, from (2, 0) to the origin.
    const std::vector<DrawOp> lines = f.canvas.Of(DrawOp::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.front().color, f.doc.Curve(cardioid).LineColor);
    EXPECT_GT(lines.front().penWidth, f.doc.Curve(cardioid).LineWidth);
}
