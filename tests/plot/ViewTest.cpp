#include "plot/View.h"

#include "base/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace orbiplot;

TEST(View, ResizingShowsMoreOfThePlaneAtTheSameUnit) {
    View view(4995, 4995);
    view.Resize(9990, 2997);
    EXPECT_EQ(view.ScaleWidth(), 20.0f);
    EXPECT_EQ(view.ScaleHeight(), -6.0f);
    EXPECT_EQ(view.ScaleLeft(), -10.0f);
    EXPECT_EQ(view.ScaleTop(), 3.0f);
    view.Scale(ZoomInFactor, true, false);
    view.CenterView();
    view.Resize(4995, 2997);
    EXPECT_FLOAT_EQ(view.ScaleWidth(), 9.0f); // the zoomed unit is kept
    EXPECT_EQ(view.ScaleLeft(), -view.ScaleWidth() / 2);
    view.Resize(0, 0); // a minimized window keeps its view
    EXPECT_FLOAT_EQ(view.ScaleWidth(), 9.0f);

    // From a window wider than tall to one taller than wide: each axis keeps its own unit.
    View oblong(6000, 3000);
    oblong.Resize(1500, 9000);
    EXPECT_FLOAT_EQ(oblong.ScaleWidth(), 1500 / 499.5f);
    EXPECT_FLOAT_EQ(oblong.ScaleHeight(), -9000 / 499.5f);
    EXPECT_FLOAT_EQ(oblong.ScaleTop(), 4500 / 499.5f);
}

TEST(View, ZoomReadOuts) {
    View view;
    for (int i = 0; i < 3; ++i)
        view.Scale(ZoomInFactor, true, true);
    EXPECT_EQ(view.ZoomStatusText(), "缩放:(72.9%)");
    view.Scale(ZoomInFactor, true, false);
    EXPECT_EQ(view.ZoomStatusText(), "缩放:(X:65.61%; Y:72.9%)");

    View other;
    other.Scale(ZoomInFactor, true, true);
    other.Scale(ZoomOutFactor, true, true);
    EXPECT_EQ(other.ZoomStatusText(), "缩放:(99.0%)");
    for (int i = 0; i < 5; ++i)
        other.Scale(ZoomInFactor, true, true);
    EXPECT_EQ(other.ZoomStatusText(), "缩放:(58.46%)");

    // The same zooms in another order show one percentage: X in, out, out; Y out, out, in
    // (products of floats in those orders are an ulp apart), and X in three times, out
    // once against Y the other way round.
    View orders;
    orders.Scale(ZoomInFactor, true, false);
    orders.Scale(ZoomOutFactor, true, false);
    orders.Scale(ZoomOutFactor, true, false);
    orders.Scale(ZoomOutFactor, false, true);
    orders.Scale(ZoomOutFactor, false, true);
    orders.Scale(ZoomInFactor, false, true);
    EXPECT_EQ(orders.ZoomStatusText(), "缩放:(108.9%)");
    View wide(9990, 2997);
    for (const float factor : {ZoomInFactor, ZoomInFactor, ZoomInFactor, ZoomOutFactor})
        wide.Scale(factor, true, false);
    for (const float factor : {ZoomOutFactor, ZoomInFactor, ZoomInFactor, ZoomInFactor})
        wide.Scale(factor, false, true);
    EXPECT_EQ(wide.ZoomStatusText(), "缩放:(80.19%)");
    wide.Resize(3001, 7013); // resizing keeps the unit, so the percentages
    EXPECT_EQ(wide.ZoomStatusText(), "缩放:(80.19%)");
    wide.Scale(ZoomInFactor, false, true);
    EXPECT_EQ(wide.ZoomStatusText(), "缩放:(X:80.19%; Y:72.17%)");

    View none;
    none.Scale(0.5f, false, false);
    EXPECT_EQ(none.ScaleWidth(), 10.0f);
    EXPECT_EQ(none.ZoomStatusText(), "缩放:(100.0%)");
}

TEST(View, PointerReadout) {
    const std::pair<std::pair<float, float>, const char*> cases[] = {
        {{0, 2}, "当前坐标 X=0.000 Y=2.000 R=2.000 Z=pi/2"},
        {{0, 0}, "当前坐标 X=0.000 Y=0.000 R=0.000 Z=pi/2"},
        {{0, -3}, "当前坐标 X=0.000 Y=-3.000 R=3.000 Z=-pi/2"},
        {{-1, 1}, "当前坐标 X=-1.000 Y=1.000 R=1.414 Z=-0.785"},
        {{1, -1}, "当前坐标 X=1.000 Y=-1.000 R=1.414 Z=-0.785"},
        {{3, 4}, "当前坐标 X=3.000 Y=4.000 R=5.000 Z=0.927"},
        {{-0.0004f, 0.0005f}, "当前坐标 X=0.000 Y=0.001 R=0.001 Z=-0.896"},
    };
    for (const auto& [point, expected] : cases)
        EXPECT_EQ(PointerReadout(point.first, point.second), expected);
}

