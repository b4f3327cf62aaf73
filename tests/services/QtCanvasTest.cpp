// Curves reach the Qt canvas as polylines; the picture must be the one that drawing every
// segment on its own gives.
#include "plot/PlotTestSupport.h"

#include "services/PictureJob.h"
#include "services/QtCanvas.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <future>
#include <system_error>
#include <thread>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// The canvas as it was before polylines: every segment through Line.
class SegmentByLineCanvas : public QtCanvas {
public:
    using QtCanvas::QtCanvas;
    void Polyline(const CanvasPoint* points, size_t count, Rgb color) override {
        Canvas::Polyline(points, count, color);
    }
    void Polyline(const CanvasPoint* points, size_t count, Rgb color,
                  const std::vector<size_t>& lifts) override {
        for (size_t i = 1; i < count; ++i) {
            if (std::find(lifts.begin(), lifts.end(), i) != lifts.end())
                QtCanvas::Polyline(points + i - 1, 2, color, {1}); // the lifted segment alone
            else
                Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, color);
        }
    }
};

template <class CanvasType> QImage Picture(PlotFixture& f, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    {
        CanvasType canvas(image, f.view);
        PlotEngine engine(f.doc, f.view, canvas, f.context, f.clock, f.status);
        engine.RefreshAll();
    }
    return image;
}

TEST(QtCanvasPolyline, PictureEqualsDrawingEverySegment) {
    constexpr int Width = 640, Height = 480;
    PlotFixture f(Width, Height);
    f.context.Settings.Style = 1;
    for (const char* e :
         {"sin(x)*x", "tan(x)", "(x^3-2*x)/(x*x+1)", "sgn(x)*2", "fix(x)", "sqr(x)*2", "1/x"})
        f.Add(Equation(CurveGeneralY, e));
    f.Add(Equation(CurveGeneralX, "y*y/4-3"));
    f.Add(Equation(CurveParameter, "t*cos(t)", "t*sin(t)", false, -20, 20));
    f.Add(Equation(Polar, "2*cos(3*z)"));
    f.Add(Params(HyperbolaX, {"1", "1"}));
    f.Add(Params(CircleStandard, {"1", "1", "2"}));
    const QImage polylines = Picture<QtCanvas>(f, Width, Height);
    const QImage segments = Picture<SegmentByLineCanvas>(f, Width, Height);
    EXPECT_TRUE(polylines == segments);
    // Something was drawn: the curves' colour shows.
    int red = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            red += qRed(polylines.pixel(x, y)) > 200 && qGreen(polylines.pixel(x, y)) < 80;
    EXPECT_GT(red, 2000);
}

TEST(QtCanvasPolyline, RepeatedPointsUprightPiecesAndAChangeOfColourDrawAsEverySegment) {
    // Samples that repeat (a parameter's seven-digit text), an upright piece between slanted
    // ones, and a second line in another colour going on from where the first ended.
    View view(200 * TwipsPerPixel, 100 * TwipsPerPixel);
    const std::vector<CanvasPoint> first{{-2, -1},  {-1, 0.5f}, {-1, 0.5f}, {-1, 0.5f}, {-1, 1.5f},
                                         {0.5f, 1}, {0.5f, 1},  {1, -1},    {1, -1}},
        second{{1, -1}, {1.5f, 0}, {1.5f, 0}, {2, 1.2f}};
    const auto draw = [&]<class CanvasType>(CanvasType*) {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            CanvasType canvas(image, view);
            canvas.SetPenWidth(2);
            canvas.Polyline(first.data(), first.size(), 0xFF, {});
            canvas.Polyline(second.data(), second.size(), 0xFF0000, {});
        }
        return image;
    };
    const QImage polylines = draw(static_cast<QtCanvas*>(nullptr));
    EXPECT_TRUE(polylines == draw(static_cast<SegmentByLineCanvas*>(nullptr)));
    // The upright piece shows in the first colour (red), the second line in blue.
    const double unit = 200 / view.ScaleWidth();
    const auto pixel = [&](float x, float y) {
        return polylines.pixel(static_cast<int>((x - view.ScaleLeft()) * unit),
                               static_cast<int>((view.ScaleTop() - y) * unit));
    };
    EXPECT_EQ(qRed(pixel(-1, 1)), 255);
    EXPECT_LT(qGreen(pixel(-1, 1)), 60);
    EXPECT_EQ(qBlue(pixel(1.75f, 0.6f)), 255);
    EXPECT_LT(qRed(pixel(1.75f, 0.6f)), 60);
}

