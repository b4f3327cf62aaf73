#include "PlotTestSupport.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(Conics, LinesSpanTheView) {
    PlotFixture f;
    // A vertical line runs from the top edge to the bottom one.
    auto ops = DrawOne(f, Params(LineGeneral, {"1", "0", "-2"}));
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(std::tuple(ops[0].x1, ops[0].y1, ops[0].x2, ops[0].y2), std::tuple(2.0f, 5.0f, 2.0f, -5.0f));

    const std::pair<CurveRecord, std::pair<float, float>> cases[] = {
        {Params(LinePP, {"1", "1", "3", "5"}), {1 + 2 * (-5.0f - 1), 1 + 2 * (5.0f - 1)}},
        {Params(LinePS, {"1", "2", "3"}), {2 + 3 * (-5.0f - 1), 2 + 3 * (5.0f - 1)}},
        {Params(LineSI, {"0.5", "1"}), {1 - 2.5f, 1 + 2.5f}},
        {Params(LineII, {"2", "4"}), {4 + 10.0f, 4 - 10.0f}},
        {Params(LineGeneral, {"1", "2", "4"}), {-(-5.0f + 4) / 2, -(5.0f + 4) / 2}},
    };
    for (const auto& [curve, ends] : cases) {
        ops = DrawOne(f, curve);
        ASSERT_EQ(ops.size(), 1u) << curve.FType;
        EXPECT_FLOAT_EQ(ops[0].y1, ends.first) << curve.FType;
        EXPECT_FLOAT_EQ(ops[0].y2, ends.second) << curve.FType;
    }
}

TEST(Conics, CirclesAndTheEllipseWithFociAndDirectrices) {
    PlotFixture f;
    auto ops = DrawOne(f, Params(CircleStandard, {"1", "1", "2"}));
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, DrawOp::Dot);
    EXPECT_EQ(ops[1].radius, 2.0f);

    ops = DrawOne(f, Params(CircleGeneral, {"2", "-2", "-2"}));
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].x1, -1.0f);
    EXPECT_EQ(ops[0].y1, 1.0f);
    EXPECT_FLOAT_EQ(ops[1].radius, 2.0f);

    CurveRecord wide = Params(Ellipse, {"3", "2"});
    wide.ExLine1 = true;
    ops = DrawOne(f, wide);
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_FLOAT_EQ(ops[0].x1, -std::sqrt(5.0f));
    EXPECT_FLOAT_EQ(ops[1].x1, std::sqrt(5.0f));
    EXPECT_EQ(ops[2].radius, 3.0f);
    EXPECT_FLOAT_EQ(ops[2].aspect, 2.0f / 3);
    const auto directrices = Dotted(ops);
    ASSERT_EQ(directrices.size(), 2u);
    EXPECT_NEAR(directrices[1].x1, 9 / std::sqrt(5.0), 1e-5);
    EXPECT_EQ(directrices[0].color, 0x808080u);

    ops = DrawOne(f, Params(Ellipse, {"2", "3"}));
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_FLOAT_EQ(ops[0].y1, std::sqrt(5.0f));
    EXPECT_FLOAT_EQ(ops[2].aspect, 1.5f); // taller than wide
}

TEST(Conics, HyperbolaWithAsymptotesDirectricesAndFoci) {
    PlotFixture f;
    CurveRecord h = Params(HyperbolaX, {"1", "1"});
    h.ExLine1 = h.ExLine2 = true;
    const auto ops = DrawOne(f, h);
    const auto dotted = Dotted(ops);
    ASSERT_EQ(dotted.size(), 4u);
    EXPECT_NEAR(dotted[0].x1, 0.7071, 1e-4);
    EXPECT_NEAR(dotted[1].x1, -0.7071, 1e-4);
    EXPECT_FLOAT_EQ(dotted[0].y1, -5.5f); // the extended view
    EXPECT_FLOAT_EQ(dotted[2].y1, -5.5f); // y = x
    EXPECT_FLOAT_EQ(dotted[3].y1, 5.5f);  // y = -x
    EXPECT_NEAR(ops.back().x1, 1.4142, 1e-4); // a focus
    // Two branches, each one unbroken run, mirrored in x.
    size_t solid = 0;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Line && op.style == LineStyle::Solid) {
            ++solid;
            EXPECT_NEAR(op.x1 * op.x1 - op.y1 * op.y1, 1.0, 1e-3);
        }
    EXPECT_GT(solid, 1000u);

    // A vertex beyond the extended view: only the auxiliary lines and the foci.
    PlotFixture g;
    CurveRecord far = Params(HyperbolaY, {"6", "1"});
    far.ExLine1 = far.ExLine2 = true;
    const auto farOps = DrawOne(g, far);
    for (const DrawOp& op : farOps)
        if (op.kind == DrawOp::Line) {
            EXPECT_EQ(op.style, LineStyle::Dot);
        }
    EXPECT_EQ(farOps.size(), 6u);
}

TEST(Conics, ParabolaWithDirectrixAndFocus) {
    PlotFixture f;
    CurveRecord p = Params(ParabolaY, {"1"});
    p.ExLine1 = true;
    const auto ops = DrawOne(f, p);
    const auto dotted = Dotted(ops);
    ASSERT_EQ(dotted.size(), 1u);
    EXPECT_EQ(dotted[0].y1, -0.5f);
    EXPECT_FLOAT_EQ(dotted[0].x1, -5.5f);
    EXPECT_EQ(ops.back().kind, DrawOp::Dot);
    EXPECT_EQ(ops.back().y1, 0.5f);
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Line && op.style == LineStyle::Solid) {
            ASSERT_NEAR(op.y1, op.x1 * op.x1 / 2, 1e-4);
        }
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
