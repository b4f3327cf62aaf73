#include "PlotTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

std::vector<DrawOp> DrawOne(PlotFixture& f, const CurveRecord& curve) {
    f.Add(curve);
    f.canvas.ops.clear();
    f.engine.DrawCurve(f.doc.CurveCount() - 1);
    std::vector<DrawOp> out;
    for (const DrawOp& op : f.canvas.ops)
        if (op.kind != DrawOp::Text) out.push_back(op);
    return out;
}

std::vector<DrawOp> Dotted(const std::vector<DrawOp>& ops) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Line && op.style == LineStyle::Dot) out.push_back(op);
    return out;
}

std::vector<DrawOp> Of(const std::vector<DrawOp>& ops, DrawOp::Kind kind) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
        if (op.kind == kind) out.push_back(op);
    return out;
}

std::vector<std::pair<float, float>> Points(const std::vector<DrawOp>& ops) {
    std::vector<std::pair<float, float>> out;
    for (const DrawOp& op : ops)
        out.emplace_back(op.x1, op.y1);
    return out;
}

// Ends of a dotted line, to 1e-4.
std::array<double, 4> Ends(const DrawOp& op) {
    const auto r = [](double v) { return std::round(v * 1e4) / 1e4; };
    return {r(op.x1), r(op.y1), r(op.x2), r(op.y2)};
}

} // namespace

// A view wider than tall, 400 x 300 pixels: x from -6.006 to 6.006, y from -4.5045 to 4.5045.
TEST(Conics, LinesSpanTheView) {
    PlotFixture f(400, 300);
    const float left = f.view.ScaleLeft(), right = f.view.Right();
    // A vertical line runs from the top edge to the bottom one.
    auto ops = DrawOne(f, Params(LineGeneral, {"1", "0", "-2"}));
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(std::tuple(ops[0].x1, ops[0].y1, ops[0].x2, ops[0].y2),
              std::tuple(2.0f, f.view.ScaleTop(), 2.0f, f.view.Bottom()));

    const auto y = [](double v) { return static_cast<float>(v); };
    const std::pair<CurveRecord, std::pair<float, float>> cases[] = {
        // Through (1, 2) and (4, 11): slope 3.
        {Params(LinePP, {"1", "2", "4", "11"}),
         {y(2 + 3 * (left - 1.0)), y(2 + 3 * (right - 1.0))}},
        {Params(LinePS, {"1", "2", "3"}), {y(2 + 3 * (left - 1.0)), y(2 + 3 * (right - 1.0))}},
        {Params(LineSI, {"0.5", "1"}), {y(1 + 0.5 * left), y(1 + 0.5 * right)}},
        // x/2 + y/4 = 1.
        {Params(LineII, {"2", "4"}), {y(4 - 2.0 * left), y(4 - 2.0 * right)}},
        {Params(LineGeneral, {"1", "2", "4"}), {y(-(left + 4.0) / 2), y(-(right + 4.0) / 2)}},
    };
    for (const auto& [curve, ends] : cases) {
        ops = DrawOne(f, curve);
        ASSERT_EQ(ops.size(), 1u) << curve.FType;
        EXPECT_EQ(ops[0].x1, left);
        EXPECT_EQ(ops[0].x2, right);
        EXPECT_NEAR(ops[0].y1, ends.first, 1e-5) << curve.FType;
        EXPECT_NEAR(ops[0].y2, ends.second, 1e-5) << curve.FType;
    }
}

TEST(Conics, CirclesWithTheirCentres) {
    PlotFixture f(400, 300);
    auto ops = DrawOne(f, Params(CircleStandard, {"1", "-2", "2"}));
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(Points(Of(ops, DrawOp::Dot)), (std::vector<std::pair<float, float>>{{1, -2}}));
    EXPECT_EQ(ops[1].radius, 2.0f);

    // x^2 + y^2 + 2x - 4y - 4 = 0: centre (-1, 2), radius 3.
    ops = DrawOne(f, Params(CircleGeneral, {"2", "-4", "-4"}));
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(Points(Of(ops, DrawOp::Dot)), (std::vector<std::pair<float, float>>{{-1, 2}}));
    EXPECT_EQ(std::tuple(ops[1].x1, ops[1].y1), std::tuple(-1.0f, 2.0f));
    EXPECT_FLOAT_EQ(ops[1].radius, 3.0f);
}

