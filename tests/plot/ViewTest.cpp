#include "plot/View.h"

#include <gtest/gtest.h>

#include <cmath>

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
