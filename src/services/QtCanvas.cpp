#include "services/QtCanvas.h"

#include <algorithm>

#include "plot/View.h"
#include "services/VectorState.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintDevice>

#include <cmath>
#include <vector>

namespace orbiplot {

QColor ToQColor(Rgb color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

Rgb FromQColor(const QColor& color) {
    return static_cast<Rgb>(color.red()) | (static_cast<Rgb>(color.green()) << 8) |
           (static_cast<Rgb>(color.blue()) << 16);
}

namespace {

Qt::PenStyle ToPenStyle(LineStyle style) {
    switch (style) {
    case LineStyle::Solid: return Qt::SolidLine;
    case LineStyle::Dash: return Qt::DashLine;
    case LineStyle::Dot: return Qt::DotLine;
    case LineStyle::DashDot: return Qt::DashDotLine;
    case LineStyle::DashDotDot: return Qt::DashDotDotLine;
    }
    return Qt::SolidLine;
}

// Device coordinates far outside the surface are clamped so the painter's fixed-point
// arithmetic never overflows; the visible part of a line is unchanged by it.
constexpr double Far = 1e6;

// Text is printed again over itself (the legend after every curve); without antialiasing
// that leaves it as it was instead of growing bolder with every print.
QFont PlainFont(QFont font) {
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QPointF Clamp(QPointF p) { return {std::clamp(p.x(), -Far, Far), std::clamp(p.y(), -Far, Far)}; }

// Curves are sampled twenty times a pixel; points that stray less than a tenth of a pixel
// from the line between their neighbours change nothing visible but cost a lot to stroke.
// Returns which points are kept.
std::vector<bool> Simplify(const QPolygonF& points) {
    constexpr double Tolerance = 0.1;
    const qsizetype n = points.size();
    if (n < 3) return std::vector<bool>(static_cast<size_t>(n), true);
    std::vector<bool> keep(static_cast<size_t>(n), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<qsizetype, qsizetype>> stack{{0, n - 1}};
    while (!stack.empty()) {
        const auto [first, last] = stack.back();
        stack.pop_back();
        const QPointF a = points[first], b = points[last];
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double length = std::hypot(dx, dy);
        double worst = -1;
        qsizetype worstIndex = -1;
        if (length > 0) {
            // The farthest point by its cross product, divided once: division by the length
            // is monotonic, so only a point whose cross product rounds to the same distance
            // can come first, and only such points are divided.
            const auto cross = [&](qsizetype i) {
                const QPointF p = points[i];
                return std::fabs(dx * (a.y() - p.y()) - dy * (a.x() - p.x()));
            };
            double largest = -1;
            for (qsizetype i = first + 1; i < last; ++i) {
                const double c = cross(i);
                if (c > largest) {
                    largest = c;
                    worstIndex = i;
                }
            }
            if (worstIndex >= 0) {
                worst = largest / length;
                const double near = largest * (1 - 1e-15);
                for (qsizetype i = first + 1; i < worstIndex; ++i) {
                    const double c = cross(i);
                    if (c >= near && c / length == worst) {
                        worstIndex = i;
                        break;
                    }
                }
            }
        } else {
            for (qsizetype i = first + 1; i < last; ++i) {
                const QPointF p = points[i];
                const double d = std::hypot(p.x() - a.x(), p.y() - a.y());
                if (d > worst) {
                    worst = d;
                    worstIndex = i;
                }
            }
        }
        if (worst > Tolerance) {
            keep[static_cast<size_t>(worstIndex)] = true;
            stack.push_back({first, worstIndex});
            stack.push_back({worstIndex, last});
        }
    }
    return keep;
}

} // namespace

// A device's size in logical pixels: a picture with two pixels to each logical one (a
// high-resolution screen) is painted in logical coordinates, which the painter scales.
namespace {
int LogicalWidth(const QPaintDevice& d) { return qRound(d.width() / d.devicePixelRatioF()); }
int LogicalHeight(const QPaintDevice& d) { return qRound(d.height() / d.devicePixelRatioF()); }
} // namespace

QtCanvas::QtCanvas(QPaintDevice& device, const View& view, const QFont& font)
    : view_(view), ownPainter_(std::in_place, &device), painter_(&*ownPainter_),
      direct_(std::in_place, *painter_), out_(*direct_), width_(LogicalWidth(device)),
      height_(LogicalHeight(device)), metrics_(PlainFont(font), &device) {
    painter_->setFont(PlainFont(font));
}

namespace {

// Sized in pixels, so the text keeps its size against the picture at any device resolution.
QFont PixelSized(QFont font) {
    if (font.pixelSize() <= 0) font.setPixelSize(QFontInfo(font).pixelSize());
    return font;
}

} // namespace

QtCanvas::QtCanvas(QPaintDevice& device, const View& view, const QFont& font, QSize pictureSize)
    : view_(view), ownPainter_(std::in_place, &device), painter_(&*ownPainter_),
      direct_(std::in_place, *painter_), out_(*direct_), width_(std::max(pictureSize.width(), 1)),
      height_(std::max(pictureSize.height(), 1)), metrics_(PlainFont(PixelSized(font)), &device) {
    const double scale =
        std::min(double(device.width()) / width_, double(device.height()) / height_);
    if (painter_->isActive()) painter_->scale(scale, scale);
    painter_->setFont(PlainFont(PixelSized(font)));
}

QtCanvas::QtCanvas(QPainter& painter, const View& view, const QFont& font, QSize pictureSize)
    : view_(view), painter_(&painter), direct_(std::in_place, painter), out_(*direct_),
      width_(std::max(pictureSize.width(), 1)), height_(std::max(pictureSize.height(), 1)),
      metrics_(PlainFont(font), painter.device()) {
    painter_->setFont(PlainFont(font));
}

QtCanvas::QtCanvas(RecordedOps& into, const View& view, const QFont& font, QSize pictureSize)
    : view_(view), out_(into), width_(std::max(pictureSize.width(), 1)),
      height_(std::max(pictureSize.height(), 1)), metrics_(PlainFont(font)) {}

QtCanvas::~QtCanvas() { Finish(); }

void QtCanvas::Finish() {
    const CleanVectorState clean;
    if (!IsActive()) return;
    Flush();
    if (ownPainter_) painter_->end();
}

QPointF QtCanvas::ToDevice(float x, float y) const {
    const double dx = (static_cast<double>(x) - view_.ScaleLeft()) / view_.ScaleWidth() * width_;
    const double dy = (static_cast<double>(y) - view_.ScaleTop()) / view_.ScaleHeight() * height_;
    return {dx, dy};
}

QPen QtCanvas::Pen(Rgb color) const {
    QPen pen(ToQColor(color));
    pen.setWidth(penWidth_ < 1 ? 1 : penWidth_);
    pen.setStyle(ToPenStyle(style_));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

namespace {

// A line of millions of points (a curve traced over and over) is drawn in parts, the next
// going on from the last point: it is never held whole.
constexpr qsizetype LongestLine = 1 << 16;

// The part of segment a-b inside the rectangle, as fractions of its length (Liang-Barsky);
// none when it misses the rectangle.
std::optional<std::pair<double, double>> ClipSegment(QPointF a, QPointF b, const QRectF& r) {
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!edge(-dx, a.x() - r.left()) || !edge(dx, r.right() - a.x()) ||
        !edge(-dy, a.y() - r.top()) || !edge(dy, r.bottom() - a.y()))
        return std::nullopt;
    return std::pair(t0, t1);
}

// A line with the points that change nothing visible left out, and where its pen lifts:
// lifted[i] when the segment into points[i] is not stroked (both ends of a left-out
// segment are kept).
struct SimpleLine {
    QPolygonF points;
    std::vector<bool> lifted;
};

SimpleLine Simplified(const QPolygonF& line, const std::vector<qsizetype>& lifts) {
    const std::vector<bool> keep = Simplify(line);
    SimpleLine simple;
    size_t lift = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto k = static_cast<size_t>(i);
        while (lift < lifts.size() && lifts[lift] < i)
            ++lift;
        if (!keep[k]) continue;
        simple.points << line[i];
        simple.lifted.push_back(lift < lifts.size() && lifts[lift] == i && keep[k - 1]);
    }
    return simple;
}

} // namespace

void QtCanvas::Flush() {
    FlushStraight();
    if (pending_.size() >= 2) {
        out_.SetRenderHint(QPainter::Antialiasing, true);
        const SimpleLine line = Simplified(pending_, pendingLifts_);
        StrokeVisible(line.points, line.lifted);
    }
    pending_.clear();
    pendingLifts_.clear();
}

void QtCanvas::StrokeVisible(const QPolygonF& simple, const std::vector<bool>& lifted) {
    QPen pen = Pen(pendingColor_);
    pen.setCapStyle(Qt::RoundCap);
    out_.SetPen(pen);
    // Only what can reach the surface is stroked: a segment is cut where it leaves the
    // surface widened by the pen and a margin, so its visible stroke is the same, and one
    // that never comes near is left out (the steep strokes of tan x reach a million pixels).
    const double margin = std::max(penWidth_, 1) + 2.0;
    const QRectF reach(-margin, -margin, width_ + 2 * margin, height_ + 2 * margin);
    // A dashed or dotted line keeps its ends: its pattern starts where the line does.
    const bool solid = style_ == LineStyle::Solid;
    const auto clip = [&](qsizetype i) -> std::optional<std::pair<double, double>> {
        if (lifted[static_cast<size_t>(i + 1)]) return std::nullopt;
        if (!solid) return std::pair(0.0, 1.0);
        return ClipSegment(simple[i], simple[i + 1], reach);
    };
    QPen flat = pen;
    flat.setCapStyle(Qt::FlatCap);
    QPolygonF run;
    const auto stroke = [&] {
        if (run.size() > 1) out_.DrawPolyline(run.constData(), static_cast<int>(run.size()));
        run.clear();
    };
    // Stroked in short pieces: one long self-crossing outline rasterises far slower.
    constexpr qsizetype Piece = 8;
    // A long segment is drawn on its own with flat ends where its caps cannot show (beyond
    // reach, or where the strokes before and after it put their round ends): a flat-capped
    // line is drawn many times faster, and the steep strokes of tan x are such lines.
    constexpr double Long = 200;
    for (qsizetype first = 0; first + 1 < simple.size(); first += Piece) {
        const qsizetype end = std::min(first + Piece, simple.size() - 1);
        for (qsizetype i = first; i < end; ++i) {
            const QPointF a = simple[i], b = simple[i + 1];
            const auto part = clip(i);
            if (!part) {
                stroke();
                continue;
            }
            const auto [t0, t1] = *part;
            const QPointF p = t0 > 0 ? a + t0 * (b - a) : a;
            const QPointF q = t1 < 1 ? a + t1 * (b - a) : b;
            const bool joinedBefore = t0 == 0 && run.size() > 1;
            const auto next = i + 2 < simple.size() ? clip(i + 1) : std::nullopt;
            const bool joinedAfter = t1 == 1 && next && next->first == 0;
            const QPointF d = q - p;
            if (solid && (t0 > 0 || joinedBefore) && (t1 < 1 || joinedAfter) &&
                ((t0 > 0 && t1 < 1) || d.x() * d.x() + d.y() * d.y() > Long * Long)) {
                stroke();
                out_.SetPen(flat);
                out_.DrawLine(p, q);
                out_.SetPen(pen);
                if (t1 == 1) run << q;
                continue;
            }
            if (t0 > 0 || run.isEmpty()) {
                stroke();
                run << p;
            }
            run << q;
            if (t1 < 1) stroke();
        }
        stroke();
    }
}

void QtCanvas::FlushStraight() {
    if (!straight_) return;
    const Straight line = *straight_;
    straight_.reset();
    out_.SetRenderHint(QPainter::Antialiasing, false);
    out_.SetPen(Pen(line.color));
    out_.DrawLine(QPointF(std::floor(line.a.x()), std::floor(line.a.y())),
                  QPointF(std::floor(line.b.x()), std::floor(line.b.y())));
}

void QtCanvas::Clear(Rgb background) {
    const CleanVectorState clean;
    pending_.clear();
    straight_.reset();
    if (!transparent_) out_.FillRect(QRectF(0, 0, width_, height_), ToQColor(background));
}

void QtCanvas::SetPenWidth(int width) {
    const CleanVectorState clean;
    if (width == penWidth_) return;
    Flush();
    penWidth_ = width;
}

void QtCanvas::SetLineStyle(LineStyle style) {
    const CleanVectorState clean;
    if (style == style_) return;
    Flush();
    style_ = style;
}

void QtCanvas::Line(float x1, float y1, float x2, float y2, Rgb color) {
    const CleanVectorState clean;
    Segment(Clamp(ToDevice(x1, y1)), Clamp(ToDevice(x2, y2)), color);
}

void QtCanvas::Polyline(const CanvasPoint* points, size_t count, Rgb color) {
    Polyline(points, count, color, {});
}

void QtCanvas::Polyline(const CanvasPoint* points, size_t count, Rgb color,
                        const std::vector<size_t>& lifts) {
    const CleanVectorState clean;
    if (count < 2) return;
    QPointF a = Clamp(ToDevice(points[0].x, points[0].y));
    size_t lift = 0;
    for (size_t i = 1; i < count; ++i) {
        // A repeated point going on with the line: nothing to draw, nothing to work out.
        if (points[i].x == points[i - 1].x && points[i].y == points[i - 1].y &&
            !pending_.isEmpty() && pending_.back() == a && pendingColor_ == color)
            continue;
        const QPointF b = Clamp(ToDevice(points[i].x, points[i].y));
        while (lift < lifts.size() && lifts[lift] < i)
            ++lift;
        const bool lifted = lift < lifts.size() && lifts[lift] == i;
        // Most of a curve: a slanted stroke going on with the line.
        if (!lifted && a.x() != b.x() && a.y() != b.y() && std::isfinite(b.x()) &&
            std::isfinite(b.y()) && !pending_.isEmpty() && pending_.back() == a &&
            pendingColor_ == color && pending_.size() + 1 < LongestLine) {
            pending_ << b;
        } else {
            Segment(a, b, color, lifted);
        }
        a = b;
    }
}

void QtCanvas::Segment(QPointF a, QPointF b, Rgb color, bool lifted) {
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
        !std::isfinite(b.y()))
        return;
    // A curve whose samples repeat (a parameter substituted with seven digits steps on the
    // same value several times) goes on as one line: a stroke of no length in its middle
    // adds nothing, and ending the line there would cost a call per sample.
    if (a == b && !pending_.isEmpty() && pending_.back() == a && pendingColor_ == color) return;
    const bool straight = a.x() == b.x() || a.y() == b.y();
    if (straight) {
        // Grid lines, axes and directrices sit on whole pixels, unblurred. Straight pieces
        // that continue each other along one line (a flat stretch of a curve) are drawn as
        // one: the same pixels, one call instead of thousands.
        if (!pending_.isEmpty()) Flush();
        if (lifted) {
            FlushStraight();
            return;
        }
        if (straight_ && straight_->color == color && straight_->b == a && a != b) {
            const QPointF d1 = straight_->b - straight_->a, d2 = b - a;
            const bool along = (d1.y() == 0 && d2.y() == 0 && (d1.x() > 0) == (d2.x() > 0)) ||
                               (d1.x() == 0 && d2.x() == 0 && (d1.y() > 0) == (d2.y() > 0));
            if (along && d1 != QPointF(0, 0)) {
                straight_->b = b;
                return;
            }
        }
        FlushStraight();
        straight_ = Straight{a, b, color};
        if (a == b) FlushStraight();
        return;
    }
    FlushStraight();
    if (!pending_.isEmpty() && (pendingColor_ != color || pending_.back() != a)) Flush();
    if (pending_.isEmpty()) {
        pendingColor_ = color;
        pending_ << a;
    }
    // A lifted segment stays in the line, so that the line is simplified and cut into pieces
    // as if it were whole; only its stroke is left out.
    if (lifted) pendingLifts_.push_back(pending_.size());
    pending_ << b;
    if (pending_.size() >= LongestLine && pendingLifts_.empty()) {
        Flush();
        pendingColor_ = color;
        pending_ << b;
    }
}

void QtCanvas::FillPolygon(const CanvasPoint* points, size_t count, Rgb color, int alpha) {
    const CleanVectorState clean;
    Flush();
    if (count < 3) return;
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i)
        polygon << Clamp(ToDevice(points[i].x, points[i].y));
    QColor fill = ToQColor(color);
    fill.setAlpha(std::clamp(alpha, 0, 255));
    out_.SetPen(QPen(Qt::NoPen));
    out_.SetBrush(QBrush(fill));
    out_.SetRenderHint(QPainter::Antialiasing, true);
    out_.DrawPolygon(polygon.constData(), static_cast<int>(polygon.size()));
    out_.SetBrush(QBrush(Qt::NoBrush));
}

void QtCanvas::Dot(float x, float y, Rgb color) {
    const CleanVectorState clean;
    Flush();
    const QPointF p = Clamp(ToDevice(x, y));
    const double d = penWidth_ < 1 ? 1 : penWidth_;
    out_.SetPen(QPen(Qt::NoPen));
    out_.SetBrush(QBrush(ToQColor(color)));
    out_.SetRenderHint(QPainter::Antialiasing, d > 1);
    if (d <= 1)
        out_.FillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1), ToQColor(color));
    else
        out_.DrawEllipse(p, d / 2, d / 2);
    out_.SetBrush(QBrush(Qt::NoBrush));
}

