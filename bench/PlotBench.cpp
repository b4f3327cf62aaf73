// A full redraw of a reference document at 1280 x 800 pixels: 8 equation curves and 8
// lines and conics.
#include "analysis/Calculus.h"
#include "analysis/KeyPoints.h"
#include "analysis/MarkLayout.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "expr/PlaneFunction.h"
#include "plot/Canvas.h"
#include "plot/ImplicitCurves.h"
#include "plot/PlotEngine.h"
#include "plot/View.h"
#include "services/MarkPainting.h"
#include "services/PictureJob.h"
#include "services/QtCanvas.h"

#include "BenchSeams.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <thread>

using namespace orbiplot;

namespace {

using bench::NoDialogs;
using bench::SilentMessages;

// Counts the calls the way the tests' recording canvas would see them.
class CountingCanvas : public Canvas {
public:
    explicit CountingCanvas(const View& view) : view_(view) {}
    size_t calls = 0;
    void Clear(Rgb) override { ++calls; }
    void SetPenWidth(int) override {}
    void SetLineStyle(LineStyle) override {}
    void Line(float, float, float, float, Rgb) override { ++calls; }
    void Dot(float, float, Rgb) override { ++calls; }
    void Circle(float, float, float, Rgb, float) override { ++calls; }
    void Text(float, float, const std::string&, Rgb) override { ++calls; }
    float TextWidth(const std::string& t) override {
        return static_cast<float>(t.size()) * 8.0f * 15 /
               static_cast<float>(view_.ClientWidthTwips()) * view_.ScaleWidth();
    }
    float TextHeight(const std::string&) override {
        return 16.0f * 15 / static_cast<float>(view_.ClientHeightTwips()) * -view_.ScaleHeight();
    }

private:
    const View& view_;
};

constexpr int Width = 1280, Height = 800;

struct Reference {
    SilentMessages messages;
    NoDialogs dialogs;
    DefaultRandomSource random;
    CoreContext context{messages, dialogs, random, "/tmp"};
    DocumentModel doc{context};
    View view{Width * TwipsPerPixel, Height* TwipsPerPixel};
    SystemClock clock;
    PlotStatus status;

    Reference() {
        context.Settings.Style = 1;
        doc.NewDoc({"reference", "bench", "", "2"});
        const auto equation = [&](int32_t type, const char* e1, const char* e2 = "") {
            CurveRecord c;
            c.FType = type;
            c.Expression1 = e1;
            c.Expression2 = e2;
            c.IsAuto = true;
            c.ShowHide = true;
            c.LineWidth = 2;
            c.LineColor = 0x0000FF;
            doc.ModifyFun(c, doc.GetLastCountAdd1(), true);
        };
        equation(CurveGeneralY, "sin(x)*x");
        equation(CurveGeneralY, "x*x/4-3");
        equation(CurveGeneralY, "(x^3-2*x)/(x*x+1)");
        equation(CurveGeneralY, "exp(-x*x)*3");
        equation(CurveGeneralY, "tan(x)");
        equation(CurveGeneralX, "y*y/4-3");
        equation(CurveParameter, "3*cos(t)", "2*sin(t)");
        equation(Polar, "2*cos(3*z)");
        const auto shape = [&](int32_t type, std::vector<float> p) {
            CurveRecord c;
            c.FType = type;
            for (size_t i = 0; i < p.size(); ++i) {
                c.Data(static_cast<int>(i) + 1) = p[i];
                c.SData(static_cast<int>(i) + 1) = std::to_string(p[i]);
            }
            c.ShowHide = c.ExLine1 = c.ExLine2 = true;
            c.LineWidth = c.ExLineWidth = 1;
            c.LineColor = 0x008000;
            c.ExLineColor = 0x808080;
            doc.ModifyFun(c, doc.GetLastCountAdd1(), true);
        };
        shape(LineGeneral, {1, 2, -3});
        shape(LinePS, {1, 1, -2});
        shape(LinePP, {1, 1, 3, 5});
        shape(CircleStandard, {1, 1, 2});
        shape(CircleGeneral, {2, -2, -2});
        shape(Ellipse, {3, 2});
        shape(HyperbolaX, {1, 1});
        shape(ParabolaY, {1});
    }