TEST(Conics, EllipseAlongEitherAxisWithBothFociAndDirectrices) {
    PlotFixture f(400, 300);
    const double c = std::sqrt(5.0), d = 9 / std::sqrt(5.0); // for a, b = 3, 2
    const float rc = std::round(static_cast<float>(c) * 1e4f) / 1e4f;
    const auto r4 = [](std::vector<std::pair<float, float>> v) {
        for (auto& [x, y] : v)
            x = std::round(x * 1e4f) / 1e4f, y = std::round(y * 1e4f) / 1e4f;
        return v;
    };
    const double top = f.view.ScaleTop(), bottom = f.view.Bottom();
    const double left = f.view.ScaleLeft(), right = f.view.Right();
    const auto r = [](double v) { return std::round(v * 1e4) / 1e4; };

    CurveRecord wide = Params(Ellipse, {"3", "2"});
    wide.ExLine1 = true;
    auto ops = DrawOne(f, wide);
    EXPECT_EQ(r4(Points(Of(ops, DrawOp::Dot))),
              (std::vector<std::pair<float, float>>{{-rc, 0}, {rc, 0}}));
    auto circles = Of(ops, DrawOp::Circle);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].radius, 3.0f);
    EXPECT_FLOAT_EQ(circles[0].aspect, 2.0f / 3);
    auto directrices = Dotted(ops);
    ASSERT_EQ(directrices.size(), 2u);
    EXPECT_EQ(Ends(directrices[0]), (std::array{r(-d), r(top), r(-d), r(bottom)}));
    EXPECT_EQ(Ends(directrices[1]), (std::array{r(d), r(top), r(d), r(bottom)}));
    EXPECT_EQ(directrices[0].color, 0x808080u);

    CurveRecord tall = Params(Ellipse, {"2", "3"});
    tall.ExLine1 = true;
    ops = DrawOne(f, tall);
    EXPECT_EQ(r4(Points(Of(ops, DrawOp::Dot))),
              (std::vector<std::pair<float, float>>{{0, rc}, {0, -rc}}));
    circles = Of(ops, DrawOp::Circle);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].radius, 3.0f);
    EXPECT_FLOAT_EQ(circles[0].aspect, 1.5f); // taller than wide
    directrices = Dotted(ops);
    ASSERT_EQ(directrices.size(), 2u);
    EXPECT_EQ(Ends(directrices[0]), (std::array{r(left), r(-d), r(right), r(-d)}));
    EXPECT_EQ(Ends(directrices[1]), (std::array{r(left), r(d), r(right), r(d)}));
}

