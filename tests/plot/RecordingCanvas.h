#pragma once

#include "base/TextEncoding.h"
#include "plot/Canvas.h"
#include "plot/View.h"

#include <string>
#include <vector>

namespace orbiplot::test {

// One drawing call with its world coordinates and where they land on a surface of the
// view's client size, in pixels.
struct DrawOp {
    enum Kind { Clear, Line, Dot, Circle, Text, Polygon };
    DrawOp(Kind k, float ax, float ay, float bx, float by)
        : kind(k), x1(ax), y1(ay), x2(bx), y2(by) {}
    Kind kind;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double px1 = 0, py1 = 0, px2 = 0, py2 = 0;
    Rgb color = 0;
    int penWidth = 0;
    LineStyle style = LineStyle::Solid;
    float radius = 0, aspect = 0;
    std::string text;
    std::vector<CanvasPoint> points; // a polygon's
    int alpha = 255;
};

// Records what the engine draws. Text is 8 pixels a character and 16 pixels high.
class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(const View& view) : view_(view) {}

    std::vector<DrawOp> ops;
    int repaints = 0;

    void Clear(Rgb background) override { Add({DrawOp::Clear, 0, 0, 0, 0}, background); }
    void SetPenWidth(int width) override { pen_ = width; }
    void SetLineStyle(LineStyle style) override { style_ = style; }
    void Line(float x1, float y1, float x2, float y2, Rgb color) override {
        Add({DrawOp::Line, x1, y1, x2, y2}, color);
    }
    void Dot(float x, float y, Rgb color) override { Add({DrawOp::Dot, x, y, x, y}, color); }
    void FillPolygon(const CanvasPoint* points, size_t count, Rgb color, int alpha) override {
        DrawOp op{DrawOp::Polygon, 0, 0, 0, 0};
        op.points.assign(points, points + count);
        op.alpha = alpha;
        Add(op, color);
    }
    void Circle(float cx, float cy, float radius, Rgb color, float aspect) override {
        DrawOp op{DrawOp::Circle, cx, cy, cx, cy};
        op.radius = radius;
        op.aspect = aspect;
        Add(op, color);
    }
    void Text(float x, float y, const std::string& text, Rgb color) override {
        DrawOp op{DrawOp::Text, x, y, x, y};
        op.text = text;
        Add(op, color);
    }
    float TextWidth(const std::string& text) override {
        return static_cast<float>(8.0 * static_cast<double>(Utf8ToUtf16(text).size()) * TwipsPerPixel /
                                  view_.ClientWidthTwips() * view_.ScaleWidth());
    }
    float TextHeight(const std::string&) override {
        return static_cast<float>(16.0 * TwipsPerPixel / view_.ClientHeightTwips() *
                                  -view_.ScaleHeight());
    }
    void Repaint() override { ++repaints; }

    std::vector<DrawOp> Of(DrawOp::Kind kind) const {
        std::vector<DrawOp> out;
        for (const DrawOp& op : ops)
            if (op.kind == kind) out.push_back(op);
        return out;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const DrawOp& op : Of(DrawOp::Text))
            out.push_back(op.text);
        return out;
    }

private:
    void Add(DrawOp op, Rgb color) {
        op.color = color;
        op.penWidth = pen_;
        op.style = style_;
        const double w = view_.ClientWidthTwips() / double(TwipsPerPixel);
        const double h = view_.ClientHeightTwips() / double(TwipsPerPixel);
        op.px1 = (op.x1 - view_.ScaleLeft()) / view_.ScaleWidth() * w;
        op.py1 = (op.y1 - view_.ScaleTop()) / view_.ScaleHeight() * h;
        op.px2 = (op.x2 - view_.ScaleLeft()) / view_.ScaleWidth() * w;
        op.py2 = (op.y2 - view_.ScaleTop()) / view_.ScaleHeight() * h;
        ops.push_back(op);
    }

    const View& view_;
    int pen_ = 1;
    LineStyle style_ = LineStyle::Solid;
};

} // namespace orbiplot::test
