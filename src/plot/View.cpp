#include "plot/View.h"

#include "base/NumberFormat.h"

#include <cmath>

namespace orbiplot {

View::View(int clientWidthTwips, int clientHeightTwips)
    : clientWidth_(clientWidthTwips), clientHeight_(clientHeightTwips) {
    ScaleWidth = static_cast<float>(clientWidthTwips) / InitialUnitTwips;
    ScaleHeight = -static_cast<float>(clientHeightTwips) / InitialUnitTwips;
    CenterView();
}

void View::Resize(int clientWidthTwips, int clientHeightTwips) {
    if (clientWidthTwips > 0 && clientWidth_ > 0)
        ScaleWidth =
            static_cast<float>(static_cast<double>(ScaleWidth) / clientWidth_ * clientWidthTwips);
    if (clientHeightTwips > 0 && clientHeight_ > 0)
        ScaleHeight = static_cast<float>(static_cast<double>(ScaleHeight) / clientHeight_ *
                                         clientHeightTwips);
    if (clientWidthTwips > 0) clientWidth_ = clientWidthTwips;
    if (clientHeightTwips > 0) clientHeight_ = clientHeightTwips;
    CenterView();
}

void View::CenterView() {
    const float w = std::fabs(ScaleWidth) / 2;
    const float h = std::fabs(ScaleHeight) / 2;
    ScaleLeft = -w;
    ScaleTop = h;
    ScaleWidth = 2 * w;
    ScaleHeight = -2 * h;
}

void View::Scale(float factor, bool byX, bool byY) {
    if (byX) {
        ScaleWidth = static_cast<float>(static_cast<double>(ScaleWidth) * factor);
        ZoomX = factor * ZoomX;
    }
    if (byY) {
        ScaleHeight = static_cast<float>(static_cast<double>(ScaleHeight) * factor);
        ZoomY = factor * ZoomY;
    }
}

std::string View::ZoomStatusText() const {
    if (ZoomX == ZoomY) return "缩放:(" + FormatSingle(ZoomX, "0.0#") + "%)";
    return "缩放:(X:" + FormatSingle(ZoomX, "0.0#") + "%; Y:" + FormatSingle(ZoomY, "0.0#") + "%)";
}

void View::ShiftOrigin(float h, float k) {
    shiftH_ = h;
    shiftK_ = k;
    ScaleLeft = ScaleLeft - h;
    ScaleTop = ScaleTop - k;
}

void View::RestoreOrigin() {
    ScaleLeft = ScaleLeft + shiftH_;
    ScaleTop = ScaleTop + shiftK_;
    shiftH_ = 0;
    shiftK_ = 0;
}

float View::SampleStep() const {
    const float perTwip = ScaleWidth / static_cast<float>(clientWidth_);
    return static_cast<float>(std::fabs(perTwip) * 0.75);
}

std::string PointerReadout(float x, float y) {
    std::string text =
        "当前坐标 X=" + FormatSingle(x, "0.000") + " Y=" + FormatSingle(y, "0.000") + " R=" +
        FormatNumber(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y), "0.000");
    if (x != 0) {
        const float q = y / x;
        text += " Z=" + FormatNumber(std::atan(static_cast<double>(q)), "0.000");
    } else if (y < 0) {
        text += " Z=-pi/2";
    } else {
        text += " Z=pi/2";
    }
    return text;
}

} // namespace orbiplot
