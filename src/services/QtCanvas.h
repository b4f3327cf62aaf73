#pragma once

#include "plot/Canvas.h"
#include "services/PaintOps.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QSize>

#include <optional>
#include <vector>

class QPaintDevice;

namespace orbiplot {

class View;

// Colours between the documents' RGB values (red in the low byte) and the toolkit's.
QColor ToQColor(Rgb color);
Rgb FromQColor(const QColor& color);

// Paints the engine's world drawing on a Qt paint device: the persistent picture (a QImage)
// of a document window, or an SVG file. Curves are antialiased; lines along the axes stay
// crisp on whole pixels.
class QtCanvas : public Canvas {
public:
    QtCanvas(QPaintDevice& device, const View& view, const QFont& font = QFont());
    // Draws a picture of the given size in pixels scaled to fit the device (a printed page),
    // as vectors at the device's own resolution.
    QtCanvas(QPaintDevice& device, const View& view, const QFont& font, QSize pictureSize);
    // Draws a picture of the given logical size with a painter already set up; the painter
    // stays the caller's.
    QtCanvas(QPainter& painter, const View& view, const QFont& font, QSize pictureSize);
    // Keeps the painter calls of a picture of the given logical size, to be made later on a
    // painter of that size (RecordedOps::Replay): the work of the drawing done here, only the
    // painting left for later.
    QtCanvas(RecordedOps& into, const View& view, const QFont& font, QSize pictureSize);
    ~QtCanvas() override;

    void Clear(Rgb background) override;
    void SetPenWidth(int width) override;
    void SetLineStyle(LineStyle style) override;
    void Line(float x1, float y1, float x2, float y2, Rgb color) override;
    void Polyline(const CanvasPoint* points, size_t count, Rgb color) override;
    void Polyline(const CanvasPoint* points, size_t count, Rgb color,
                  const std::vector<size_t>& lifts) override;
    void FillPolygon(const CanvasPoint* points, size_t count, Rgb color, int alpha) override;
    void Dot(float x, float y, Rgb color) override;
    void Circle(float cx, float cy, float radius, Rgb color, float aspect) override;
    void Text(float x, float y, const std::string& text, Rgb color) override;
    float TextWidth(const std::string& text) override;
    float TextHeight(const std::string& text) override;
    void Repaint() override;
    // Nobody sees the picture before it is whole.
    bool ShowsEveryStep() const override { return false; }

    // Clearing leaves the surface as it is (a transparent picture) instead of filling it.
    void SetTransparentBackground(bool transparent) { transparent_ = transparent; }
    // Ends the painting so that the device can be saved.
    void Finish();
    // False when the device could not be painted on (no printer, say).
    bool IsActive() const { return !painter_ || painter_->isActive(); }

private:
    QPointF ToDevice(float x, float y) const;
    // One line between device points, joined to the pending polyline where it continues it;
    // a lifted one is kept in the line but not stroked.
    void Segment(QPointF a, QPointF b, Rgb color, bool lifted = false);
    QPen Pen(Rgb color) const;
    void Flush();
    // Strokes the parts of a simplified line that can reach the surface.
    void StrokeVisible(const QPolygonF& simple, const std::vector<bool>& lifted);
    void FlushStraight();

    const View& view_;
    std::optional<QPainter> ownPainter_;
    QPainter* painter_ = nullptr; // none when the calls are kept
    std::optional<PainterOps> direct_;
    PaintOps& out_;
    int width_;
    int height_;
    bool transparent_ = false;
    QFontMetricsF metrics_;
    int penWidth_ = 1;
    LineStyle style_ = LineStyle::Solid;
    // Consecutive joined segments of one colour are drawn as one polyline.
    QPolygonF pending_;
    // Indices into pending_ of the points whose incoming segment is not stroked.
    std::vector<qsizetype> pendingLifts_;
    // The straight line being drawn, on whole pixels, while the next piece may continue it.
    struct Straight {
        QPointF a, b;
        Rgb color;
    };
    std::optional<Straight> straight_;
    Rgb pendingColor_ = 0;
};

} // namespace orbiplot
