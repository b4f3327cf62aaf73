#include "services/MarkPainting.h"

#include "services/QtCanvas.h"

#include <QPainter>
#include <QPen>

namespace orbiplot {

QColor CurveColor(const DocumentModel& model, int32_t curve) {
    return curve >= 0 && curve < model.CurveCount() ? ToQColor(model.Curve(curve).LineColor)
                                                    : QColor(Qt::black);
}

QImage PaintMarkLayer(const MarkPlan& plan, const std::vector<KeyPoint>& points,
                      const DocumentModel& model, const QFont& font, QSize size, qreal ratio) {
    if (plan.Marks.empty()) return {};
    QImage layer((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return layer;
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setFont(font);
    for (const MarkPlan::Mark& mark : plan.Marks) {
        if (mark.Point >= points.size()) continue;
        painter.setPen(QPen(CurveColor(model, points[mark.Point].Curve), 1.5));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(mark.X, mark.Y), 3.5, 3.5);
    }
    painter.setPen(QColor(40, 40, 40));
    for (const MarkPlan::Mark& mark : plan.Marks) {
        if (!mark.Label) continue;
        const QRectF place(mark.Label->Left, mark.Label->Top, mark.Label->Width,
                           mark.Label->Height);
        painter.fillRect(place, QColor(255, 255, 255, 200));
        painter.drawText(place, Qt::AlignCenter, QString::fromStdString(mark.Text));
    }
    return layer;
}

} // namespace orbiplot
