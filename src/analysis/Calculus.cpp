#include "analysis/Calculus.h"

#include "analysis/CurveFunctions.h"
#include "analysis/RootFinding.h"
#include "base/AppError.h"
#include "doc/DocumentModel.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace orbiplot {

namespace {

using Fn = std::function<std::optional<double>(double)>;

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

// How fast |g| grows towards p from the side s: the exponent of a power law fitted at two
// distances. A pole 1/x gives 1, 1/sqrt(x) one half, log x next to nothing; nothing when g
// has no value there.
std::optional<double> GrowthTowards(const Fn& g, double p, double side, double scale) {
    const double far = scale * 1e-6, near = scale * 1e-10;
    const auto a = g(p + side * far), b = g(p + side * near);
    if (!a || !b) return std::nullopt;
    const double va = std::fabs(*a), vb = std::fabs(*b);
    if (vb == 0 || va == 0) return 0.0;
    return std::log(vb / va) / std::log(far / near);
}

// Where in [lo, hi] |g| is largest, narrowing by thirds; the point itself when g has no
// value there.
double LargestNear(const Fn& g, double lo, double hi) {
    for (int i = 0; i < 200 && hi - lo > 0; ++i) {
        const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        if (m1 <= lo || m2 >= hi) break;
        const auto v1 = g(m1), v2 = g(m2);
        if (!v1) return m1;
        if (!v2) return m2;
        if (std::fabs(*v1) > std::fabs(*v2))
            hi = m2;
        else
            lo = m1;
    }
    return lo + (hi - lo) / 2;
}

// The quadrature of g over [lo, hi]: Gauss-Kronrod between ordinary ends, tanh-sinh where an
// end is singular (its nodes crowd towards the ends and never reach them).
struct Piece {
    double value = 0, error = 0, l1 = 0;
    bool ok = false;
};
Piece Rule(const Fn& g, double lo, double hi, bool tanhSinh) {
    Piece piece;
    bool failed = false;
    // Next to a singular end (found to an ulp or so) a point may fall on the singularity
    // itself: a point of no area, not a failure.
    const double nearLo = std::fabs(lo) * 1e-15 + 1e-300, nearHi = std::fabs(hi) * 1e-15 + 1e-300;
    const auto f = [&](double x) {
        const auto v = g(x);
        if (!v && !(tanhSinh && (x - lo <= nearLo || hi - x <= nearHi))) failed = true;
        return v ? *v : 0.0;
    };
    try {
        if (tanhSinh) {
            // One a thread: its nodes are worked out once (its integrate is not const).
            thread_local boost::math::quadrature::tanh_sinh<double> integrator(15);
            size_t levels = 0;
            piece.value = integrator.integrate(f, lo, hi, 1e-13, &piece.error, &piece.l1, &levels);
        } else {
            piece.value = boost::math::quadrature::gauss_kronrod<double, 61>::integrate(
                f, lo, hi, 15, 1e-13, &piece.error, &piece.l1);
        }
    } catch (const std::exception&) {
        return piece; // an evaluation the integrator could not use: not ok
    }
    piece.ok = !failed && std::isfinite(piece.value) && std::isfinite(piece.error);
    return piece;
}

bool Accurate(const Piece& piece) {
    return piece.ok && (piece.error <= 1e-12 * piece.l1 || piece.error <= 1e-14);
}

// Gauss-Kronrod between ordinary ends; tanh-sinh where an end is singular, or where the slope
// is (sqrt x at 0): its nodes crowd towards the ends and never reach them.
Piece Quadrature(const Fn& g, double lo, double hi, bool singularEnd) {
    if (!singularEnd) {
        const Piece piece = Rule(g, lo, hi, false);
        if (Accurate(piece)) return piece;
    }
    return Rule(g, lo, hi, true);
}

// The integral of g over [a, b] and, split at its zeros, of |g|.
Integral Integrate(const Fn& g, double a, double b) {
    Integral out;
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(b - a)) {
        out.Result = Integral::Outcome::Unsuited;
        out.Problem = "积分区间的端点必须是有限的数";
        return out;
    }
    if (a == b) {
        out.Result = Integral::Outcome::Value;
        return out;
    }
    const double sign = a < b ? 1 : -1;
    if (a > b) std::swap(a, b);
    const double scale = b - a;