    // Evaluations of one full redraw: every sample of every equation curve.
    double Evaluations() const {
        const float step = view.SampleStep();
        const auto samples = [&](float min, float max) {
            double n = 0;
            for (float v = min; v <= max; v += step)
                ++n;
            return n;
        };
        const double across = samples(view.ScaleLeft(), view.Right());
        return 5 * across + samples(view.Bottom(), view.ScaleTop()) + 2 * across +
               samples(0, static_cast<float>(8 * std::atan(1.0)));
    }
};

void RefreshAllRecording(benchmark::State& state) {
    Reference ref;
    CountingCanvas canvas(ref.view);
    PlotEngine engine(ref.doc, ref.view, canvas, ref.context, ref.clock, ref.status);
    for (auto _ : state)
        engine.RefreshAll();
    state.counters["evaluations/s"] = benchmark::Counter(
        ref.Evaluations() * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["evaluations"] = ref.Evaluations();
}

void EnsureGuiApplication();

void RefreshAllQt(benchmark::State& state) {
    EnsureGuiApplication();
    Reference ref;
    QImage image(Width, Height, QImage::Format_RGB32);
    QtCanvas canvas(image, ref.view);
    PlotEngine engine(ref.doc, ref.view, canvas, ref.context, ref.clock, ref.status);
    for (auto _ : state)
        engine.RefreshAll();
    state.counters["evaluations/s"] = benchmark::Counter(
        ref.Evaluations() * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// The window's redraw: every core, curves recorded in parallel, then painted in runs.
void RefreshAllJob(benchmark::State& state) {
    EnsureGuiApplication();
    Reference ref;
    for (auto _ : state) {
        PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
        job.Run();
        benchmark::DoNotOptimize(job.Picture().constBits());
    }
    state.counters["evaluations/s"] = benchmark::Counter(
        ref.Evaluations() * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The same as the window runs it: on a thread of its own for each redraw.
void RefreshAllJobOwnThread(benchmark::State& state) {
    EnsureGuiApplication();
    Reference ref;
    for (auto _ : state) {
        PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
        std::thread([&] { job.Run(); }).join();
        benchmark::DoNotOptimize(job.Picture().constBits());
    }
}

// A document of one curve, y = sin(x)*x, as the window redraws it.
void RefreshOneCurveJob(benchmark::State& state) {
    EnsureGuiApplication();
    Reference ref;
    while (ref.doc.CurveCount() > 1)
        ref.doc.DeleteFun(1);
    for (auto _ : state) {
        PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
        job.Run();
        benchmark::DoNotOptimize(job.Picture().constBits());
    }
}

// One step of a slider: the constant k, used by y = k*sin(x)*x and by the parametric ellipse
// of the reference document, moves by 0.1; those two curves are worked out again and the
// other eleven painted from the drawings of the frame before.
void SliderStep(benchmark::State& state) {
    EnsureGuiApplication();
    Reference ref;
    ref.context.Parser.AddConstant("k", 1);
    CurveRecord wave = ref.doc.Curve(0);
    wave.Expression1 = "k*sin(x)*x";
    ref.doc.ModifyFun(wave, 0, false);
    CurveRecord ellipse = ref.doc.Curve(6);
    ellipse.Expression1 = "3*k*cos(t)";
    ref.doc.ModifyFun(ellipse, 6, false);
    PictureJob::Drawings before;
    {
        PictureJob first(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height),
                         1);
        first.Run();
        before = first.Kept();
    }
    double k = 1;
    for (auto _ : state) {
        k = k >= 2 ? 1 : k + 0.1;
        ref.context.Parser.SetConstant("k", k);
        PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
        job.Reuse(before, [](int32_t curve) { return curve == 0 || curve == 6; });
        job.Run();
        before = job.Kept();
        benchmark::DoNotOptimize(job.Picture().constBits());
    }
}

// A frame of a gesture: the last picture of the reference document moved (a pan) or moved
// and scaled (a wheel notch about a point), painted on a surface of the window's size.
void GestureFrame(benchmark::State& state, bool zoom) {
    EnsureGuiApplication();
    Reference ref;
    PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
    job.Run();
    const QImage picture = job.Picture();
    View now = ref.view;
    if (zoom)
        now.ZoomAbout(0.9f, true, true, 3.5, 2.25);
    else
        now.Pan(1.75, -0.5);
    QImage surface(Width, Height, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&surface);
        PaintPictureInView(painter, picture, ref.view, now, QSizeF(Width, Height), Qt::white);
        painter.end();
        benchmark::DoNotOptimize(surface.constBits());
    }
}

// Wide manual ranges as the window redraws them: y = sin(x)*x over x from -30000 to 30000,
// and a circle x = cos(t), y = sin(t) over t from -16000 to 16000, traced 5000 times.
void WideRange(benchmark::State& state, bool parametric) {
    EnsureGuiApplication();
    Reference ref;
    ref.doc.NewDoc({"wide", "bench", "", "2"});
    CurveRecord c;
    c.FType = parametric ? CurveParameter : CurveGeneralY;
    c.Expression1 = parametric ? "cos(t)" : "sin(x)*x";
    c.Expression2 = parametric ? "sin(t)" : "";
    c.xtMin = parametric ? -16000 : -30000;
    c.xtMax = -c.xtMin;
    c.IsAuto = false;
    c.ShowHide = true;
    c.LineWidth = 1;
    c.LineColor = 0x0000FF;
    ref.doc.ModifyFun(c, ref.doc.GetLastCountAdd1(), true);
    for (auto _ : state) {
        PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
        job.Run();
        benchmark::DoNotOptimize(job.Picture().constBits());
    }
}

// The key points of the reference document in its view: zeros, intercepts, turning points
// and the intersections of every pair of its 16 curves.
void KeyPointsReference(benchmark::State& state) {
    Reference ref;
    const PlaneBox box{ref.view.ScaleLeft(), ref.view.Right(), ref.view.Bottom(),
                       ref.view.ScaleTop()};
    size_t found = 0;
    for (auto _ : state)
        found = FindKeyPoints(ref.doc, ref.context.Parser, box).size();
    state.counters["points"] = static_cast<double>(found);
}

// 254 waves y = sin(x + i), their key points searched (every pair meets) and their marks laid
// out once; then what each repaint of the window does with them: the marks' layer over the
// picture. The layer itself is painted once a search is done.
struct Waves {
    Reference ref;
    PlaneBox box{};
    std::vector<KeyPoint> points;
    MarkPlan plan;
    Waves() {
        while (ref.doc.CurveCount() > 0)
            ref.doc.DeleteFun(0);
        for (int i = 0; i < 254; ++i) {
            CurveRecord c;
            c.FType = CurveGeneralY;
            c.Expression1 = "sin(x+" + std::to_string(i) + ")";
            c.IsAuto = c.ShowHide = true;
            c.LineWidth = 1;
            c.LineColor = static_cast<Rgb>(i * 7919 % 0xFFFFFF);
            ref.doc.ModifyFun(c, ref.doc.GetLastCountAdd1(), true);
        }
        box = {ref.view.ScaleLeft(), ref.view.Right(), ref.view.Bottom(), ref.view.ScaleTop()};
        points = FindKeyPoints(ref.doc, ref.context.Parser, box);
        plan = LayOutMarks(points, ref.view, Measure(), {});
    }
    // Text of about the window's small font.
    static TextMeasure Measure() {
        TextMeasure measure;
        measure.Ascii.fill(6);
        measure.Other = 12;
        measure.Height = 14;
        return measure;
    }
};

void KeyPointsWaves(benchmark::State& state) {
    Waves w;
    size_t found = 0;
    for (auto _ : state)
        found = FindKeyPoints(w.ref.doc, w.ref.context.Parser, w.box).size();
    state.counters["points"] = static_cast<double>(found);
}

// What a finished search costs the window's threads: the layout (on the search's thread) and
// the layer (on the window's, once).
void MarksLayoutWaves(benchmark::State& state) {
    EnsureGuiApplication();
    Waves w;
    for (auto _ : state) {
        const MarkPlan plan = LayOutMarks(w.points, w.ref.view, Waves::Measure(), {});
        const QImage layer =
            PaintMarkLayer(plan, w.points, w.ref.doc, QFont(), QSize(Width, Height), 1);
        benchmark::DoNotOptimize(layer.constBits());
    }
    state.counters["marks"] = static_cast<double>(w.plan.Marks.size());
}

void MarksRepaintWaves(benchmark::State& state) {
    EnsureGuiApplication();
    Waves w;
    const QImage layer =
        PaintMarkLayer(w.plan, w.points, w.ref.doc, QFont(), QSize(Width, Height), 1);
    QImage surface(Width, Height, QImage::Format_RGB32);
    surface.fill(Qt::white);
    View moved = w.ref.view;
    for (auto _ : state) {
        QPainter painter(&surface);
        // As a pan shows it: the picture and the layer moved by a few pixels.
        PaintPictureInView(painter, surface, w.ref.view, moved, QSizeF(Width, Height), Qt::white);
        PaintLayerInView(painter, layer, w.ref.view, moved, QSizeF(Width, Height));
    }
    state.counters["points"] = static_cast<double>(w.points.size());
    state.counters["marks"] = static_cast<double>(w.plan.Marks.size());
}

// An area of an ordinary curve, worked out afresh: the integral of sin(x)*x from -2 to 7
// (a zero inside, so the area differs from the integral).
void AreaOrdinary(benchmark::State& state) {
    Reference ref;
    double value = 0;
    for (auto _ : state)
        value = AreaOf(ref.doc, ref.context.Parser, 0, -1, -2, 7).Signed;
    benchmark::DoNotOptimize(value);
}

// The area between x*x/4-3 and sin(x)*x, and the length of (x^3-2x)/(x^2+1) over [-4, 4].
void AreaBetweenAndLength(benchmark::State& state) {
    Reference ref;
    double value = 0;
    for (auto _ : state) {
        value = AreaOf(ref.doc, ref.context.Parser, 1, 0, -3, 3).Unsigned;
        value += LengthOf(ref.doc, ref.context.Parser, 2, -4, 4).Signed;
    }
    benchmark::DoNotOptimize(value);
}

// The window's redraw of the reference document with two shaded areas and their labels, the
// values kept from the first redraw as a pan or zoom finds them.
void RefreshAllJobTwoAreas(benchmark::State& state) {
    EnsureGuiApplication();
    Reference ref;
    ref.doc.InsertArea(0, {AreaRecord::Kind::Area, 0, -1, -2, 7, true});
    ref.doc.InsertArea(1, {AreaRecord::Kind::Area, 1, 0, -3, 3, true});
    for (auto _ : state) {
        PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
        job.Run();
        benchmark::DoNotOptimize(job.Picture().constBits());
    }
}

// A document of one implicit curve as the window redraws it at 1280 x 800 in the first view.
void ImplicitJob(benchmark::State& state, const char* text) {
    EnsureGuiApplication();
    Reference ref;
    while (ref.doc.CurveCount() > 0)
        ref.doc.DeleteFun(0);
    CurveRecord c;
    c.FType = Implicit;
    c.Expression1 = text;
    c.ShowHide = true;
    c.LineWidth = 1;
    c.LineColor = 0x0000FF;
    ref.doc.ModifyFun(c, 0, true);
    for (auto _ : state) {
        PictureJob job(ref.doc, ref.view, ref.context, ref.clock, QFont(), QSize(Width, Height), 1);
        job.Run();
        benchmark::DoNotOptimize(job.Picture().constBits());
    }
}

// The tracing alone, without painting, on one thread and on every core.
void ImplicitTrace(benchmark::State& state, const char* text) {
    Reference ref;
    const PlaneFunction f = CompileImplicit(ref.context.Parser, text);
    const auto threads = static_cast<unsigned>(state.range(0));
    size_t lines = 0;
    for (auto _ : state) {
        const ZeroSet z =
            TraceZeroSet(f, 0, 0, ref.view.ScaleLeft(), ref.view.Right(), ref.view.Bottom(),
                         ref.view.ScaleTop(), Width, Height, threads);
        lines = z.Lines.size();
    }
    state.counters["lines"] = static_cast<double>(lines);
}

} // namespace

BENCHMARK_CAPTURE(ImplicitTrace, Waves, "sin(x*y)-cos(x+y)")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ImplicitJob, Circle, "x^2+y^2-4")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ImplicitJob, Folium, "x^3+y^3-3*x*y")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ImplicitJob, Waves, "sin(x*y)-cos(x+y)")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(AreaOrdinary)->Unit(benchmark::kMillisecond);
BENCHMARK(AreaBetweenAndLength)->Unit(benchmark::kMillisecond);
BENCHMARK(RefreshAllJobOwnThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefreshAllJobTwoAreas)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(KeyPointsReference)->Unit(benchmark::kMillisecond);
BENCHMARK(KeyPointsWaves)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(MarksLayoutWaves)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(MarksRepaintWaves)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GestureFrame, Pan, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GestureFrame, WheelNotch, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WideRange, YofX, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(WideRange, Parametric, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(RefreshAllRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(RefreshAllQt)->Unit(benchmark::kMillisecond);
BENCHMARK(RefreshAllJob)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefreshOneCurveJob)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SliderStep)->Unit(benchmark::kMillisecond)->UseRealTime();