void QtCanvas::Circle(float cx, float cy, float radius, Rgb color, float aspect) {
    const CleanVectorState clean;
    Flush();
    double rx = std::fabs(radius), ry = std::fabs(radius);
    const double a = std::fabs(aspect);
    if (a < 1)
        ry = rx * a;
    else if (a > 1)
        rx = ry / a;
    const QPointF centre = ToDevice(cx, cy);
    const double prx = rx / std::fabs(view_.ScaleWidth()) * width_;
    const double pry = ry / std::fabs(view_.ScaleHeight()) * height_;
    if (!(prx < Far && pry < Far)) return;
    out_.SetRenderHint(QPainter::Antialiasing, true);
    out_.SetPen(Pen(color));
    out_.SetBrush(QBrush(Qt::NoBrush));
    out_.DrawEllipse(Clamp(centre), prx, pry);
}

void QtCanvas::Text(float x, float y, const std::string& text, Rgb color) {
    const CleanVectorState clean;
    Flush();
    const QPointF p = ToDevice(x, y);
    if (!(std::fabs(p.x()) < Far && std::fabs(p.y()) < Far)) return;
    out_.SetRenderHint(QPainter::TextAntialiasing, false);
    out_.SetPen(QPen(ToQColor(color)));
    out_.DrawText(QPointF(p.x(), p.y() + metrics_.ascent()), QString::fromStdString(text));
}

float QtCanvas::TextWidth(const std::string& text) {
    const CleanVectorState clean;
    return static_cast<float>(metrics_.horizontalAdvance(QString::fromStdString(text)) / width_ *
                              std::fabs(view_.ScaleWidth()));
}

float QtCanvas::TextHeight(const std::string&) {
    return static_cast<float>(metrics_.height() / height_ * std::fabs(view_.ScaleHeight()));
}

void QtCanvas::Repaint() {
    const CleanVectorState clean;
    Flush();
}

} // namespace orbiplot
