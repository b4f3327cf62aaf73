#pragma once

#include "analysis/KeyPoints.h"
#include "analysis/MarkLayout.h"
#include "doc/DocumentModel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

#include <vector>

namespace orbiplot {

// A curve's line colour; black for no curve of the document.
QColor CurveColor(const DocumentModel& model, int32_t curve);

// The key points' marks and labels on a transparent layer of the surface's size (in device
// pixels at ratio), painted once when a search is done: every repaint then only lays the
// layer over the picture, however many points there are.
QImage PaintMarkLayer(const MarkPlan& plan, const std::vector<KeyPoint>& points,
                      const DocumentModel& model, const QFont& font, QSize size, qreal ratio);

} // namespace orbiplot
