#pragma once

#include <string>

namespace orbiplot {

inline constexpr int TwipsPerPixel = 15;
inline constexpr float InitialUnitTwips = 499.5f;
// One zoom step scales the extent by these: in shows less of the plane, out shows more.
inline constexpr float ZoomInFactor = 0.9f;
inline constexpr float ZoomOutFactor = 1.1f;

// World window of a document's drawing surface: origin at the centre, y upward, one unit
// length per axis. All fields are 32-bit floats as the drawing code computes with them.
class View {
public:
    // A new surface of the given client size in twips, at the initial unit length.
    View(int clientWidthTwips = 4995, int clientHeightTwips = 4995);

    // Follows a new client size, keeping the unit lengths, and re-centres.
    void Resize(int clientWidthTwips, int clientHeightTwips);
    void CenterView();
    // Scales the extent on the chosen axes; the redraw is the caller's.
    void Scale(float factor, bool byX, bool byY);
    // Text of the zoom panel: "缩放:(100.0%)" or "缩放:(X:..%; Y:..%)".
    std::string ZoomStatusText() const;

    void ShiftOrigin(float h, float k);
    void RestoreOrigin();

    // World length of 0.75 twip along x: the sampling step of curves.
    float SampleStep() const;

    // The world window: left and top edges, width and (negative, y upward) height.
    float ScaleLeft() const { return scaleLeft_; }
    float ScaleTop() const { return scaleTop_; }
    float ScaleWidth() const { return scaleWidth_; }
    float ScaleHeight() const { return scaleHeight_; }
    float Right() const { return scaleLeft_ + scaleWidth_; }
    float Bottom() const { return scaleTop_ + scaleHeight_; }
    // The zoom of each axis in percent of the initial unit length's extent.
    float ZoomX() const { return zoomX_; }
    float ZoomY() const { return zoomY_; }

    int ClientWidthTwips() const { return clientWidth_; }
    int ClientHeightTwips() const { return clientHeight_; }

private:
    float scaleLeft_ = 0;
    float scaleTop_ = 0;
    float scaleWidth_ = 0;
    float scaleHeight_ = 0;
    float zoomX_ = 100;
    float zoomY_ = 100;
    int clientWidth_;
    int clientHeight_;
    float shiftH_ = 0;
    float shiftK_ = 0;
};

// The pointer read-out of the status bar for world point (x, y).
std::string PointerReadout(float x, float y);

} // namespace orbiplot
