#include "plot/Conics.h"

#include "doc/CurveRecord.h"
#include "plot/Canvas.h"
#include "plot/PlotMath.h"
#include "plot/Sampling.h"
#include "plot/View.h"

#include <cmath>
#include <vector>

namespace orbiplot {

using plotmath::Div;
using plotmath::Extended;
using plotmath::Sqrt;
using plotmath::ToSingle;

namespace {

struct Vertex {
    float x, y;
};

// A line across the whole width: y at the left and at the right edge.
template <class YOf> void AcrossView(Canvas& canvas, const View& view, Rgb color, YOf yOf) {
    const float left = view.ScaleLeft(), right = view.Right();
    const float y1 = ToSingle(yOf(static_cast<double>(left)));
    const float y2 = ToSingle(yOf(static_cast<double>(right)));
    canvas.Line(left, y1, right, y2, color);
}

// The kept samples of one branch, as runs of consecutive samples. In a view centred on the
// origin every branch is one run; in one moved away from it a branch may leave the view and
// come back (both arms of a parabola seen from its side), and its runs are not joined.
class Branch {
public:
    void Keep(size_t sample, Vertex v) {
        if (runs_.empty() || sample != last_ + 1) runs_.emplace_back();
        runs_.back().push_back(v);
        last_ = sample;
    }
    void Join(Canvas& canvas, Rgb color) const {
        for (const std::vector<Vertex>& run : runs_)
            for (size_t i = 0; i + 1 < run.size(); ++i)
                canvas.Line(run[i].x, run[i].y, run[i + 1].x, run[i + 1].y, color);
    }

private:
    std::vector<std::vector<Vertex>> runs_;
    size_t last_ = 0;
};

void DrawEllipse(Canvas& canvas, const View& view, const CurveRecord& e) {
    const double a = e.Data1, b = e.Data2;
    canvas.SetPenWidth(2);
    const float c = ToSingle(std::sqrt(std::fabs(a * a - b * b)));
    const bool alongX = std::fabs(a) >= std::fabs(b);
    if (alongX) {
        canvas.Dot(-c, 0, e.LineColor);
        canvas.Dot(c, 0, e.LineColor);
    } else {
        canvas.Dot(0, c, e.LineColor);
        canvas.Dot(0, -c, e.LineColor);
    }
    canvas.SetPenWidth(e.LineWidth);
    const float aspect = ToSingle(Div(b, a));
    canvas.Circle(0, 0, alongX ? e.Data1 : e.Data2, e.LineColor, aspect);
    if (!e.ExLine1) return;
    canvas.SetLineStyle(LineStyle::Dot);
    if (alongX) {
        const float d = ToSingle(Div(a * a, c));
        canvas.Line(-d, view.ScaleTop(), -d, view.Bottom(), e.ExLineColor);
        canvas.Line(d, view.ScaleTop(), d, view.Bottom(), e.ExLineColor);
    } else {
        const float d = ToSingle(Div(b * b, c));
        canvas.Line(view.ScaleLeft(), -d, view.Right(), -d, e.ExLineColor);
        canvas.Line(view.ScaleLeft(), d, view.Right(), d, e.ExLineColor);
    }
    canvas.SetLineStyle(LineStyle::Solid);
}

} // namespace

void DrawLineOrConic(Canvas& canvas, const View& view, const CurveRecord& curve) {
    const double p1 = curve.Data1, p2 = curve.Data2, p3 = curve.Data3, p4 = curve.Data4;
    const Rgb color = curve.LineColor;
    switch (curve.FType) {
    case LineGeneral:
        if (p2 == 0) {
            const float x = ToSingle(Div(-p3, p1));
            canvas.Line(x, view.ScaleTop(), x, view.Bottom(), color);
        } else {
            AcrossView(canvas, view, color, [&](double x) { return Div(-(p1 * x + p3), p2); });
        }
        break;
    case LinePS:
        AcrossView(canvas, view, color, [&](double x) { return p2 + p3 * (x - p1); });
        break;
    case LineSI: AcrossView(canvas, view, color, [&](double x) { return p2 + p1 * x; }); break;
    case LinePP:
        AcrossView(canvas, view, color,
                   [&](double x) { return p2 + Div((x - p1) * (p4 - p2), p3 - p1); });
        break;
    case LineII:
        AcrossView(canvas, view, color, [&](double x) { return p2 - Div(p2 * x, p1); });
        break;
    case CircleStandard:
        canvas.SetPenWidth(2);
        canvas.Dot(curve.Data1, curve.Data2, color);
        canvas.SetPenWidth(curve.LineWidth);
        canvas.Circle(curve.Data1, curve.Data2, curve.Data3, color);
        break;
    case CircleGeneral: {
        canvas.SetPenWidth(2);
        const float cx = ToSingle(-p1 / 2), cy = ToSingle(-p2 / 2);
        canvas.Dot(cx, cy, color);
        canvas.SetPenWidth(curve.LineWidth);
        const float radius = ToSingle(Sqrt(p1 * p1 + p2 * p2 - 4 * p3) / 2);
        canvas.Circle(cx, cy, radius, color);
        break;
    }
    case Ellipse: DrawEllipse(canvas, view, curve); break;
    default: break;
    }
}

void DrawHyperbola(Canvas& canvas, const View& view, const CurveRecord& curve) {
    const float a = curve.Data1, b = curve.Data2;
    const bool alongX = curve.FType == HyperbolaX;
    const int exLineWidth = curve.ExLineWidth;
    const Rgb lineColor = curve.LineColor, exLineColor = curve.ExLineColor;
    const bool showDirectrices = curve.ExLine1, showAsymptotes = curve.ExLine2;
    const float left = Extended(view.ScaleLeft(), view.Right());
    const float right = Extended(view.Right(), view.ScaleLeft());
    const float top = Extended(view.ScaleTop(), view.Bottom());
    const float bottom = Extended(view.Bottom(), view.ScaleTop());
    const double a2 = static_cast<double>(a) * a, b2 = static_cast<double>(b) * b;
    const float c = ToSingle(std::sqrt(a2 + b2));
    const float step = view.SampleStep();

    // Each branch is kept where it lies in the extended view itself.
    Branch first, second;
    if (alongX) {
        StepRun(bottom, top, step, [&](size_t n, float y) {
            const double x = Sqrt(a2 * (1 + Div(static_cast<double>(y) * y, b2)));
            if (left <= x && x <= right) first.Keep(n, {ToSingle(x), y});
            if (left <= -x && -x <= right) second.Keep(n, {ToSingle(-x), y});
        });
    } else {
        StepRun(left, right, step, [&](size_t n, float x) {
            const double y = Sqrt(a2 * (1 + Div(static_cast<double>(x) * x, b2)));
            if (bottom <= y && y <= top) first.Keep(n, {x, ToSingle(y)});
            if (bottom <= -y && -y <= top) second.Keep(n, {x, ToSingle(-y)});
        });
    }
    first.Join(canvas, lineColor);
    second.Join(canvas, lineColor);

    canvas.SetLineStyle(LineStyle::Dot);
    canvas.SetPenWidth(exLineWidth);
    if (showDirectrices) {
        const float d = ToSingle(Div(a2, c));
        if (alongX) {
            canvas.Line(d, bottom, d, top, exLineColor);
            canvas.Line(-d, bottom, -d, top, exLineColor);
        } else {
            canvas.Line(left, d, right, d, exLineColor);
            canvas.Line(left, -d, right, -d, exLineColor);
        }
    }
    if (showAsymptotes) {
        const double slope = alongX ? Div(b, a) : Div(a, b);
        canvas.Line(left, ToSingle(slope * left), right, ToSingle(slope * right), exLineColor);
        canvas.Line(left, ToSingle(-slope * left), right, ToSingle(-slope * right), exLineColor);
    }
    canvas.SetLineStyle(LineStyle::Solid);
    canvas.SetPenWidth(2);
    if (alongX) {
        canvas.Dot(-c, 0, lineColor);
        canvas.Dot(c, 0, lineColor);
    } else {
        canvas.Dot(0, c, lineColor);
        canvas.Dot(0, -c, lineColor);
    }
    canvas.SetPenWidth(1);
}

void DrawParabola(Canvas& canvas, const View& view, const CurveRecord& curve) {
    const float p = curve.Data1;
    const bool alongX = curve.FType == ParabolaX;
    const int exLineWidth = curve.ExLineWidth;
    const Rgb lineColor = curve.LineColor, exLineColor = curve.ExLineColor;
    const bool showDirectrix = curve.ExLine1;
    const float left = Extended(view.ScaleLeft(), view.Right());
    const float right = Extended(view.Right(), view.ScaleLeft());
    const float top = Extended(view.ScaleTop(), view.Bottom());
    const float bottom = Extended(view.Bottom(), view.ScaleTop());
    const float step = view.SampleStep();
    const double pd = p;

    Branch points;
    if (alongX) {
        StepRun(bottom, top, step, [&](size_t n, float y) {
            const double x = Div(static_cast<double>(y) * y / 2, pd);
            if (left <= x && x <= right) points.Keep(n, {ToSingle(x), y});
        });
    } else {
        StepRun(left, right, step, [&](size_t n, float x) {
            const double y = Div(static_cast<double>(x) * x, pd) / 2;
            if (bottom <= y && y <= top) points.Keep(n, {x, ToSingle(y)});
        });
    }
    points.Join(canvas, lineColor);

    canvas.SetLineStyle(LineStyle::Dot);
    canvas.SetPenWidth(exLineWidth);
    const float half = ToSingle(pd / 2);
    if (showDirectrix) {
        if (alongX)
            canvas.Line(-half, bottom, -half, top, exLineColor);
        else
            canvas.Line(left, -half, right, -half, exLineColor);
    }
    canvas.SetLineStyle(LineStyle::Solid);
    canvas.SetPenWidth(2);
    if (alongX)
        canvas.Dot(half, 0, lineColor);
    else
        canvas.Dot(0, half, lineColor);
    canvas.SetPenWidth(1);
}

} // namespace orbiplot