    // A survey of the interval.
    constexpr int N = 2048;
    std::vector<double> xs(N + 1);
    std::vector<std::optional<double>> ys(N + 1);
    for (int i = 0; i <= N; ++i) {
        xs[static_cast<size_t>(i)] = i == N ? b : a + scale * i / N;
        ys[static_cast<size_t>(i)] = g(xs[static_cast<size_t>(i)]);
    }
    // A stretch without values: two neighbouring samples without one.
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (ys[i] || ys[i + 1]) continue;
        size_t j = i + 1;
        while (j + 1 < xs.size() && !ys[j + 1])
            ++j;
        out.Result = Integral::Outcome::Undefined;
        out.Problem = "函数在 " + Number(xs[i]) + " 到 " + Number(xs[j]) + " 之间无定义";
        return out;
    }
    // The singular points: samples without a value, and the places where |g| grows far
    // beyond its usual size between samples (a pole need not fall on one).
    std::vector<double> magnitudes;
    for (const auto& y : ys)
        if (y) magnitudes.push_back(std::fabs(*y));
    std::nth_element(magnitudes.begin(), magnitudes.begin() + magnitudes.size() / 2,
                     magnitudes.end());
    const double usual = std::max(magnitudes[magnitudes.size() / 2], 1e-300);
    std::vector<double> singular;
    for (size_t i = 0; i < xs.size(); ++i) {
        if (!ys[i]) {
            singular.push_back(xs[i]);
            continue;
        }
        const double v = std::fabs(*ys[i]);
        const bool peak = (i == 0 || !ys[i - 1] || std::fabs(*ys[i - 1]) < v) &&
                          (i + 1 == xs.size() || !ys[i + 1] || std::fabs(*ys[i + 1]) <= v);
        if (!peak || v < 64 * usual) continue;
        const double lo = i == 0 ? xs[0] : xs[i - 1], hi = i + 1 == xs.size() ? xs[i] : xs[i + 1];
        double p = LargestNear(g, lo, hi);
        if (std::fabs(p) < 1e-12 * scale) p = 0; // a pole at 0 is found a few ulps off it
        const auto at = g(p);
        if (!at || std::fabs(*at) > 1e6 * v) singular.push_back(p);
    }
    std::sort(singular.begin(), singular.end());
    singular.erase(std::unique(singular.begin(), singular.end()), singular.end());
    // Around each, the integral converges only where |g| grows slower than 1/|x - p|.
    for (const double p : singular) {
        for (const double side : {-1.0, 1.0}) {
            if ((side < 0 && p <= a) || (side > 0 && p >= b)) continue;
            const auto growth = GrowthTowards(g, p, side, scale);
            if (!growth) {
                out.Result = Integral::Outcome::Undefined;
                out.Problem = "函数在 " + Number(p) + " 附近无定义";
                return out;
            }
            if (*growth > 0.98) {
                out.Result = Integral::Outcome::Divergent;
                out.Problem = "积分发散: 函数在 " + Number(p) + " 处趋于无穷";
                return out;
            }
        }
    }
    // The pieces: between the singular points and, for the area, the zeros.
    std::vector<std::pair<double, bool>> cuts{{a, !ys.front()}, {b, !ys.back()}};
    for (const double p : singular)
        cuts.emplace_back(p, true);
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (!ys[i] || !ys[i + 1] || (*ys[i] < 0) == (*ys[i + 1] < 0) || *ys[i] == 0) continue;
        const bool across = std::any_of(singular.begin(), singular.end(),
                                        [&](double p) { return xs[i] <= p && p <= xs[i + 1]; });
        if (across) continue;
        if (const auto root = RootIn(g, xs[i], xs[i + 1], *ys[i], *ys[i + 1]))
            cuts.emplace_back(*root, false);
    }
    std::sort(cuts.begin(), cuts.end());
    double total = 0, absolute = 0, error = 0, l1 = 0;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double lo = cuts[i].first, hi = cuts[i + 1].first;
        if (!(hi > lo)) continue;
        const Piece piece = Quadrature(g, lo, hi, cuts[i].second || cuts[i + 1].second);
        if (!piece.ok) {
            out.Result = Integral::Outcome::Inexact;
            out.Problem = "无法求出 " + Number(lo) + " 到 " + Number(hi) + " 上的积分";
            return out;
        }
        total += piece.value;
        absolute += std::fabs(piece.value);
        error += piece.error;
        l1 += piece.l1;
    }
    out.Signed = sign * total;
    out.Unsigned = absolute;
    out.Error = error;
    if (!(error <= 1e-12 * l1) && !(error <= 1e-14)) {
        out.Result = Integral::Outcome::Inexact;
        out.Problem = "积分的精度不够: 误差约 " + Number(error);
        return out;
    }
    out.Result = Integral::Outcome::Value;
    return out;
}

