#include "plot/EquationCurves.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/modError.h"
#include "expr/CurveEvaluator.h"
#include "plot/Canvas.h"
#include "plot/PlotMath.h"
#include "plot/View.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace orbiplot {

namespace {

using Vertex = CanvasPoint;

// A stroke between two points beyond the same edge lies wholly beyond it and stands for no
// part of the curve; drawn, the half of it that reaches inside shows as a bar along that edge.
bool BeyondSameEdge(const View& view, Vertex a, Vertex b) {
    const float left = view.ScaleLeft(), right = view.Right();
    const float top = view.ScaleTop(), bottom = view.Bottom();
    return (a.x < left && b.x < left) || (a.x > right && b.x > right) || (a.y > top && b.y > top) ||
           (a.y < bottom && b.y < bottom);
}

// Joins the points in order, leaving out such strokes.
void JoinVisible(EquationContext& c, const Vertex* points, size_t count, Rgb color) {
    std::vector<size_t> lifts;
    for (size_t i = 1; i < count; ++i)
        if (BeyondSameEdge(c.ViewState, points[i - 1], points[i])) lifts.push_back(i);
    c.Surface.Polyline(points, count, color, lifts);
}

// How many samples a run from min to max takes: step by step while adding the step changes
// a single, each single in turn where it no longer does. An estimate to the binade.
double SampleCount(float min, float max, float step) {
    if (!(min <= max)) return 0;
    if (!std::isfinite(min) || !std::isfinite(max)) return std::numeric_limits<double>::infinity();
    double count = 1;
    // The magnitudes [2^e, 2^(e+1)) on either side of zero, and the range's share of each.
    const auto within = [&](double a, double b) {
        const double lo = std::max(a, static_cast<double>(min)),
                     hi = std::min(b, static_cast<double>(max));
        return hi > lo ? hi - lo : 0.0;
    };
    count += within(-std::ldexp(1.0, -126), std::ldexp(1.0, -126)) / step;
    for (int e = -126; e < 128; ++e) {
        const double a = std::ldexp(1.0, e), b = std::ldexp(1.0, e + 1);
        const double spacing = std::max(static_cast<double>(step), std::ldexp(1.0, e - 23));
        count += (within(a, b) + within(-b, -a)) / spacing;
    }
    return count;
}

// More samples than this would keep a curve from being drawn in any reasonable time.
constexpr double MaxSamples = 1 << 25;

// Samples v from min to max by the view's step, keeps the samples in view plus one on each
// side of every visible stretch, then joins the kept points from the second one on.
// Every sample of a longer text would cost the time of reading it, and the substitution
// counts positions only this far.
constexpr size_t MaxExpressionLength = 32767;

template <class Evaluate, class InView>
CurveTiming Sample(EquationContext& c, size_t textLength, float min, float max, Rgb color,
                   Evaluate evaluate, InView inView) {
    const float start = c.Timer.Timer();
    CurveTiming timing;
    try {
        if (textLength > MaxExpressionLength)
            throw AppError(ErrOverflow, DefaultErrorSource,
                           "表达式过长: 有 " + std::to_string(textLength) + " 个字符, 最多 " +
                               std::to_string(MaxExpressionLength) + " 个");
        const float step = c.ViewState.SampleStep();
        const double samples = SampleCount(min, max, step);
        if (samples > MaxSamples)
            throw AppError(ErrOverflow, DefaultErrorSource,
                           "取值范围过大: 需计算约 " + GeneralText(std::round(samples)) +
                               " 个点, 无法在合理时间内画出");
        std::vector<Vertex> kept;
        bool inside = false;
        Vertex remembered{0, 0};
        uint32_t sinceCheck = 0;
        for (float v = min; v <= max;) {
            if (c.Stop && ++sinceCheck == 1024) {
                sinceCheck = 0;
                if (c.Stop->load(std::memory_order_relaxed)) throw DrawingStopped{};
            }
            const Vertex p = evaluate(v);
            if (inView(p)) {
                if (!inside) {
                    if (kept.empty() || !(kept.back() == remembered)) kept.push_back(remembered);
                    inside = true;
                }
                kept.push_back(p);
            } else {
                if (inside) {
                    kept.push_back(p);
                    inside = false;
                }
                remembered = p;
            }
            // Where the step is too small to change a single, the run goes on through each
            // single in turn: the finest the 32-bit sample can be, instead of stopping short.
            const float next = v + step;
            v = next > v ? next : std::nextafter(v, std::numeric_limits<float>::infinity());
        }
        // The first kept point only leads into the first stretch; the line starts after it.
        if (kept.size() > 2) JoinVisible(c, kept.data() + 1, kept.size() - 1, color);
        timing.Drawn = true;
    } catch (const DrawingStopped&) {
        throw;
    } catch (...) {
        // The time is the evaluation's, not the time the error box stays open.
        timing.Elapsed = c.Timer.Timer() - start;
        ReportCurrentError(c.Messages);
        return timing;
    }
    timing.Elapsed = c.Timer.Timer() - start;
    return timing;
}

} // namespace

CurveTiming DrawYofX(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color) {
    const View& view = c.ViewState;
    CurveEvaluator f(c.Parser, expression, "x");
    return Sample(
        c, expression.size(), min, max, color,
        [&](float v) {
            return Vertex{v, plotmath::ToSingle(f.Value(v))};
        },
        [&](const Vertex& p) { return view.Bottom() <= p.y && p.y <= view.ScaleTop(); });
}

CurveTiming DrawXofY(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color) {
    const View& view = c.ViewState;
    CurveEvaluator f(c.Parser, expression, "y");
    return Sample(
        c, expression.size(), min, max, color,
        [&](float v) {
            return Vertex{plotmath::ToSingle(f.Value(v)), v};
        },
        [&](const Vertex& p) { return view.ScaleLeft() <= p.x && p.x <= view.Right(); });
}

namespace {
bool InWholeView(const View& view, const Vertex& p) {
    return view.ScaleLeft() <= p.x && p.x <= view.Right() && view.Bottom() <= p.y &&
           p.y <= view.ScaleTop();
}
} // namespace

CurveTiming DrawParametric(EquationContext& c, const std::string& expressionX,
                           const std::string& expressionY, float min, float max, Rgb color) {
    CurveEvaluator fx(c.Parser, expressionX, "t");
    CurveEvaluator fy(c.Parser, expressionY, "t");
    return Sample(
        c, std::max(expressionX.size(), expressionY.size()), min, max, color,
        [&](float v) {
            const double x = fx.Value(v);
            const double y = fy.Value(v);
            return Vertex{plotmath::ToSingle(x), plotmath::ToSingle(y)};
        },
        [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

CurveTiming DrawPolar(EquationContext& c, const std::string& expression, Rgb color) {
    const auto twoPi = static_cast<float>(8 * std::atan(1.0));
    CurveEvaluator f(c.Parser, expression, "z");
    return Sample(
        c, expression.size(), 0.0f, twoPi, color,
        [&](float v) {
            const double r = f.Value(v);
            const double z = v;
            return Vertex{plotmath::ToSingle(r * std::cos(z)), plotmath::ToSingle(r * std::sin(z))};
        },
        [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

} // namespace orbiplot
