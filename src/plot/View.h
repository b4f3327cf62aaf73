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

    float Right() const { return ScaleLeft + ScaleWidth; }
    float Bottom() const { return ScaleTop + ScaleHeight; }

    int ClientWidthTwips() const { return clientWidth_; }
    int ClientHeightTwips() const { return clientHeight_; }

    float ScaleLeft = 0;
    float ScaleTop = 0;
    float ScaleWidth = 0;
    float ScaleHeight = 0;
    float ZoomX = 100;
    float ZoomY = 100;

private:
    int clientWidth_;
    int clientHeight_;
    float shiftH_ = 0;
    float shiftK_ = 0;
};

// The pointer read-out of the status bar for world point (x, y).
std::string PointerReadout(float x, float y);

} // namespace orbiplot
