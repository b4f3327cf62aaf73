#pragma once

#include "base/Seams.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orbiplot {

class View;

struct CanvasPoint {
    float x, y;
    bool operator==(const CanvasPoint&) const = default;
};

enum class LineStyle { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4 };

// The drawing surface as the plotting engine sees it: everything in world coordinates of
// the view it was made for.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void Clear(Rgb background) = 0;
    virtual void SetPenWidth(int width) = 0;
    virtual void SetLineStyle(LineStyle style) = 0;
    virtual void Line(float x1, float y1, float x2, float y2, Rgb color) = 0;
    // Joined lines through count points: the same as a Line between each point and the next.
    virtual void Polyline(const CanvasPoint* points, size_t count, Rgb color) {
        for (size_t i = 0; i + 1 < count; ++i)
            Line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, color);
    }
    // The same, without the segments that lead to the points at the given indices (ascending):
    // the pen lifts there. A canvas that joins long lines for speed keeps its joining as if
    // the line were whole, so leaving a segment out changes no other pixel.
    virtual void Polyline(const CanvasPoint* points, size_t count, Rgb color,
                          const std::vector<size_t>& lifts) {
        size_t first = 0;
        for (size_t lift : lifts) {
            if (lift > first + 1) Polyline(points + first, lift - first, color);
            first = lift;
        }
        if (count > first + 1) Polyline(points + first, count - first, color);
    }
    // The region inside the points (closed back to the first), filled in the colour at an
    // opacity of alpha out of 255, with no outline. A canvas without it draws nothing.
    virtual void FillPolygon(const CanvasPoint* /*points*/, size_t /*count*/, Rgb /*color*/,
                             int /*alpha*/) {}
    // A point as wide as the pen.
    virtual void Dot(float x, float y, Rgb color) = 0;
    // aspect = vertical radius / horizontal radius; below 1 the radius is the horizontal
    // one, above 1 the vertical one. Radii are world lengths on their own axes.
    virtual void Circle(float cx, float cy, float radius, Rgb color, float aspect = 1.0f) = 0;
    // Text with its top-left corner at (x, y).
    virtual void Text(float x, float y, const std::string& text, Rgb color) = 0;
    // Text size in world units, both positive.
    virtual float TextWidth(const std::string& text) = 0;
    virtual float TextHeight(const std::string& text) = 0;
    // Shows what was drawn so far.
    virtual void Repaint() {}
    // Whether anyone sees the picture while it is drawn. One nobody sees before it is whole
    // is spared what only shows in between: the legend, reprinted after every curve, is then
    // printed once at the end (the finished picture is the same).
    virtual bool ShowsEveryStep() const { return true; }
};

} // namespace orbiplot
