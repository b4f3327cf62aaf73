#pragma once

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

namespace orbiplot {

// The painter calls a Qt canvas makes: made on a painter at once, or kept to be made later
// on another (a curve worked out on one thread and painted on another).
class PaintOps {
public:
    virtual ~PaintOps() = default;
    virtual void SetRenderHint(QPainter::RenderHint hint, bool on) = 0;
    virtual void SetPen(const QPen& pen) = 0;
    virtual void SetBrush(const QBrush& brush) = 0;
    virtual void DrawPolyline(const QPointF* points, int count) = 0;
    virtual void DrawPolygon(const QPointF* points, int count) = 0;
    virtual void DrawLine(QPointF a, QPointF b) = 0;
    virtual void FillRect(const QRectF& rect, const QColor& color) = 0;
    virtual void DrawEllipse(QPointF centre, double rx, double ry) = 0;
    virtual void DrawText(QPointF at, const QString& text) = 0;
};

class PainterOps : public PaintOps {
public:
    explicit PainterOps(QPainter& painter) : painter_(painter) {}
    void SetRenderHint(QPainter::RenderHint hint, bool on) override {
        painter_.setRenderHint(hint, on);
    }
    void SetPen(const QPen& pen) override { painter_.setPen(pen); }
    void SetBrush(const QBrush& brush) override { painter_.setBrush(brush); }
    void DrawPolyline(const QPointF* points, int count) override {
        painter_.drawPolyline(points, count);
    }
    void DrawPolygon(const QPointF* points, int count) override {
        painter_.drawPolygon(points, count);
    }
    void DrawLine(QPointF a, QPointF b) override { painter_.drawLine(a, b); }
    void FillRect(const QRectF& rect, const QColor& color) override {
        painter_.fillRect(rect, color);
    }
    void DrawEllipse(QPointF centre, double rx, double ry) override {
        painter_.drawEllipse(centre, rx, ry);
    }
    void DrawText(QPointF at, const QString& text) override { painter_.drawText(at, text); }

private:
    QPainter& painter_;
};

// The calls kept in order, with their points and pens.
class RecordedOps : public PaintOps {
public:
    void SetRenderHint(QPainter::RenderHint hint, bool on) override;
    void SetPen(const QPen& pen) override;
    void SetBrush(const QBrush& brush) override;
    void DrawPolyline(const QPointF* points, int count) override;
    void DrawPolygon(const QPointF* points, int count) override;
    void DrawLine(QPointF a, QPointF b) override;
    void FillRect(const QRectF& rect, const QColor& color) override;
    void DrawEllipse(QPointF centre, double rx, double ry) override;
    void DrawText(QPointF at, const QString& text) override;

    void Replay(PaintOps& target) const { Replay(target, 0, Calls()); }
    // Makes the calls first..last-1 again, after setting the pen, brush and hints that the
    // calls before them left.
    void Replay(PaintOps& target, size_t first, size_t last) const;
    size_t Calls() const { return ops_.size(); }
    size_t Points() const { return points_.size(); }
    // About how much work painting calls 0..n-1 is, in microseconds of this machine: what the
    // painting is shared out by.
    double WorkBefore(size_t n) const { return n == 0 ? 0 : work_[n - 1]; }

private:
    enum class Kind { Hint, Pen, Brush, Polyline, Polygon, Line, Fill, Ellipse, Text };
    struct Op {
        Kind kind;
        size_t index; // into the list of its kind; a polyline: its first point
        int count;    // a polyline's points; a hint: the hint
        bool on;
    };
    std::vector<Op> ops_;
    std::vector<QPointF> points_;
    std::vector<QPen> pens_;
    std::vector<QBrush> brushes_;
    std::vector<QRectF> rects_;
    std::vector<QColor> colors_;
    std::vector<QString> texts_;
    std::vector<double> work_; // after each call, from the first
    void Add(Op op, double work);
};

} // namespace orbiplot