TEST(QtCanvasPolyline, ALiftedSegmentLeavesEveryOtherPixelAsItWas) {
    // A zigzag at 10 pixels a unit, 200 x 100 pixels; the segment from (4, 2) to (10, -1)
    // (pixels 140..200 across, 30..60 down) is lifted.
    View view(200 * TwipsPerPixel, 100 * TwipsPerPixel);
    view.Scale(20.0f / view.ScaleWidth(), true, true);
    view.CenterView();
    const double unit = 200 / view.ScaleWidth();
    const std::vector<CanvasPoint> zigzag{{-9, -3}, {-6, 3}, {-2, -2}, {1, 4}, {4, 2}, {9, -1}};
    const auto draw = [&](const std::vector<size_t>& lifts) {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QtCanvas canvas(image, view);
            canvas.SetPenWidth(3);
            canvas.Polyline(zigzag.data(), zigzag.size(), 0xFF, lifts);
        }
        return image;
    };
    const QImage whole = draw({}), lifted = draw({5});
    const auto px = [&](CanvasPoint p) {
        return QPointF((p.x - view.ScaleLeft()) * unit, (view.ScaleTop() - p.y) * unit);
    };
    // Every pixel that differs lies within the pen's reach of the lifted segment's line.
    const QPointF a = px(zigzag[4]), b = px(zigzag[5]);
    int differ = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            if (whole.pixel(x, y) == lifted.pixel(x, y)) continue;
            ++differ;
            const QPointF p(x + 0.5, y + 0.5), d = b - a;
            const double t =
                std::clamp(QPointF::dotProduct(p - a, d) / QPointF::dotProduct(d, d), 0.0, 1.0);
            const QPointF q = a + t * d;
            EXPECT_LT(std::hypot(p.x() - q.x(), p.y() - q.y()), 3.5) << x << "," << y;
        }
    EXPECT_GT(differ, 50);
    // Midway along it, the lifted picture shows the background.
    const QPoint mid = ((a + b) / 2).toPoint();
    EXPECT_EQ(lifted.pixel(mid), qRgb(255, 255, 255));
    EXPECT_NE(whole.pixel(mid), qRgb(255, 255, 255));
}

} // namespace

namespace {

// The largest difference of any channel, and how many pixels differ.
std::pair<int, int> Difference(const QImage& a, const QImage& b) {
    int largest = 0, count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            largest = std::max(largest, d);
            count += d > 0;
        }
    return {largest, count};
}

} // namespace

TEST(PictureJob, TheSamePictureOnOneThreadAndTheEdgesOnlyOnMany) {
    constexpr int Width = 500, Height = 360;
    PlotFixture f(Width, Height);
    f.context.Settings.Style = 3; // dashed grid lines: their pattern must not move
    for (const char* e : {"sin(x)*x", "tan(x)", "(x^3-2*x)/(x*x+1)", "sqr(x)*2"})
        f.Add(Equation(CurveGeneralY, e));
    f.Add(Equation(CurveParameter, "3*cos(t)", "2*sin(t)"));
    CurveRecord h = Params(HyperbolaX, {"1", "2"});
    h.ExLine1 = h.ExLine2 = true;
    f.Add(h);
    f.Add(Params(CircleStandard, {"1", "-1", "2"}));
    f.Add(Equation(CurveGeneralY, "1/0*x"));
    const QImage direct = Picture<QtCanvas>(f, Width, Height);
    const auto job = [&](int threads) {
        PictureJob j(f.doc, f.view, f.context, f.clock, QFont(), QSize(Width, Height), 1);
        j.SetThreads(threads);
        j.Run();
        EXPECT_EQ(j.Report().Messages.size(), 2u); // sqr(x) and 1/0, in that order
        return j.Picture().copy();
    };
    // On one thread the recorded calls are the calls: nothing differs.
    EXPECT_TRUE(job(1) == direct);
    // In parallel only edges antialiased on a layer round otherwise, by a little.
    const auto [largest, count] = Difference(job(3), direct);
    EXPECT_LE(largest, 4);
    EXPECT_LT(count, Width * Height / 200);
}

// A pool that cannot make threads drops what it is given, or says so by throwing: the redraw
// still finishes, on the calling thread, with the picture the workers would have made.
TEST(PictureJob, FinishesWhenTheWorkersCannotStart) {
    constexpr int Width = 420, Height = 300;
    PlotFixture f(Width, Height);
    for (const char* e : {"sin(x)*x", "x^2/3-2", "sqr(x)"})
        f.Add(Equation(CurveGeneralY, e));
    f.Add(Params(CircleStandard, {"1", "-1", "2"}));
    const auto job = [&] {
        PictureJob j(f.doc, f.view, f.context, f.clock, QFont(), QSize(Width, Height), 1);
        j.SetThreads(4);
        // Never waits on a test that hangs: a part waited for but never started fails here.
        auto done = std::async(std::launch::async, [&] { j.Run(); });
        if (done.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << "the redraw waits for work that was never started";
            std::_Exit(1);
        }
        EXPECT_EQ(j.Report().Messages.size(), 1u); // sqr(x)
        return j.Picture().copy();
    };
    const QImage pooled = job();
    int dropped = 0, taken = 0;
    TaskStarter before = SetTaskStarter([&](std::function<void()>) { ++dropped; });
    const QImage none = job();
    SetTaskStarter([&](std::function<void()> task) {
        // Every other task runs; the rest never do.
        if (taken++ % 2 == 0) std::thread(std::move(task)).detach();
    });
    const QImage some = job();
    SetTaskStarter([](std::function<void()>) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    const QImage refused = job();
    // Tasks started after the redraw ended find their parts taken.
    std::vector<std::function<void()>> late;
    SetTaskStarter([&](std::function<void()> task) { late.push_back(std::move(task)); });
    const QImage postponed = job();
    for (auto& task : late)
        task();
    SetTaskStarter(std::move(before));
    EXPECT_GT(dropped, 0);
    EXPECT_GT(taken, 1);
    EXPECT_FALSE(late.empty());
    EXPECT_TRUE(none == pooled);
    EXPECT_TRUE(some == pooled);
    EXPECT_TRUE(refused == pooled);
    EXPECT_TRUE(postponed == pooled);
}