TEST(Conics, HyperbolaAlongEitherAxisWithAsymptotesDirectricesAndFoci) {
    // a = 2, b = 1: c = sqrt(5), directrices at +-4/sqrt(5); asymptotes of slope +-1/2 along
    // X and +-2 along Y; the branches and lines span the view extended by a tenth.
    PlotFixture f(400, 300);
    const double c = std::sqrt(5.0), d = 4 / std::sqrt(5.0);
    const double left = 1.1 * f.view.ScaleLeft(), right = 1.1 * f.view.Right();
    const double top = 1.1 * f.view.ScaleTop(), bottom = 1.1 * f.view.Bottom();
    const auto r = [](double v) { return std::round(v * 1e4) / 1e4; };
    const auto near = [](const std::vector<DrawOp>& dots,
                         std::vector<std::pair<double, double>> at) {
        ASSERT_EQ(dots.size(), at.size());
        for (size_t i = 0; i < at.size(); ++i) {
            EXPECT_NEAR(dots[i].x1, at[i].first, 1e-5) << i;
            EXPECT_NEAR(dots[i].y1, at[i].second, 1e-5) << i;
        }
    };
    const auto branches = [](const std::vector<DrawOp>& ops, auto onCurve) {
        size_t solid = 0;
        bool positive = false, negative = false;
        for (const DrawOp& op : ops)
            if (op.kind == DrawOp::Line && op.style == LineStyle::Solid) {
                ++solid;
                EXPECT_NEAR(onCurve(op.x1, op.y1), 1.0, 1e-3);
                positive |= onCurve.Side(op.x1, op.y1) > 0;
                negative |= onCurve.Side(op.x1, op.y1) < 0;
            }
        EXPECT_GT(solid, 1000u);
        EXPECT_TRUE(positive && negative) << "both branches";
    };
    struct AlongX {
        double operator()(double x, double y) const { return x * x / 4 - y * y; }
        double Side(double x, double) const { return x; }
    };
    struct AlongY {
        double operator()(double x, double y) const { return y * y / 4 - x * x; }
        double Side(double, double y) const { return y; }
    };

    CurveRecord h = Params(HyperbolaX, {"2", "1"});
    h.ExLine1 = h.ExLine2 = true;
    auto ops = DrawOne(f, h);
    auto dotted = Dotted(ops);
    ASSERT_EQ(dotted.size(), 4u);
    EXPECT_EQ(Ends(dotted[0]), (std::array{r(d), r(bottom), r(d), r(top)}));
    EXPECT_EQ(Ends(dotted[1]), (std::array{r(-d), r(bottom), r(-d), r(top)}));
    EXPECT_EQ(Ends(dotted[2]), (std::array{r(left), r(left / 2), r(right), r(right / 2)}));
    EXPECT_EQ(Ends(dotted[3]), (std::array{r(left), r(-left / 2), r(right), r(-right / 2)}));
    near(Of(ops, DrawOp::Dot), {{-c, 0}, {c, 0}});
    branches(ops, AlongX{});

    CurveRecord v = Params(HyperbolaY, {"2", "1"});
    v.ExLine1 = v.ExLine2 = true;
    ops = DrawOne(f, v);
    dotted = Dotted(ops);
    ASSERT_EQ(dotted.size(), 4u);
    EXPECT_EQ(Ends(dotted[0]), (std::array{r(left), r(d), r(right), r(d)}));
    EXPECT_EQ(Ends(dotted[1]), (std::array{r(left), r(-d), r(right), r(-d)}));
    EXPECT_EQ(Ends(dotted[2]), (std::array{r(left), r(2 * left), r(right), r(2 * right)}));
    EXPECT_EQ(Ends(dotted[3]), (std::array{r(left), r(-2 * left), r(right), r(-2 * right)}));
    near(Of(ops, DrawOp::Dot), {{0, c}, {0, -c}});
    branches(ops, AlongY{});

    // A vertex beyond the extended view: only the auxiliary lines and the foci.
    CurveRecord far = Params(HyperbolaY, {"6", "1"});
    far.ExLine1 = far.ExLine2 = true;
    const auto farOps = DrawOne(f, far);
    for (const DrawOp& op : farOps)
        if (op.kind == DrawOp::Line) {
            EXPECT_EQ(op.style, LineStyle::Dot);
        }
    EXPECT_EQ(farOps.size(), 6u);
}

