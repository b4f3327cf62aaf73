// Curves reach the Qt canvas as polylines; the picture must be the one that drawing every
// segment on its own gives.
#include "plot/PlotTestSupport.h"

#include "services/QtCanvas.h"

#include <gtest/gtest.h>

#include <QImage>

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
    for (const char* e : {"sin(x)*x", "tan(x)", "(x^3-2*x)/(x*x+1)", "sgn(x)*2", "fix(x)",
                          "sqr(x)*2", "1/x"})
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

} // namespace