TEST(View, ZoomAboutAPointKeepsItWhereItIsOnTheSurface) {
    // 600 x 300 pixels, moved off the origin first.
    View view(600 * TwipsPerPixel, 300 * TwipsPerPixel);
    view.Pan(-7.25, 3.5);
    EXPECT_DOUBLE_EQ(view.CentreX(), 7.25);
    EXPECT_DOUBLE_EQ(view.CentreY(), -3.5);
    const auto [px, py] = std::pair(450.0, 60.0); // right of and above the middle
    const auto [x, y] = view.FromPixels(px, py);
    const std::tuple<float, bool, bool> notches[] = {{ZoomInFactor, true, true},
                                                     {ZoomInFactor, true, true},
                                                     {ZoomOutFactor, true, false},
                                                     {ZoomInFactor, false, true},
                                                     {ZoomOutFactor, true, true}};
    for (const auto& [factor, byX, byY] : notches) {
        const float w = view.ScaleWidth(), h = view.ScaleHeight();
        view.ZoomAbout(factor, byX, byY, x, y);
        const auto [qx, qy] = view.ToPixels(x, y);
        EXPECT_NEAR(qx, px, 1e-3);
        EXPECT_NEAR(qy, py, 1e-3);
        EXPECT_FLOAT_EQ(view.ScaleWidth(), byX ? w * factor : w);
        EXPECT_FLOAT_EQ(view.ScaleHeight(), byY ? h * factor : h);
    }
    // Percentages as the zoom commands count them: X 0.9 * 0.9 * 1.1 * 1.1, Y 0.9^3 * 1.1.
    EXPECT_EQ(view.ZoomStatusText(), "缩放:(X:98.01%; Y:80.19%)");

    // Resizing keeps the centre; the zoom commands zoom about it.
    const double cx = view.CentreX(), cy = view.CentreY();
    EXPECT_NE(cx, 7.25); // zooming about another point moved it
    view.Resize(800 * TwipsPerPixel, 200 * TwipsPerPixel);
    EXPECT_DOUBLE_EQ(view.CentreX(), cx);
    EXPECT_NEAR(view.ScaleLeft() + view.ScaleWidth() / 2, cx, 1e-5);
    view.Scale(ZoomInFactor, true, true);
    view.CenterView();
    EXPECT_NEAR(view.ScaleTop() + view.ScaleHeight() / 2, cy, 1e-5);
}

TEST(View, RectangleResetEqualScaleAndCentre) {
    View view(600 * TwipsPerPixel, 300 * TwipsPerPixel); // 18.018 by 9.009 units
    // A rectangle wider than tall: 2 by 0.5 units, from (3, 1.5) to (5, 1).
    view.ShowRectangle(3, 1.5, 5, 1);
    EXPECT_FLOAT_EQ(view.ScaleLeft(), 3);
    EXPECT_FLOAT_EQ(view.ScaleTop(), 1.5f);
    EXPECT_FLOAT_EQ(view.ScaleWidth(), 2);
    EXPECT_FLOAT_EQ(view.ScaleHeight(), -0.5f);
    EXPECT_NEAR(view.ZoomX(), 100 * 2 / (600 * 15 / 499.5), 1e-3);
    EXPECT_NEAR(view.ZoomY(), 100 * 0.5 / (300 * 15 / 499.5), 1e-3);

    view.EqualScale(); // y to x's unit: 300 pixels show 1 unit, as 600 show 2
    EXPECT_FLOAT_EQ(view.ScaleHeight(), -1);
    EXPECT_FLOAT_EQ(view.ScaleTop(), 1.75f); // about the centre (4, 1.25)
    EXPECT_FLOAT_EQ(view.ZoomY(), view.ZoomX());
    EXPECT_EQ(view.ZoomStatusText(), "缩放:(" + FormatSingle(view.ZoomX(), "0.0#") + "%)");

    view.CentreOnOrigin();
    EXPECT_FLOAT_EQ(view.ScaleLeft(), -1);
    EXPECT_FLOAT_EQ(view.ScaleWidth(), 2);

    view.Reset();
    const View fresh(600 * TwipsPerPixel, 300 * TwipsPerPixel);
    EXPECT_EQ(
        std::tuple(view.ScaleLeft(), view.ScaleTop(), view.ScaleWidth(), view.ScaleHeight()),
        std::tuple(fresh.ScaleLeft(), fresh.ScaleTop(), fresh.ScaleWidth(), fresh.ScaleHeight()));
    EXPECT_EQ(view.ZoomStatusText(), "缩放:(100.0%)");
}