Integral Unsuited(const std::string& why) {
    Integral out;
    out.Result = Integral::Outcome::Unsuited;
    out.Problem = why;
    return out;
}

} // namespace

bool CanMeasure(const CurveRecord& curve) {
    return curve.FType >= CurveGeneralY && curve.FType <= Polar;
}

bool CanBoundTogether(const CurveRecord& first, const CurveRecord& second) {
    const auto kind = [](const CurveRecord& c) {
        if (c.FType == CurveGeneralY) return 1;
        if (c.FType == CurveGeneralX) return 2;
        return IsLine(c.FType) ? 3 : 0;
    };
    const int a = kind(first), b = kind(second);
    return a != 0 && b != 0 && (a == 3 || b == 3 || a == b) && !(a == 3 && b == 3);
}

bool BoundAlongX(const CurveRecord& first, const CurveRecord& second) {
    return first.FType == CurveGeneralY || second.FType == CurveGeneralY ||
           (first.FType != CurveGeneralX && second.FType != CurveGeneralX);
}

std::optional<TangentLine> TangentAt(const CurveRecord& curve, const clsExpressionParser& parser,
                                     double t, std::string& problem) {
    if (!CanMeasure(curve)) {
        problem = "只能求方程曲线的切线";
        return std::nullopt;
    }
    CurveFunctions f(curve, parser);
    if (!f.Exact()) {
        problem = "曲线的表达式含 RND 或只能逐点代入求值, 无法求切线";
        return std::nullopt;
    }
    const auto m = f.At(t);
    if (!m || !std::isfinite(m->X) || !std::isfinite(m->Y)) {
        problem = "曲线在该处无定义";
        return std::nullopt;
    }
    if (!std::isfinite(m->DX) || !std::isfinite(m->DY) || (m->DX == 0 && m->DY == 0)) {
        problem = "曲线在该处没有切线";
        return std::nullopt;
    }
    TangentLine line{m->X, m->Y, 0, false};
    const double slope = m->DY / m->DX;
    if (m->DX == 0 || !std::isfinite(slope))
        line.Vertical = true;
    else
        line.Slope = slope;
    return line;
}

TangentLine NormalOf(const TangentLine& tangent) {
    TangentLine normal{tangent.X, tangent.Y, 0, false};
    if (tangent.Vertical)
        normal.Slope = 0;
    else if (tangent.Slope == 0)
        normal.Vertical = true;
    else
        normal.Slope = -1 / tangent.Slope;
    return normal;
}

