#include "analysis/AreaShading.h"

#include "analysis/Calculus.h"
#include "analysis/CurveFunctions.h"
#include "doc/DocumentModel.h"
#include "plot/Canvas.h"
#include "plot/View.h"

#include <algorithm>
#include <cmath>

namespace orbiplot {

namespace {

using Region = std::vector<CanvasPoint>;

// A value kept within a view's reach: beyond, only where the edge of the shading lies matters.
float Within(double v, double lo, double hi) {
    const double reach = hi - lo;
    return static_cast<float>(std::clamp(v, lo - reach, hi + reach));
}

// A colour halfway to white: a length's trace under its curve.
Rgb Lighter(Rgb color) {
    const auto half = [&](int shift) { return ((((color >> shift) & 0xFF) + 0xFF) / 2) << shift; };
    return static_cast<Rgb>(half(0) | half(8) | half(16));
}

struct Drawn {
    std::vector<Region> regions; // closed outlines to fill
    std::vector<Region> arcs;    // a length's arc
};

// Between u's curve (and the other, or the axis) over [from, to] along x (or y), sampled at
// about two samples a pixel of the view; broken where a function has no value.
void Between(CurveFunctions& first, CurveFunctions* second, bool ofX, double from, double to,
             const View& view, Drawn& out) {
    const double left = view.ScaleLeft(), right = view.Right();
    const double bottom = view.Bottom(), top = view.ScaleTop();
    const double lo = std::max(std::min(from, to), ofX ? left : bottom);
    const double hi = std::min(std::max(from, to), ofX ? right : top);
    if (!(hi > lo)) return;
    const double pixels = (ofX ? view.ClientWidthTwips() : view.ClientHeightTwips()) /
                          static_cast<double>(TwipsPerPixel);
    const int n = std::clamp(static_cast<int>(2 * pixels * (hi - lo) / (ofX ? right - left : top - bottom)), 2,
                             20000);
    const double across0 = ofX ? bottom : left, across1 = ofX ? top : right;
    const auto point = [&](double u, double v) {
        return ofX ? CanvasPoint{static_cast<float>(u), Within(v, across0, across1)}
                   : CanvasPoint{Within(v, across0, across1), static_cast<float>(u)};
    };
    Region upper, lower;
    const auto close = [&] {
        if (upper.size() >= 2) {
            Region region = upper;
            region.insert(region.end(), lower.rbegin(), lower.rend());
            out.regions.push_back(std::move(region));
        }
        upper.clear();
        lower.clear();
    };
    for (int i = 0; i <= n; ++i) {
        const double u = i == n ? hi : lo + (hi - lo) * i / n;
        const auto v = first.Along(u, ofX);
        const auto w = second ? second->Along(u, ofX) : std::optional<double>(0.0);
        if (!v || !w || !std::isfinite(*v) || !std::isfinite(*w)) {
            close();
            continue;
        }
        upper.push_back(point(u, *v));
        lower.push_back(point(u, *w));
    }
    close();
}

// Swept from the origin by a parametric or polar curve over [from, to] of its variable, or
// (for a length) the arc itself.
void Swept(CurveFunctions& f, double from, double to, bool arcOnly, const View& view, Drawn& out) {
    if (!(std::isfinite(from) && std::isfinite(to)) || from == to) return;
    constexpr int N = 2000;
    const double left = view.ScaleLeft(), right = view.Right();
    const double bottom = view.Bottom(), top = view.ScaleTop();
    Region run;
    const auto close = [&] {
        if (run.size() >= 2) {
            if (!arcOnly) {
                run.insert(run.begin(), CanvasPoint{0, 0});
                out.regions.push_back(run);
            } else {
                out.arcs.push_back(run);
            }
        }
        run.clear();
    };
    for (int i = 0; i <= N; ++i) {
        const double t = i == N ? to : from + (to - from) * i / N;
        const auto m = f.At(t);
        if (!m || !std::isfinite(m->X) || !std::isfinite(m->Y)) {
            close();
            continue;
        }
        run.push_back({Within(m->X, left, right), Within(m->Y, bottom, top)});
    }
    close();
}

// A place for a label: the middle of what was drawn that lies in view.
std::optional<CanvasPoint> Middle(const Drawn& d, const View& view) {
    double x = 0, y = 0;
    int n = 0;
    const auto add = [&](const Region& r) {
        for (const CanvasPoint& p : r)
            if (p.x >= view.ScaleLeft() && p.x <= view.Right() && p.y >= view.Bottom() &&
                p.y <= view.ScaleTop()) {
                x += p.x;
                y += p.y;
                ++n;
            }
    };
    for (const Region& r : d.regions)
        add(r);
    for (const Region& r : d.arcs)
        add(r);
    if (n == 0) return std::nullopt;
    return CanvasPoint{static_cast<float>(x / n), static_cast<float>(y / n)};
}

} // namespace

void DrawAreas(Canvas& canvas, const View& view, const DocumentModel& document,
               const clsExpressionParser& parser, const std::vector<std::string>& labels) {
    const std::vector<AreaRecord>& areas = document.Areas();
    for (size_t i = 0; i < areas.size(); ++i) {
        const AreaRecord& a = areas[i];
        if (!a.Shown || a.Curve < 0 || a.Curve >= document.CurveCount()) continue;
        const CurveRecord& c = document.Curve(a.Curve);
        if (!c.ShowHide) continue;
        CurveFunctions f(c, parser);
        if (!f.Exact()) continue;
        Drawn drawn;
        const bool length = a.What == AreaRecord::Kind::Length;
        if (length || c.FType == CurveParameter || c.FType == Polar) {
            // A length's arc, of any curve, runs along the curve's own variable.
            Swept(f, a.From, a.To, length, view, drawn);
        } else if (a.Other >= 0 && a.Other < document.CurveCount()) {
            CurveFunctions g(document.Curve(a.Other), parser);
            if (!g.Exact() || !CanBoundTogether(c, document.Curve(a.Other))) continue;
            const bool ofX = BoundAlongX(c, document.Curve(a.Other));
            if (!f.HasForm(ofX) || !g.HasForm(ofX)) continue;
            Between(f, &g, ofX, a.From, a.To, view, drawn);
        } else {
            Between(f, nullptr, c.FType == CurveGeneralY, a.From, a.To, view, drawn);
        }
        for (const Region& region : drawn.regions)
            canvas.FillPolygon(region.data(), region.size(), c.LineColor, AreaOpacity);
        if (!drawn.arcs.empty()) {
            canvas.SetPenWidth(std::max(c.LineWidth, 1) + 6);
            canvas.SetLineStyle(LineStyle::Solid);
            for (const Region& arc : drawn.arcs)
                canvas.Polyline(arc.data(), arc.size(), Lighter(c.LineColor));
            canvas.SetPenWidth(1);
        }
        if (i < labels.size() && !labels[i].empty()) {
            if (const auto at = Middle(drawn, view)) {
                // On a light box, so that the curves and the axes under it leave it readable.
                const float w = canvas.TextWidth(labels[i]), h = canvas.TextHeight(labels[i]);
                const float x = at->x - w / 2, y = at->y + h / 2;
                const CanvasPoint box[] = {{x, y}, {x + w, y}, {x + w, y - h}, {x, y - h}};
                canvas.FillPolygon(box, 4, 0xFFFFFF, 200);
                canvas.Text(x, y, labels[i], 0);
            }
        }
    }
}

} // namespace orbiplot