TEST(Conics, ParabolaAlongEitherAxisWithDirectrixAndFocus) {
    PlotFixture f(400, 300);
    const float left = static_cast<float>(1.1 * f.view.ScaleLeft());
    const float bottom = static_cast<float>(1.1 * f.view.Bottom());
    // x^2 = 2 * 3 * y: focus (0, 1.5), directrix y = -1.5.
    CurveRecord up = Params(ParabolaY, {"3"});
    up.ExLine1 = true;
    auto ops = DrawOne(f, up);
    auto dotted = Dotted(ops);
    ASSERT_EQ(dotted.size(), 1u);
    EXPECT_EQ(std::tuple(dotted[0].x1, dotted[0].y1, dotted[0].y2), std::tuple(left, -1.5f, -1.5f));
    EXPECT_EQ(Points(Of(ops, DrawOp::Dot)), (std::vector<std::pair<float, float>>{{0, 1.5f}}));
    size_t solid = 0;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Line && op.style == LineStyle::Solid) {
            ++solid;
            ASSERT_NEAR(op.y1, op.x1 * op.x1 / 6, 1e-4);
        }
    EXPECT_GT(solid, 1000u);

    // y^2 = 2 * 3 * x: focus (1.5, 0), directrix x = -1.5.
    CurveRecord right = Params(ParabolaX, {"3"});
    right.ExLine1 = true;
    ops = DrawOne(f, right);
    dotted = Dotted(ops);
    ASSERT_EQ(dotted.size(), 1u);
    EXPECT_EQ(std::tuple(dotted[0].x1, dotted[0].x2, dotted[0].y1),
              std::tuple(-1.5f, -1.5f, bottom));
    EXPECT_EQ(Points(Of(ops, DrawOp::Dot)), (std::vector<std::pair<float, float>>{{1.5f, 0}}));
    solid = 0;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Line && op.style == LineStyle::Solid) {
            ++solid;
            ASSERT_NEAR(op.x1, op.y1 * op.y1 / 6, 1e-4);
        }
    EXPECT_GT(solid, 1000u);
}

TEST(Conics, DegenerateParametersStopSilentlyAndTheNextCurveIsUnshifted) {
    PlotFixture f;
    const std::pair<CurveRecord, size_t> cases[] = {
        {Params(LineGeneral, {"0", "0", "1"}), 0},
        {Params(LinePP, {"1", "1", "1", "5"}), 0},
        {Params(LineII, {"0", "1"}), 0},
        {Params(CircleGeneral, {"0", "0", "1"}), 1}, // the centre dot only
        {Params(Ellipse, {"0", "2"}), 2},            // the foci only
        {Params(HyperbolaX, {"1", "0"}), 0},
        {Params(ParabolaX, {"0"}), 0},
    };
    for (const auto& [curve, drawn] : cases) {
        CurveRecord shifted = curve;
        shifted.CTh = 2;
        shifted.CTk = 1;
        EXPECT_EQ(DrawOne(f, shifted).size(), drawn) << curve.FType;
        EXPECT_EQ(f.view.ScaleLeft(), -5.0f) << "origin restored";
    }
    CurveRecord round = Params(Ellipse, {"2", "2"});
    round.ExLine1 = true;
    EXPECT_EQ(DrawOne(f, round).size(), 3u); // drawn, without directrices
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(Conics, ATranslatedConicIsSampledAcrossTheWholeView) {
    // x^2 - y^2 = 1 moved 8 to the right: in its own coordinates the view runs from -13 to
    // -3, where only the left branch lies; it runs out through the right edge.
    PlotFixture f;
    CurveRecord h = Params(HyperbolaX, {"1", "1"});
    h.CTh = 8;
    float rightmost = -1e9f;
    size_t lines = 0;
    for (const DrawOp& op : DrawOne(f, h))
        if (op.kind == DrawOp::Line && op.style == LineStyle::Solid) {
            ++lines;
            EXPECT_LT(op.x1, 0); // the left branch only
            EXPECT_NEAR(op.x1 * op.x1 - op.y1 * op.y1, 1.0, 1e-3);
            rightmost = std::max({rightmost, op.x1, op.x2});
        }
    EXPECT_GT(lines, 100u);
    EXPECT_GT(rightmost, -3.0f); // the surface's right edge, in the curve's coordinates

    // The parabola x^2 = 2y moved 8 down, so that the bottom of the view lies above its
    // vertex: two arms, never joined across the gap between them.
    CurveRecord p = Params(ParabolaY, {"1"});
    p.CTk = -8;
    size_t joins = 0, arms = 0;
    for (const DrawOp& op : DrawOne(f, p))
        if (op.kind == DrawOp::Line && op.style == LineStyle::Solid) {
            ++arms;
            joins += (op.x1 < 0) != (op.x2 < 0);
        }
    EXPECT_GT(arms, 100u);
    EXPECT_EQ(joins, 0u);
}