CurveRecord LineCurve(const TangentLine& line, uint32_t color) {
    const auto text = [](double v) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v == 0 ? 0.0 : v);
        return std::string(buf);
    };
    CurveRecord c;
    if (line.Vertical) {
        // 1*x + 0*y + (-x1) = 0
        c.FType = LineGeneral;
        c.SData1 = "1";
        c.SData2 = "0";
        c.SData3 = text(-line.X);
    } else {
        c.FType = LinePS;
        c.SData1 = text(line.X);
        c.SData2 = text(line.Y);
        c.SData3 = text(line.Slope);
    }
    for (int i = 1; i <= 4; ++i)
        if (!c.SData(i).empty())
            c.Data(i) = static_cast<float>(std::strtod(c.SData(i).c_str(), nullptr));
    c.ShowHide = true;
    c.LineWidth = 1;
    c.ExLineWidth = 1;
    c.LineColor = color;
    c.ExLineColor = 0x808080;
    return c;
}

Integral AreaOf(const DocumentModel& document, const clsExpressionParser& parser, int32_t curve,
                int32_t other, double a, double b) {
    if (curve < 0 || curve >= document.CurveCount()) return Unsuited("没有这条曲线");
    const CurveRecord& c = document.Curve(curve);
    if (other >= 0) {
        if (other >= document.CurveCount() || other == curve) return Unsuited("没有第二条曲线");
        const CurveRecord& d = document.Curve(other);
        if (!CanBoundTogether(c, d))
            return Unsuited("两条曲线须同为 Y=f(X) 或同为 X=f(Y) (直线可与二者之一)");
        auto f = std::make_shared<CurveFunctions>(c, parser);
        auto h = std::make_shared<CurveFunctions>(d, parser);
        if (!f->Exact() || !h->Exact())
            return Unsuited("曲线的表达式含 RND 或只能逐点代入求值, 无法积分");
        const bool ofX = BoundAlongX(c, d);
        if (!f->HasForm(ofX) || !h->HasForm(ofX))
            return Unsuited("直线与坐标轴垂直, 无法与这条曲线围成面积");
        return Integrate(
            [f, h, ofX](double u) -> std::optional<double> {
                const auto p = f->Along(u, ofX), q = h->Along(u, ofX);
                if (!p || !q || !std::isfinite(*p - *q)) return std::nullopt;
                return *p - *q;
            },
            a, b);
    }
    if (!CanMeasure(c)) return Unsuited("只能求方程曲线的面积");
    auto f = std::make_shared<CurveFunctions>(c, parser);
    if (!f->Exact()) return Unsuited("曲线的表达式含 RND 或只能逐点代入求值, 无法积分");
    switch (c.FType) {
    case CurveGeneralY:
    case CurveGeneralX: {
        const bool ofX = c.FType == CurveGeneralY;
        return Integrate([f, ofX](double u) { return f->Along(u, ofX); }, a, b);
    }
    case CurveParameter:
        return Integrate(
            [f](double t) -> std::optional<double> {
                const auto m = f->At(t);
                if (!m) return std::nullopt;
                const double v = (m->X * m->DY - m->Y * m->DX) / 2;
                return std::isfinite(v) ? std::optional(v) : std::nullopt;
            },
            a, b);
    default:
        return Integrate(
            [f](double z) -> std::optional<double> {
                const auto r = f->First(z);
                if (!r || !std::isfinite(*r * *r)) return std::nullopt;
                return *r * *r / 2;
            },
            a, b);
    }
}

Integral LengthOf(const DocumentModel& document, const clsExpressionParser& parser, int32_t curve,
                  double a, double b) {
    if (curve < 0 || curve >= document.CurveCount()) return Unsuited("没有这条曲线");
    const CurveRecord& c = document.Curve(curve);
    if (!CanMeasure(c)) return Unsuited("只能求方程曲线的弧长");
    auto f = std::make_shared<CurveFunctions>(c, parser);
    if (!f->Exact()) return Unsuited("曲线的表达式含 RND 或只能逐点代入求值, 无法积分");
    Integral out = Integrate(
        [f](double t) -> std::optional<double> {
            const auto m = f->At(t);
            if (!m) return std::nullopt;
            const double v = std::hypot(m->DX, m->DY);
            return std::isfinite(v) ? std::optional(v) : std::nullopt;
        },
        a, b);
    // A length is the same whichever way it is measured.
    out.Signed = out.Unsigned;
    return out;
}

} // namespace orbiplot
