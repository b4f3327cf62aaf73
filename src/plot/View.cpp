#include "plot/View.h"

#include "base/NumberFormat.h"

#include <cmath>

namespace orbiplot {

View::View(int clientWidthTwips, int clientHeightTwips)
    : clientWidth_(clientWidthTwips), clientHeight_(clientHeightTwips) {
    scaleWidth_ = static_cast<float>(clientWidthTwips) / InitialUnitTwips;
    scaleHeight_ = -static_cast<float>(clientHeightTwips) / InitialUnitTwips;
    CenterView();
}

void View::Resize(int clientWidthTwips, int clientHeightTwips) {
    if (clientWidthTwips > 0 && clientWidth_ > 0)
        scaleWidth_ =
            static_cast<float>(static_cast<double>(scaleWidth_) / clientWidth_ * clientWidthTwips);
    if (clientHeightTwips > 0 && clientHeight_ > 0)
        scaleHeight_ = static_cast<float>(static_cast<double>(scaleHeight_) / clientHeight_ *
                                         clientHeightTwips);
    if (clientWidthTwips > 0) clientWidth_ = clientWidthTwips;
    if (clientHeightTwips > 0) clientHeight_ = clientHeightTwips;
    CenterView();
}

void View::CenterView() {
    const float w = std::fabs(scaleWidth_) / 2;
    const float h = std::fabs(scaleHeight_) / 2;
    scaleLeft_ = -w;
    scaleTop_ = h;
    scaleWidth_ = 2 * w;
    scaleHeight_ = -2 * h;
}

void View::Scale(float factor, bool byX, bool byY) {
    if (byX) {
        scaleWidth_ = static_cast<float>(static_cast<double>(scaleWidth_) * factor);
        zoomX_ = factor * zoomX_;
    }
    if (byY) {
        scaleHeight_ = static_cast<float>(static_cast<double>(scaleHeight_) * factor);
        zoomY_ = factor * zoomY_;
    }
}

std::string View::ZoomStatusText() const {
    if (zoomX_ == zoomY_) return "缩放:(" + FormatSingle(zoomX_, "0.0#") + "%)";
    return "缩放:(X:" + FormatSingle(zoomX_, "0.0#") + "%; Y:" + FormatSingle(zoomY_, "0.0#") + "%)";
}

void View::ShiftOrigin(float h, float k) {
    shiftH_ = h;
    shiftK_ = k;
    scaleLeft_ = scaleLeft_ - h;
    scaleTop_ = scaleTop_ - k;
}

void View::RestoreOrigin() {
    scaleLeft_ = scaleLeft_ + shiftH_;
    scaleTop_ = scaleTop_ + shiftK_;
    shiftH_ = 0;
    shiftK_ = 0;
}

float View::SampleStep() const {
    const float perTwip = scaleWidth_ / static_cast<float>(clientWidth_);
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
