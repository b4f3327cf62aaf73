#include "plot/EquationCurves.h"

#include "base/NumberFormat.h"
#include "base/modError.h"
#include "expr/clsExpressionParser.h"
#include "plot/Canvas.h"
#include "plot/PlotMath.h"
#include "plot/View.h"

#include <cmath>
#include <vector>

namespace orbiplot {

namespace {

struct Vertex {
    float x, y;
    bool operator==(const Vertex&) const = default;
};

// Samples v from min to max by the view's step, keeps the samples in view plus one on each
// side of every visible stretch, then joins the kept points from the second one on.
template <class Evaluate, class InView>
CurveTiming Sample(EquationContext& c, float min, float max, Rgb color, Evaluate evaluate,
                   InView inView) {
    const float start = c.Timer.Timer();
    CurveTiming timing;
    try {
        const float step = c.ViewState.SampleStep();
        std::vector<Vertex> kept;
        bool inside = false;
        Vertex remembered{0, 0};
        for (float v = min; v <= max;) {
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
            // A step too small to change v would never end the run.
            const float next = v + step;
            if (!(next > v)) break;
            v = next;
        }
        for (size_t i = 1; i + 1 < kept.size(); ++i)
            c.Surface.Line(kept[i].x, kept[i].y, kept[i + 1].x, kept[i + 1].y, color);
        timing.Drawn = true;
    } catch (...) {
        ReportCurrentError(c.Messages);
    }
    timing.Elapsed = c.Timer.Timer() - start;
    return timing;
}

double Evaluate(EquationContext& c, const std::string& expression, const char* var,
                const std::string& valueText) {
    return c.Parser.ParseExpression(SubstituteVariable(expression, var, valueText));
}

} // namespace

std::string SampleValueText(float value) {
    std::string text = FormatSingle(value, "0.0###");
    if (text[0] == '-') return "(" + text + ")";
    return text;
}

CurveTiming DrawYofX(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color) {
    const View& view = c.ViewState;
    return Sample(
        c, min, max, color,
        [&](float v) {
            return Vertex{v, plotmath::ToSingle(Evaluate(c, expression, "x", SampleValueText(v)))};
        },
        [&](const Vertex& p) { return view.Bottom() <= p.y && p.y <= view.ScaleTop; });
}

CurveTiming DrawXofY(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color) {
    const View& view = c.ViewState;
    return Sample(
        c, min, max, color,
        [&](float v) {
            return Vertex{plotmath::ToSingle(Evaluate(c, expression, "y", SampleValueText(v))), v};
        },
        [&](const Vertex& p) { return view.ScaleLeft <= p.x && p.x <= view.Right(); });
}

namespace {
bool InWholeView(const View& view, const Vertex& p) {
    return view.ScaleLeft <= p.x && p.x <= view.Right() && view.Bottom() <= p.y &&
           p.y <= view.ScaleTop;
}
} // namespace

CurveTiming DrawParametric(EquationContext& c, const std::string& expressionX,
                           const std::string& expressionY, float min, float max, Rgb color) {
    return Sample(
        c, min, max, color,
        [&](float v) {
            const std::string text = SampleValueText(v);
            const double x = Evaluate(c, expressionX, "t", text);
            const double y = Evaluate(c, expressionY, "t", text);
            return Vertex{plotmath::ToSingle(x), plotmath::ToSingle(y)};
        },
        [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

CurveTiming DrawPolar(EquationContext& c, const std::string& expression, Rgb color) {
    const auto twoPi = static_cast<float>(8 * std::atan(1.0));
    return Sample(
        c, 0.0f, twoPi, color,
        [&](float v) {
            const double r = Evaluate(c, expression, "z", SampleValueText(v));
            const double z = v;
            return Vertex{plotmath::ToSingle(r * std::cos(z)), plotmath::ToSingle(r * std::sin(z))};
        },
        [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

} // namespace orbiplot
