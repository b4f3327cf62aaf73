#pragma once

#include <string>
#include <utility>

namespace orbiplot {

inline constexpr int TwipsPerPixel = 15;
inline constexpr float InitialUnitTwips = 499.5f;
// One zoom step scales the extent by these: in shows less of the plane, out shows more.
inline constexpr float ZoomInFactor = 0.9f;
inline constexpr float ZoomOutFactor = 1.1f;

// World window of a document's drawing surface: y upward, one unit length per axis, and a
// centre, the world point in the middle of the surface (at first the origin). The window's
// fields are 32-bit floats as the drawing code computes with them.
class View {
public:
    // A new surface of the given client size in twips, at the initial unit length.
    View(int clientWidthTwips = 4995, int clientHeightTwips = 4995);

    // Follows a new client size, keeping the unit lengths and the centre.
    void Resize(int clientWidthTwips, int clientHeightTwips);
    // Places the world window about the centre, keeping its extent.
    void CenterView();
    // Scales the extent on the chosen axes about the centre (after CenterView); the redraw is
    // the caller's.
    void Scale(float factor, bool byX, bool byY);

    // The world point in the middle of the surface.
    double CentreX() const { return centreX_; }
    double CentreY() const { return centreY_; }
    // Moves the plane by a world distance: what was at (x, y) is then at (x + dx, y + dy).
    void Pan(double dx, double dy);
    // Scales the extent on the chosen axes so that the world point (x, y) stays where it is
    // on the surface.
    void ZoomAbout(float factor, bool byX, bool byY, double x, double y);
    // Shows the world rectangle from (left, top) to (right, bottom), each axis on its own.
    void ShowRectangle(double left, double top, double right, double bottom);
    // Centre at the origin, both percentages 100, the initial unit length.
    void Reset();
    // The y unit made equal to the x unit, about the centre.
    void EqualScale();
    // Centre at the origin, the extent kept.
    void CentreOnOrigin();

    // Where world (x, y) lies on the surface, in pixels, and the world point of a pixel.
    std::pair<double, double> ToPixels(double x, double y) const;
    std::pair<double, double> FromPixels(double px, double py) const;
    // Text of the zoom panel: "缩放:(100.0%)" when both axes show the same percentage, else
    // "缩放:(X:..%; Y:..%)".
    std::string ZoomStatusText() const;

    // Moves the window so that a curve translated by (h, k) is drawn at its own origin; the
    // restore gives back the window exactly as it was (adding h back to a float moved by
    // it is not always the float it was).
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
    // The zoom of each axis: the extent in percent of what the initial unit length shows on
    // this surface. Worked out from the extent, so that it says what is shown whatever
    // order the zooms came in.
    float ZoomX() const;
    float ZoomY() const;

    int ClientWidthTwips() const { return clientWidth_; }
    int ClientHeightTwips() const { return clientHeight_; }

private:
    float scaleLeft_ = 0;
    float scaleTop_ = 0;
    float scaleWidth_ = 0;
    float scaleHeight_ = 0;
    int clientWidth_;
    int clientHeight_;
    double centreX_ = 0;
    double centreY_ = 0;
    bool shifted_ = false;
    float unshiftedLeft_ = 0;
    float unshiftedTop_ = 0;
};

// The pointer read-out of the status bar for world point (x, y).
std::string PointerReadout(float x, float y);

} // namespace orbiplot
