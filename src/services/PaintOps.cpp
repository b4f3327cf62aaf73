#include "services/PaintOps.h"

#include <cmath>

namespace orbiplot {

namespace {
// Measured: a round-capped polyline costs about the same at every point, whatever its
// length; a flat-capped line and an ellipse little more than the call.
constexpr double CallWork = 2;
constexpr double PointWork = 5;
double Length(QPointF a, QPointF b) { return std::hypot(b.x() - a.x(), b.y() - a.y()); }
} // namespace

void RecordedOps::Add(Op op, double work) {
    ops_.push_back(op);
    work_.push_back(WorkBefore(work_.size()) + work);
}

void RecordedOps::SetRenderHint(QPainter::RenderHint hint, bool on) {
    Add({Kind::Hint, 0, static_cast<int>(hint), on}, 0);
}

void RecordedOps::SetPen(const QPen& pen) {
    Add({Kind::Pen, pens_.size(), 0, false}, 0);
    pens_.push_back(pen);
}

void RecordedOps::SetBrush(const QBrush& brush) {
    Add({Kind::Brush, brushes_.size(), 0, false}, 0);
    brushes_.push_back(brush);
}

void RecordedOps::DrawPolyline(const QPointF* points, int count) {
    double work = CallWork;
    for (int i = 1; i < count; ++i)
        work += PointWork + Length(points[i - 1], points[i]) / 100;
    Add({Kind::Polyline, points_.size(), count, false}, work);
    points_.insert(points_.end(), points, points + count);
}

void RecordedOps::DrawPolygon(const QPointF* points, int count) {
    Add({Kind::Polygon, points_.size(), count, false}, CallWork + PointWork * count);
    points_.insert(points_.end(), points, points + count);
}

void RecordedOps::DrawLine(QPointF a, QPointF b) {
    Add({Kind::Line, points_.size(), 2, false}, CallWork + Length(a, b) / 200);
    points_.push_back(a);
    points_.push_back(b);
}

void RecordedOps::FillRect(const QRectF& rect, const QColor& color) {
    Add({Kind::Fill, rects_.size(), 0, false}, CallWork);
    rects_.push_back(rect);
    colors_.push_back(color);
}

void RecordedOps::DrawEllipse(QPointF centre, double rx, double ry) {
    Add({Kind::Ellipse, points_.size(), 2, false},
        CallWork + 6.3 * std::max(std::fabs(rx), std::fabs(ry)) / 20);
    points_.push_back(centre);
    points_.emplace_back(rx, ry);
}

void RecordedOps::DrawText(QPointF at, const QString& text) {
    Add({Kind::Text, texts_.size(), static_cast<int>(points_.size()), false}, CallWork);
    points_.push_back(at);
    texts_.push_back(text);
}

void RecordedOps::Replay(PaintOps& target, size_t first, size_t last) const {
    // The state the earlier calls left: the last pen, the last brush, each hint's last word.
    const Op* pen = nullptr;
    const Op* brush = nullptr;
    std::vector<const Op*> hints;
    for (size_t i = 0; i < first && i < ops_.size(); ++i) {
        const Op& op = ops_[i];
        if (op.kind == Kind::Pen) pen = &op;
        if (op.kind == Kind::Brush) brush = &op;
        if (op.kind == Kind::Hint) {
            std::erase_if(hints, [&](const Op* h) { return h->count == op.count; });
            hints.push_back(&op);
        }
    }
    for (const Op* hint : hints)
        target.SetRenderHint(static_cast<QPainter::RenderHint>(hint->count), hint->on);
    if (pen) target.SetPen(pens_[pen->index]);
    if (brush) target.SetBrush(brushes_[brush->index]);
    for (size_t i = first; i < last && i < ops_.size(); ++i) {
        const Op& op = ops_[i];
        switch (op.kind) {
        case Kind::Hint:
            target.SetRenderHint(static_cast<QPainter::RenderHint>(op.count), op.on);
            break;
        case Kind::Pen: target.SetPen(pens_[op.index]); break;
        case Kind::Brush: target.SetBrush(brushes_[op.index]); break;
        case Kind::Polyline: target.DrawPolyline(points_.data() + op.index, op.count); break;
        case Kind::Polygon: target.DrawPolygon(points_.data() + op.index, op.count); break;
        case Kind::Line: target.DrawLine(points_[op.index], points_[op.index + 1]); break;
        case Kind::Fill: target.FillRect(rects_[op.index], colors_[op.index]); break;
        case Kind::Ellipse:
            target.DrawEllipse(points_[op.index], points_[op.index + 1].x(),
                               points_[op.index + 1].y());
            break;
        case Kind::Text:
            target.DrawText(points_[static_cast<size_t>(op.count)], texts_[op.index]);
            break;
        }
    }
}

} // namespace orbiplot
