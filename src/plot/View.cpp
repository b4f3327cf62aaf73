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
    // With the centre at the origin this is exactly -w and h.
    scaleLeft_ = static_cast<float>(centreX_ - w);
    scaleTop_ = static_cast<float>(centreY_ + h);
    scaleWidth_ = 2 * w;
    scaleHeight_ = -2 * h;
}

void View::Pan(double dx, double dy) {
    centreX_ -= dx;
    centreY_ -= dy;
    CenterView();
}

void View::ZoomAbout(float factor, bool byX, bool byY, double x, double y) {
    // Where the point lies, as fractions of the surface, before and after.
    const double fx = (x - scaleLeft_) / scaleWidth_;
    const double fy = (y - scaleTop_) / scaleHeight_;
    Scale(factor, byX, byY);
    if (byX) centreX_ = x - fx * scaleWidth_ + scaleWidth_ / 2.0;
    if (byY) centreY_ = y - fy * scaleHeight_ + scaleHeight_ / 2.0;
    CenterView();
}

void View::ShowRectangle(double left, double top, double right, double bottom) {
    const double width = std::fabs(right - left), height = std::fabs(top - bottom);
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) return;
    const float factorX = static_cast<float>(width / scaleWidth_);
    const float factorY = static_cast<float>(height / -scaleHeight_);
    Scale(factorX, true, false);
    Scale(factorY, false, true);
    centreX_ = (left + right) / 2;
    centreY_ = (top + bottom) / 2;
    CenterView();
}

void View::Reset() { *this = View(clientWidth_, clientHeight_); }

void View::EqualScale() {
    // The y extent that gives one world unit as many twips down as across.
    const double perTwip = static_cast<double>(scaleWidth_) / clientWidth_;
    scaleHeight_ = static_cast<float>(-perTwip * clientHeight_);
    CenterView();
}

void View::CentreOnOrigin() {
    centreX_ = 0;
    centreY_ = 0;
    CenterView();
}

std::pair<double, double> View::ToPixels(double x, double y) const {
    const double w = clientWidth_ / static_cast<double>(TwipsPerPixel);
    const double h = clientHeight_ / static_cast<double>(TwipsPerPixel);
    return {(x - scaleLeft_) / scaleWidth_ * w, (y - scaleTop_) / scaleHeight_ * h};
}

std::pair<double, double> View::FromPixels(double px, double py) const {
    const double w = clientWidth_ / static_cast<double>(TwipsPerPixel);
    const double h = clientHeight_ / static_cast<double>(TwipsPerPixel);
    return {scaleLeft_ + px / w * scaleWidth_, scaleTop_ + py / h * scaleHeight_};
}

void View::Scale(float factor, bool byX, bool byY) {
    if (byX) scaleWidth_ = static_cast<float>(static_cast<double>(scaleWidth_) * factor);
    if (byY) scaleHeight_ = static_cast<float>(static_cast<double>(scaleHeight_) * factor);
}

namespace {

float Percent(float extent, int clientTwips) {
    if (clientTwips <= 0) return 100;
    return static_cast<float>(100.0 * std::fabs(static_cast<double>(extent)) * InitialUnitTwips /
                              clientTwips);
}

} // namespace

float View::ZoomX() const { return Percent(scaleWidth_, clientWidth_); }
float View::ZoomY() const { return Percent(scaleHeight_, clientHeight_); }

std::string View::ZoomStatusText() const {
    // Compared as shown: the same zooms in another order may leave the extents an ulp apart.
    const std::string x = FormatSingle(ZoomX(), "0.0#"), y = FormatSingle(ZoomY(), "0.0#");
    if (x == y) return "缩放:(" + x + "%)";
    return "缩放:(X:" + x + "%; Y:" + y + "%)";
}

void View::ShiftOrigin(float h, float k) {
    RestoreOrigin();
    shifted_ = true;
    unshiftedLeft_ = scaleLeft_;
    unshiftedTop_ = scaleTop_;
    scaleLeft_ = scaleLeft_ - h;
    scaleTop_ = scaleTop_ - k;
}

void View::RestoreOrigin() {
    if (!shifted_) return;
    scaleLeft_ = unshiftedLeft_;
    scaleTop_ = unshiftedTop_;
    shifted_ = false;
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
