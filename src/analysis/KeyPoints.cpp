#include "analysis/KeyPoints.h"

#include "analysis/RootFinding.h"
#include "doc/DocumentModel.h"
#include "expr/CurveEvaluator.h"
#include "expr/PlaneFunction.h"
#include "expr/clsExpressionParser.h"
#include "plot/ImplicitCurves.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <set>

namespace orbiplot {

namespace {

struct Point2 {
    double X, Y;
};

// c[0] + c[1] t + c[2] t^2 + ...
using Poly = std::vector<double>;

Poly Times(const Poly& a, const Poly& b) {
    Poly out(a.size() + b.size() - 1, 0.0);
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j)
            out[i + j] += a[i] * b[j];
    return out;
}

Poly Plus(Poly a, const Poly& b, double scale = 1) {
    if (a.size() < b.size()) a.resize(b.size(), 0.0);
    for (size_t i = 0; i < b.size(); ++i)
        a[i] += scale * b[i];
    return a;
}

double At(const Poly& p, double t) {
    double v = 0;
    for (size_t i = p.size(); i-- > 0;)
        v = v * t + p[i];
    return v;
}

// A x^2 + B xy + C y^2 + D x + E y + F = 0; a line has only D, E and F.
struct Conic {
    double A = 0, B = 0, C = 0, D = 0, E = 0, F = 0;
    double operator()(double x, double y) const {
        return A * x * x + B * x * y + C * y * y + D * x + E * y + F;
    }
    // The size of its terms at a point: what "close to zero" is measured against.
    double Scale(double x, double y) const {
        return std::fabs(A * x * x) + std::fabs(B * x * y) + std::fabs(C * y * y) +
               std::fabs(D * x) + std::fabs(E * y) + std::fabs(F);
    }
    double Dx(double x, double y) const { return 2 * A * x + B * y + D; }
    double Dy(double x, double y) const { return B * x + 2 * C * y + E; }
};

// The points of a line or conic as (X(t) / W(t), Y(t) / W(t)) for every real t, and the one
// point t going to infinity reaches, if any.
struct Rational {
    Poly X, Y, W;
    std::optional<Point2> AtInfinity;
};

enum class ShapeKind { Point, Line, Conic, GraphY, GraphX, Parametric, Polar, Level };

// The steps of the grid each search samples first.
constexpr int GridSteps = 2048;

// One shown curve, ready to be searched.
struct Shape {
    ShapeKind Kind;
    int32_t Index;
    double H = 0, K = 0; // the curve's translation
    Point2 Dot{0, 0};
    Conic Implicit; // lines and conics
    Rational Param;
    // Equation curves: their functions at exact arguments, each with a parser of its own.
    std::unique_ptr<clsExpressionParser> Parser;
    std::unique_ptr<CurveEvaluator> First, Second;
    double T0 = 0, T1 = 0;
    // An implicit curve: F of its own coordinates, and its zero set traced across the box.
    std::unique_ptr<PlaneFunction> Plane;
    std::vector<std::vector<Point2>> Lines;

    // The first expression's values on the search grid of [T0, T1], kept as they are met:
    // every search of a Y=f(X) or X=f(Y) curve with another samples that same grid, and with
    // hundreds of curves the pairs would work them out again hundreds of times.
    mutable std::vector<std::optional<double>> Kept;
    mutable std::vector<char> Known;

    std::optional<CurveEvaluator::ValueAndSlope> FirstAt(double t, bool slope) const {
        if (slope || (Kind != ShapeKind::GraphY && Kind != ShapeKind::GraphX) || !(T1 > T0))
            return Eval(*First, t, slope);
        const double at = (t - T0) / (T1 - T0) * GridSteps;
        if (!(at >= 0 && at <= GridSteps)) return Eval(*First, t, false);
        const int i = static_cast<int>(std::lround(at));
        // The grid's points exactly as the searches make them.
        if ((i == GridSteps ? T1 : T0 + (T1 - T0) * i / GridSteps) != t)
            return Eval(*First, t, false);
        if (Known.empty()) {
            Known.assign(GridSteps + 1, 0);
            Kept.assign(GridSteps + 1, std::nullopt);
        }
        const auto n = static_cast<size_t>(i);
        if (!Known[n]) {
            const auto v = Eval(*First, t, false);
            Kept[n] = v ? std::optional(v->Value) : std::nullopt;
            Known[n] = 1;
        }
        if (!Kept[n]) return std::nullopt;
        return CurveEvaluator::ValueAndSlope{*Kept[n], 0};
    }

    // All of the grid's values at once.
    const std::vector<std::optional<double>>& GridValues() const {
        if (!Complete)
            for (int i = 0; i <= GridSteps; ++i)
                FirstAt(i == GridSteps ? T1 : T0 + (T1 - T0) * i / GridSteps, false);
        Complete = true;
        return Kept;
    }
    mutable bool Complete = false;

    bool IsEquation() const { return Kind >= ShapeKind::GraphY && Kind != ShapeKind::Level; }
    bool HasImplicit() const { return Kind != ShapeKind::Parametric && Kind != ShapeKind::Polar; }

    // An expression's value at t and, when asked, its derivative; nothing where it fails
    // (outside the domain, a pole). The derivative is not a number at a corner.
    static std::optional<CurveEvaluator::ValueAndSlope> Eval(CurveEvaluator& e, double t,
                                                             bool slope) {
        try {
            const CurveEvaluator::ValueAndSlope v =
                slope ? e.ExactSlope(t) : CurveEvaluator::ValueAndSlope{e.ExactValue(t), 0};
            if (std::isfinite(v.Value)) return v;
        } catch (...) {
            // No point here.
        }
        return std::nullopt;
    }

    // The point of an equation curve at its variable's value, in the plane, or (direction)
    // the derivatives of its x and y there.
    std::optional<Point2> At(double t, bool direction) const {
        switch (Kind) {
        case ShapeKind::GraphY: {
            const auto y = FirstAt(t, direction);
            if (!y) return std::nullopt;
            return direction ? Point2{1, y->Slope} : Point2{t + H, y->Value + K};
        }
        case ShapeKind::GraphX: {
            const auto x = FirstAt(t, direction);
            if (!x) return std::nullopt;
            return direction ? Point2{x->Slope, 1} : Point2{x->Value + H, t + K};
        }
        case ShapeKind::Parametric: {
            const auto x = Eval(*First, t, direction);
            const auto y = x ? Eval(*Second, t, direction) : std::nullopt;
            if (!y) return std::nullopt;
            return direction ? Point2{x->Slope, y->Slope} : Point2{x->Value + H, y->Value + K};
        }
        case ShapeKind::Polar: {
            const auto r = Eval(*First, t, direction);
            if (!r) return std::nullopt;
            const double c = std::cos(t), s = std::sin(t);
            if (!direction) return Point2{r->Value * c, r->Value * s};
            return Point2{r->Slope * c - r->Value * s, r->Slope * s + r->Value * c};
        }
        default: return std::nullopt;
        }
    }
    std::optional<Point2> PointAt(double t) const { return At(t, false); }
    // Not a number where the curve has a point but no derivative (a corner).
    std::optional<Point2> SlopeAt(double t) const { return At(t, true); }

    // Whether an expression, tiny at t, is zero to within what rounding t to a double makes
    // of it (a few ulps of t times its slope).
    static bool Settles(CurveEvaluator& e, double t) {
        const auto v = Eval(e, t, false);
        if (!v || v->Value == 0 || std::fabs(v->Value) > 1e-9) return false;
        const auto d = Eval(e, t, true);
        return d && std::fabs(d->Value) <=
                        8 * DBL_EPSILON * std::max(1.0, std::fabs(t)) * std::fabs(d->Slope);
    }

    // The point at t as it is listed: a coordinate whose expression is zero to within
    // rounding is 0 (x of the lowest point of x = 2 cos t, y = sin t is 2 cos of the double
    // nearest 3 pi/2, -3.7e-16; a polar curve's r at the pole). The searches themselves use
    // the values as they are.
    std::optional<Point2> Reported(double t) const {
        std::optional<Point2> p = PointAt(t);
        if (!p) return p;
        switch (Kind) {
        case ShapeKind::GraphY:
            if (Settles(*First, t)) p->Y = K;
            break;
        case ShapeKind::GraphX:
            if (Settles(*First, t)) p->X = H;
            break;
        case ShapeKind::Parametric:
            if (Settles(*First, t)) p->X = H;
            if (Settles(*Second, t)) p->Y = K;
            break;
        case ShapeKind::Polar:
            if (Settles(*First, t)) p = Point2{0, 0};
            break;
        default: break;
        }
        return p;
    }

    // The size of the terms of ImplicitAt at a point: what "zero" is measured against.
    double ImplicitScale(double x, double y) const {
        switch (Kind) {
        case ShapeKind::Line:
        case ShapeKind::Conic: return Implicit.Scale(x, y);
        case ShapeKind::GraphY: return std::fabs(y - K) + std::fabs(y);
        case ShapeKind::GraphX: return std::fabs(x - H) + std::fabs(x);
        case ShapeKind::Level: {
            // F's change across the point's own size.
            const auto g = Plane->Gradient(x - H, y - K);
            if (!g) return 0;
            return (std::fabs(g->Dx) + std::fabs(g->Dy)) *
                   std::max({1.0, std::fabs(x), std::fabs(y)});
        }
        default: return 0;
        }
    }

    // A function that is zero exactly on the curve (lines, conics, Y=f(X), X=f(Y)).
    std::optional<double> ImplicitAt(double x, double y) const {
        switch (Kind) {
        case ShapeKind::Line:
        case ShapeKind::Conic: return Implicit(x, y);
        case ShapeKind::GraphY: {
            const auto f = FirstAt(x - H, false);
            if (!f) return std::nullopt;
            return (y - K) - f->Value;
        }
        case ShapeKind::GraphX: {
            const auto f = FirstAt(y - K, false);
            if (!f) return std::nullopt;
            return (x - H) - f->Value;
        }
        case ShapeKind::Level: return Plane->Value(x - H, y - K);
        default: return std::nullopt;
        }
    }

    // The gradient of ImplicitAt: not a number where the curve has a corner.
    std::optional<Point2> ImplicitGradient(double x, double y) const {
        switch (Kind) {
        case ShapeKind::Line:
        case ShapeKind::Conic: return Point2{Implicit.Dx(x, y), Implicit.Dy(x, y)};
        case ShapeKind::GraphY: {
            const auto f = Eval(*First, x - H, true);
            if (!f) return std::nullopt;
            return Point2{-f->Slope, 1};
        }
        case ShapeKind::GraphX: {
            const auto f = Eval(*First, y - K, true);
            if (!f) return std::nullopt;
            return Point2{1, -f->Slope};
        }
        case ShapeKind::Level: {
            const auto g = Plane->Gradient(x - H, y - K);
            if (!g) return std::nullopt;
            return Point2{g->Dx, g->Dy};
        }
        default: return std::nullopt;
        }
    }

    // An implicit curve's point near p: p moved along F's gradient until F is as small as it
    // gets (Newton's method across the curve); nothing where F or its gradient has no value.
    std::optional<Point2> OntoLevel(Point2 p) const {
        auto f = Plane->Gradient(p.X - H, p.Y - K);
        for (int n = 0; n < 12 && f; ++n) {
            const double g2 = f->Dx * f->Dx + f->Dy * f->Dy;
            if (f->Value == 0 || g2 == 0) break;
            const Point2 next{p.X - f->Value * f->Dx / g2, p.Y - f->Value * f->Dy / g2};
            const auto fn = Plane->Gradient(next.X - H, next.Y - K);
            if (!fn || !(std::fabs(fn->Value) < std::fabs(f->Value))) break;
            p = next;
            f = fn;
        }
        if (!f) return std::nullopt;
        return p;
    }
};

// A line's or conic's point at u: for ellipses and hyperbolas by the angle whose half tangent
// is t; nothing at a point at infinity.
std::optional<Point2> RationalPoint(const Rational& r, double u) {
    const bool polynomial = r.W.size() == 1;
    const double t = polynomial ? u : std::tan(u / 2);
    const double w = At(r.W, t);
    if (w == 0 || !std::isfinite(t)) return std::nullopt;
    return Point2{At(r.X, t) / w, At(r.Y, t) / w};
}

// The range of u over which RationalPoint crosses the box.
std::pair<double, double> RationalRange(const Rational& r, const PlaneBox& box) {
    if (r.W.size() != 1) return {-std::numbers::pi, std::numbers::pi};
    // A line or parabola: far enough along it either way to cross the box.
    const double reach = std::fabs(box.Right - box.Left) + std::fabs(box.Top - box.Bottom) +
                         std::fabs(box.Left) + std::fabs(box.Right) + std::fabs(box.Top) +
                         std::fabs(box.Bottom);
    const double speed =
        std::max(std::hypot(r.X.size() > 1 ? r.X[1] : 0, r.Y.size() > 1 ? r.Y[1] : 0), 1e-300);
    const bool quadratic = r.X.size() > 2 || r.Y.size() > 2;
    const double span = quadratic ? reach : reach / speed;
    return {-span, span};
}

Rational LineParam(const Conic& line) {
    // Through the point of the line nearest the origin, along it.
    const double a = line.D, b = line.E, c = line.F, n = a * a + b * b;
    return {{-a * c / n, -b}, {-b * c / n, a}, {1}, std::nullopt};
}

// x = cx + rx (1 - t^2) / (1 + t^2), y = cy + ry 2t / (1 + t^2).
Rational EllipseParam(double cx, double cy, double rx, double ry) {
    return {{cx + rx, 0, cx - rx}, {cy, 2 * ry, cy}, {1, 0, 1}, Point2{cx - rx, cy}};
}

// An ellipse or circle about (cx, cy).
Conic EllipseImplicit(double cx, double cy, double rx, double ry) {
    const double a2 = 1 / (rx * rx), b2 = 1 / (ry * ry);
    return {a2, 0, b2, -2 * cx * a2, -2 * cy * b2, cx * cx * a2 + cy * cy * b2 - 1};
}

std::unique_ptr<Shape> LineOrConic(const CurveRecord& c, double h, double k) {
    auto s = std::make_unique<Shape>();
    const double p1 = c.Data1, p2 = c.Data2, p3 = c.Data3, p4 = c.Data4;
    const auto line = [&](double a, double b, double cc) -> std::unique_ptr<Shape> {
        if (a == 0 && b == 0) return nullptr;
        s->Kind = ShapeKind::Line;
        // a (x - h) + b (y - k) + c = 0
        s->Implicit = {0, 0, 0, a, b, cc - a * h - b * k};
        s->Param = LineParam(s->Implicit);
        return std::move(s);
    };
    const auto conic = [&](Conic q, Rational r) {
        s->Kind = ShapeKind::Conic;
        s->Implicit = q;
        s->Param = std::move(r);
        return std::move(s);
    };
    switch (c.FType) {
    case LineGeneral: return line(p1, p2, p3);
    case LinePS: return line(p3, -1, p2 - p3 * p1);
    case LineSI: return line(p1, -1, p2);
    case LinePP:
        if (p3 == p1) return nullptr; // not drawn either
        return line(p4 - p2, -(p3 - p1), p2 * (p3 - p1) - p1 * (p4 - p2));
    case LineII:
        if (p1 == 0) return nullptr;
        return line(p2, p1, -p1 * p2);
    case CircleStandard:
    case CircleGeneral:
    case Ellipse: {
        double cx = h, cy = k, rx, ry;
        if (c.FType == CircleStandard) {
            cx += p1;
            cy += p2;
            rx = ry = std::fabs(p3);
        } else if (c.FType == CircleGeneral) {
            const double square = p1 * p1 + p2 * p2 - 4 * p3;
            if (square <= 0) return nullptr;
            cx += -p1 / 2;
            cy += -p2 / 2;
            rx = ry = std::sqrt(square) / 2;
        } else {
            rx = std::fabs(p1);
            ry = std::fabs(p2);
        }
        if (rx == 0 || ry == 0) return nullptr;
        return conic(EllipseImplicit(cx, cy, rx, ry), EllipseParam(cx, cy, rx, ry));
    }
    case HyperbolaX:
    case HyperbolaY: {
        const double a = p1, b = p2;
        if (a == 0 || b == 0) return nullptr;
        const double a2 = 1 / (a * a), b2 = 1 / (b * b);
        if (c.FType == HyperbolaX) {
            // (x-h)^2/a^2 - (y-k)^2/b^2 = 1; x = h + a (1+t^2)/(1-t^2), y = k + 2bt/(1-t^2)
            return conic({a2, 0, -b2, -2 * h * a2, 2 * k * b2, h * h * a2 - k * k * b2 - 1},
                         {{h + a, 0, a - h}, {k, 2 * b, -k}, {1, 0, -1}, Point2{h - a, k}});
        }
        // (y-k)^2/a^2 - (x-h)^2/b^2 = 1
        return conic({-b2, 0, a2, 2 * h * b2, -2 * k * a2, k * k * a2 - h * h * b2 - 1},
                     {{h, 2 * b, -h}, {k + a, 0, a - k}, {1, 0, -1}, Point2{h, k - a}});
    }
    case ParabolaX:
    case ParabolaY: {
        const double p = p1;
        if (p == 0) return nullptr;
        if (c.FType == ParabolaX) // (y-k)^2 = 2p (x-h)
            return conic({0, 0, 1, -2 * p, -2 * k, k * k + 2 * p * h},
                         {{h, 0, 1 / (2 * p)}, {k, 1}, {1}, std::nullopt});
        // (x-h)^2 = 2p (y-k)
        return conic({1, 0, 0, -2 * h, -2 * p, h * h + 2 * p * k},
                     {{h, 1}, {k, 0, 1 / (2 * p)}, {1}, std::nullopt});
    }
    default: return nullptr;
    }
}

// The letter an equation curve's texts are written in.
const char* VariableOf(int32_t type) {
    return type == CurveGeneralY ? "x" : type == CurveGeneralX ? "y" : type == Polar ? "z" : "t";
}

// An implicit curve's tracing ends early, raising DrawingStopped, once stop is set.
std::unique_ptr<Shape> MakeShape(const CurveRecord& c, int32_t index,
                                 const clsExpressionParser& parser, const PlaneBox& box,
                                 const std::atomic<bool>* stop = nullptr) {
    const double h = c.FType == Polar ? 0 : c.CTh, k = c.FType == Polar ? 0 : c.CTk;
    std::unique_ptr<Shape> s;
    if (c.FType == Point) {
        s = std::make_unique<Shape>();
        s->Kind = ShapeKind::Point;
        s->Dot = {c.Data1 + h, c.Data2 + k};
    } else if (c.FType < CurveGeneralY) {
        s = LineOrConic(c, h, k);
    } else if (c.FType == Implicit) {
        const std::optional<std::string> text = ImplicitFunctionText(c.Expression1);
        if (!text) return nullptr;
        s = std::make_unique<Shape>();
        s->Kind = ShapeKind::Level;
        s->Plane = std::make_unique<PlaneFunction>(parser, *text);
        if (!s->Plane->IsCompiled()) return nullptr;
        // Its zero set at about a screen's resolution: where the searches start.
        constexpr int Cells = 768;
        const ZeroSet zeros = TraceZeroSet(*s->Plane, h, k, box.Left, box.Right, box.Bottom,
                                           box.Top, Cells, Cells, 1, stop);
        for (const auto& line : zeros.Lines) {
            std::vector<Point2> points;
            points.reserve(line.size());
            for (const PlanePoint& p : line)
                points.push_back({p.x, p.y});
            s->Lines.push_back(std::move(points));
        }
    } else if (IsKnownCurveType(c.FType)) {
        s = std::make_unique<Shape>();
        s->Parser = std::make_unique<clsExpressionParser>(parser);
        const char* var = VariableOf(c.FType);
        try {
            s->First = std::make_unique<CurveEvaluator>(*s->Parser, c.Expression1, var);
            if (c.FType == CurveParameter)
                s->Second = std::make_unique<CurveEvaluator>(*s->Parser, c.Expression2, var);
        } catch (...) {
            return nullptr;
        }
        if (!s->First->IsCompiled() || (s->Second && !s->Second->IsCompiled())) return nullptr;
        switch (c.FType) {
        case CurveGeneralY:
            s->Kind = ShapeKind::GraphY;
            s->T0 = c.IsAuto ? box.Left - h : c.xtMin;
            s->T1 = c.IsAuto ? box.Right - h : c.xtMax;
            break;
        case CurveGeneralX:
            s->Kind = ShapeKind::GraphX;
            s->T0 = c.IsAuto ? box.Bottom - k : c.xtMin;
            s->T1 = c.IsAuto ? box.Top - k : c.xtMax;
            break;
        case CurveParameter:
            s->Kind = ShapeKind::Parametric;
            s->T0 = c.IsAuto ? box.Left - h : c.xtMin;
            s->T1 = c.IsAuto ? box.Right - h : c.xtMax;
            break;
        default:
            s->Kind = ShapeKind::Polar;
            s->T0 = 0;
            s->T1 = static_cast<float>(8 * std::atan(1.0)); // the range the curve is drawn on
            break;
        }
        if (!(s->T0 < s->T1) || !std::isfinite(s->T0) || !std::isfinite(s->T1)) return nullptr;
    }
    if (s) {
        s->Index = index;
        s->H = h;
        s->K = k;
    }
    return s;
}

// Collects the points found, the visible ones only.
class Collector {
public:
    Collector(const PlaneBox& box, std::vector<KeyPoint>& out) : box_(box), out_(out) {}
    void Add(KeyPointKind kind, int32_t curve, int32_t other, double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y) || !box_.Contains(x, y)) return;
        if (other >= 0 && other < curve) std::swap(curve, other);
        out_.push_back({kind, curve, other, x == 0 ? 0.0 : x, y == 0 ? 0.0 : y});
    }

private:
    const PlaneBox& box_;
    std::vector<KeyPoint>& out_;
};

// Brings a point where two implicit curves meet to the last bit by Newton's method on both
// equations, as long as each step makes them smaller; a tangency (no unique step) stays.
Point2 Polish(const Conic& p, const Conic& q, Point2 at) {
    for (int i = 0; i < 8; ++i) {
        const double f = p(at.X, at.Y), g = q(at.X, at.Y);
        const double a = p.Dx(at.X, at.Y), b = p.Dy(at.X, at.Y);
        const double c = q.Dx(at.X, at.Y), d = q.Dy(at.X, at.Y);
        const double det = a * d - b * c;
        if (det == 0 || !std::isfinite(det)) break;
        const Point2 next{at.X - (f * d - b * g) / det, at.Y - (a * g - f * c) / det};
        const double before = std::fabs(f) + std::fabs(g);
        const double after = std::fabs(p(next.X, next.Y)) + std::fabs(q(next.X, next.Y));
        if (!(after < before)) break;
        at = next;
    }
    return at;
}

// Where a line or conic given by its parametrisation meets an implicit line or conic.
std::vector<Point2> Meet(const Rational& r, const Conic& q) {
    const Poly X = r.X, Y = r.Y, W = r.W;
    Poly p = Times(Times(X, X), {q.A});
    p = Plus(p, Times(X, Y), q.B);
    p = Plus(p, Times(Y, Y), q.C);
    p = Plus(p, Times(X, W), q.D);
    p = Plus(p, Times(Y, W), q.E);
    p = Plus(p, Times(W, W), q.F);
    std::vector<Point2> points;
    for (double t : PolynomialRoots(p)) {
        const double w = At(W, t);
        if (w == 0) continue; // a point at infinity
        points.push_back({At(X, t) / w, At(Y, t) / w});
    }
    if (r.AtInfinity) {
        const Point2 e = *r.AtInfinity;
        if (std::fabs(q(e.X, e.Y)) <= 1e-12 * q.Scale(e.X, e.Y)) points.push_back(e);
    }
    return points;
}

// Whether g is zero along a stretch of [t0, t1] rather than at points: a curve lying along an
// axis, or two curves drawn over each other, meet in no single point.
bool ZeroAlong(const RealFunction& g, const std::function<double(double)>& size, double t0,
               double t1) {
    constexpr int Probes = 256;
    int tiny = 0, valid = 0;
    // Rounding leaves a curve drawn along the axis (sin(x)^2+cos(x)^2-1) ragged from probe to
    // probe; a function that is merely small (x/1e9) is as smooth as any other, and has its
    // zeros like any other.
    double sum = 0, rough = 0;
    std::optional<double> before, last;
    for (int n = 0; n <= Probes; ++n) {
        const double t = t0 + (t1 - t0) * n / Probes;
        const std::optional<double> v = g(t);
        if (!v) {
            before.reset();
            last.reset();
            continue;
        }
        ++valid;
        tiny += std::fabs(*v) <= 1e-10 * size(t);
        sum += std::fabs(*v);
        if (before && last) rough += std::fabs(*v - 2 * *last + *before);
        before = last;
        last = v;
    }
    return valid > 0 && tiny * 20 > valid && (sum == 0 || rough > sum / 4);
}

class Finder {
public:
    Finder(std::vector<std::unique_ptr<Shape>>& shapes, const PlaneBox& box,
           std::vector<KeyPoint>& out, const std::atomic<bool>* stop)
        : shapes_(shapes), box_(box), add_(box, out), stop_(stop) {}

    // The curves whose points could be found only in part: they wave faster than the finest
    // search grid allowed.
    const std::set<int32_t>& Partial() const { return partial_; }

    void Run() {
        for (auto& s : shapes_) {
            if (Stopped()) return;
            AxesAndTurns(*s);
        }
        for (size_t i = 0; i < shapes_.size(); ++i)
            for (size_t j = i + 1; j < shapes_.size(); ++j) {
                if (Stopped()) return;
                Intersect(*shapes_[i], *shapes_[j]);
            }
    }

private:
    // A flag for a search over curves a and b, read when the search that set it is done: the
    // curves are then noted as found only in part.
    struct PartlyFlag {
        Finder* finder;
        int32_t a, b;
        bool set = false;
        ~PartlyFlag() {
            if (!set) return;
            finder->partial_.insert(a);
            if (b >= 0) finder->partial_.insert(b);
        }
        operator bool*() { return &set; }
    };
    PartlyFlag Partly(int32_t a, int32_t b = -1) { return {this, a, b}; }
    std::set<int32_t> partial_;

    bool Stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }

    void AxesAndTurns(Shape& s) {
        const int32_t i = s.Index;
        const auto onAxis = [&](double x, double y) {
            if (y == 0) add_.Add(KeyPointKind::Zero, i, -1, x, y);
            if (x == 0) add_.Add(KeyPointKind::YIntercept, i, -1, x, y);
        };
        switch (s.Kind) {
        case ShapeKind::Point: onAxis(s.Dot.X, s.Dot.Y); return;
        case ShapeKind::Level: LevelAxesAndTurns(s); return;
        case ShapeKind::Line:
        case ShapeKind::Conic: {
            const Conic xAxis{0, 0, 0, 0, 1, 0}, yAxis{0, 0, 0, 1, 0, 0};
            // A line along an axis meets it everywhere: no single point.
            const bool isXAxis =
                s.Kind == ShapeKind::Line && s.Implicit.D == 0 && s.Implicit.F == 0;
            const bool isYAxis =
                s.Kind == ShapeKind::Line && s.Implicit.E == 0 && s.Implicit.F == 0;
            if (!isXAxis)
                for (const Point2 p : Meet(s.Param, xAxis))
                    add_.Add(KeyPointKind::Zero, i, -1, p.X, 0);
            if (!isYAxis)
                for (const Point2 p : Meet(s.Param, yAxis))
                    add_.Add(KeyPointKind::YIntercept, i, -1, 0, p.Y);
            return;
        }
        default: break;
        }
        // An equation curve: where x or y of its point is zero, and where either turns.
        // x or y of its point, or (direction) their derivatives.
        const auto coordinate = [&s](bool ofY, bool direction) -> RealFunction {
            return [&s, ofY, direction](double t) -> std::optional<double> {
                const std::optional<Point2> p = s.At(t, direction);
                if (!p) return std::nullopt;
                return ofY ? p->Y : p->X;
            };
        };
        const RealFunction x = coordinate(false, false), y = coordinate(true, false);
        const RealFunction dx = coordinate(false, true), dy = coordinate(true, true);
        const double extent = std::max(box_.Right - box_.Left, box_.Top - box_.Bottom);
        const auto plane = [extent](double) { return extent; };
        if (!ZeroAlong(y, plane, s.T0, s.T1))
            for (double t : ZerosOn(y, s.T0, s.T1, GridSteps, dy, Partly(i)))
                if (const auto p = s.Reported(t)) add_.Add(KeyPointKind::Zero, i, -1, p->X, 0);
        if (!ZeroAlong(x, plane, s.T0, s.T1))
            for (double t : ZerosOn(x, s.T0, s.T1, GridSteps, dx, Partly(i)))
                if (const auto p = s.Reported(t))
                    add_.Add(KeyPointKind::YIntercept, i, -1, 0, p->Y);
        const bool inX = s.Kind == ShapeKind::GraphX, inY = s.Kind == ShapeKind::GraphY;
        // A polar curve closes on itself: its turning points at z = 0 are looked for across
        // the seam, a little beyond each end.
        const double beyond = s.Kind == ShapeKind::Polar ? (s.T1 - s.T0) / GridSteps * 2 : 0;
        const double slack = 1e-7 * (s.T1 - s.T0);
        for (const bool alongY : {true, false}) {
            if ((alongY && inX) || (!alongY && inY)) continue;
            for (const Extremum& e : ExtremaOn(alongY ? y : x, s.T0 - beyond, s.T1 + beyond,
                                               GridSteps, alongY ? dy : dx, Partly(i))) {
                if (e.T < s.T0 - slack || e.T > s.T1 + slack) continue;
                if (const auto p = s.Reported(e.T))
                    add_.Add(e.IsMaximum ? KeyPointKind::Maximum : KeyPointKind::Minimum, i, -1,
                             p->X, p->Y);
            }
        }
    }

    // An implicit curve's crossings of the axes (F along each axis), and its points of
    // extreme y and x (where F's gradient is upright or level), each from a sign change of the
    // gradient's part between the traced points, halved along the chord onto the curve.
    void LevelAxesAndTurns(Shape& s) {
        const int32_t i = s.Index;
        const RealFunction alongX = [&s](double x) { return s.ImplicitAt(x, 0); };
        const RealFunction alongY = [&s](double y) { return s.ImplicitAt(0, y); };
        const auto part = [&s](bool ofX) -> RealFunction {
            return [&s, ofX](double u) -> std::optional<double> {
                const auto g = ofX ? s.ImplicitGradient(u, 0) : s.ImplicitGradient(0, u);
                if (!g) return std::nullopt;
                return ofX ? g->X : g->Y;
            };
        };
        const auto scaleX = [&s](double x) { return s.ImplicitScale(x, 0); };
        const auto scaleY = [&s](double y) { return s.ImplicitScale(0, y); };
        if (!ZeroAlong(alongX, scaleX, box_.Left, box_.Right))
            for (double x :
                 ZerosOn(alongX, box_.Left, box_.Right, GridSteps, part(true), Partly(i)))
                add_.Add(KeyPointKind::Zero, i, -1, x, 0);
        if (!ZeroAlong(alongY, scaleY, box_.Bottom, box_.Top))
            for (double y :
                 ZerosOn(alongY, box_.Bottom, box_.Top, GridSteps, part(false), Partly(i)))
                add_.Add(KeyPointKind::YIntercept, i, -1, 0, y);
        for (const auto& line : s.Lines)
            for (const bool extremeY : {true, false})
                for (size_t n = 0; n + 1 < line.size(); ++n) {
                    const auto along = [&](const Point2& p) -> std::optional<double> {
                        const auto g = s.ImplicitGradient(p.X, p.Y);
                        if (!g) return std::nullopt;
                        return extremeY ? g->X : g->Y;
                    };
                    const Point2 p = line[n], q = line[n + 1];
                    const auto gp = along(p), gq = along(q);
                    if (!gp || !gq) continue;
                    std::optional<Point2> at;
                    if (*gp == 0) {
                        at = p; // a traced point that is the turn itself
                    } else if ((*gp < 0) != (*gq < 0) && *gq != 0) {
                        double lo = 0, hi = 1;
                        for (int k = 0; k < 64; ++k) {
                            const double m = lo + (hi - lo) / 2;
                            const auto on =
                                s.OntoLevel({p.X + (q.X - p.X) * m, p.Y + (q.Y - p.Y) * m});
                            const auto gm = on ? along(*on) : std::nullopt;
                            if (!gm) break;
                            ((*gm < 0) == (*gp < 0) ? lo : hi) = m;
                        }
                        at = s.OntoLevel({p.X + (q.X - p.X) * lo, p.Y + (q.Y - p.Y) * lo});
                    }
                    if (!at) continue;
                    // Where branches cross (a node, F's gradient vanishing) the curve turns no
                    // smooth way: no extreme.
                    const auto gat = s.ImplicitGradient(at->X, at->Y);
                    const auto gp2 = s.ImplicitGradient(p.X, p.Y),
                               gq2 = s.ImplicitGradient(q.X, q.Y);
                    if (!gat || !gp2 || !gq2) continue;
                    const double around =
                        std::max(std::hypot(gp2->X, gp2->Y), std::hypot(gq2->X, gq2->Y));
                    if (std::hypot(gat->X, gat->Y) < 1e-3 * around) continue;
                    // Which it is, from the traced points a little way either side (round a
                    // closed line, whose last point is its first).
                    const size_t count = line.size();
                    const bool closed = count > 4 && line.front().X == line.back().X &&
                                        line.front().Y == line.back().Y;
                    const Point2 before =
                        closed ? line[(n + count - 1 - 2) % (count - 1)] : line[n >= 2 ? n - 2 : 0];
                    const Point2 after =
                        closed ? line[(n + 3) % (count - 1)] : line[std::min(n + 3, count - 1)];
                    const double v = extremeY ? at->Y : at->X;
                    const double b = extremeY ? before.Y : before.X,
                                 c = extremeY ? after.Y : after.X;
                    if (v >= b && v >= c)
                        add_.Add(KeyPointKind::Maximum, i, -1, at->X, at->Y);
                    else if (v <= b && v <= c)
                        add_.Add(KeyPointKind::Minimum, i, -1, at->X, at->Y);
                }
    }

    // Where an implicit curve meets a line or conic (F along the other's parametrisation) or
    // another implicit curve (Newton's method on both equations from where one's traced
    // points change the other's sign).
    void IntersectLevel(Shape& level, Shape& other) {
        const auto meet = [&](double x, double y) {
            add_.Add(KeyPointKind::Intersection, level.Index, other.Index, x, y);
        };
        if (other.Kind == ShapeKind::Line || other.Kind == ShapeKind::Conic) {
            const RealFunction g = [&](double u) -> std::optional<double> {
                const auto p = RationalPoint(other.Param, u);
                if (!p) return std::nullopt;
                return level.ImplicitAt(p->X, p->Y);
            };
            const auto size = [&](double u) {
                const auto p = RationalPoint(other.Param, u);
                return p ? level.ImplicitScale(p->X, p->Y) : 0.0;
            };
            const auto [u0, u1] = RationalRange(other.Param, box_);
            if (ZeroAlong(g, size, u0, u1)) return;
            for (double u : ZerosOn(g, u0, u1, GridSteps, {}, Partly(level.Index, other.Index)))
                if (const auto p = RationalPoint(other.Param, u)) meet(p->X, p->Y);
            return;
        }
        for (const auto& line : level.Lines)
            for (size_t n = 0; n + 1 < line.size(); ++n) {
                const auto gp = other.ImplicitAt(line[n].X, line[n].Y);
                const auto gq = other.ImplicitAt(line[n + 1].X, line[n + 1].Y);
                if (!gp || !gq || ((*gp < 0) == (*gq < 0) && *gq != 0)) continue;
                const double s = *gp == *gq ? 0 : *gp / (*gp - *gq);
                Point2 at{line[n].X + (line[n + 1].X - line[n].X) * s,
                          line[n].Y + (line[n + 1].Y - line[n].Y) * s};
                bool settled = false;
                for (int k = 0; k < 30; ++k) {
                    const auto f = level.ImplicitAt(at.X, at.Y), g = other.ImplicitAt(at.X, at.Y);
                    const auto df = level.ImplicitGradient(at.X, at.Y),
                               dg = other.ImplicitGradient(at.X, at.Y);
                    if (!f || !g || !df || !dg) break;
                    if (*f == 0 && *g == 0) {
                        settled = true;
                        break;
                    }
                    const double det = df->X * dg->Y - df->Y * dg->X;
                    if (det == 0 || !std::isfinite(det)) break;
                    const Point2 next{at.X - (*f * dg->Y - df->Y * *g) / det,
                                      at.Y - (df->X * *g - *f * dg->X) / det};
                    if (next.X == at.X && next.Y == at.Y) {
                        settled = true;
                        break;
                    }
                    at = next;
                }
                const auto f = level.ImplicitAt(at.X, at.Y), g = other.ImplicitAt(at.X, at.Y);
                if (!f || !g) continue;
                settled = settled || (std::fabs(*f) <= 1e-12 * level.ImplicitScale(at.X, at.Y) &&
                                      std::fabs(*g) <= 1e-12 * other.ImplicitScale(at.X, at.Y));
                if (settled) meet(at.X, at.Y);
            }
    }

    void Intersect(Shape& a, Shape& b) {
        const int32_t i = a.Index, j = b.Index;
        const auto meet = [&](double x, double y) {
            add_.Add(KeyPointKind::Intersection, i, j, x, y);
        };
        if (a.Kind != ShapeKind::Point && b.Kind != ShapeKind::Point) {
            // An implicit curve with an equation curve goes on below, the equation curve run
            // along its variable; with any other, here.
            if (a.Kind == ShapeKind::Level && !b.IsEquation()) return IntersectLevel(a, b);
            if (b.Kind == ShapeKind::Level && !a.IsEquation()) return IntersectLevel(b, a);
        }
        if (a.Kind == ShapeKind::Point || b.Kind == ShapeKind::Point) {
            Shape& dot = a.Kind == ShapeKind::Point ? a : b;
            Shape& other = a.Kind == ShapeKind::Point ? b : a;
            if (other.Kind == ShapeKind::Point) {
                if (dot.Dot.X == other.Dot.X && dot.Dot.Y == other.Dot.Y)
                    meet(dot.Dot.X, dot.Dot.Y);
                return;
            }
            const std::optional<double> g = other.ImplicitAt(dot.Dot.X, dot.Dot.Y);
            const double size = std::max({1.0, std::fabs(dot.Dot.X), std::fabs(dot.Dot.Y)});
            if (g && std::fabs(*g) <= 1e-9 * size) meet(dot.Dot.X, dot.Dot.Y);
            return;
        }
        const bool closedA = !a.IsEquation(), closedB = !b.IsEquation();
        if (a.Kind == ShapeKind::Line && b.Kind == ShapeKind::Line) {
            const Conic& p = a.Implicit;
            const Conic& q = b.Implicit;
            const double det = p.D * q.E - q.D * p.E;
            if (det != 0) meet((p.E * q.F - q.E * p.F) / det, (q.D * p.F - p.D * q.F) / det);
            return;
        }
        if (closedA && closedB) {
            // Closed forms: one parametrised, put into the other's equation.
            Shape& r = a.Kind == ShapeKind::Line ? a : b;
            Shape& q = &r == &a ? b : a;
            for (Point2 p : Meet(r.Param, q.Implicit)) {
                p = Polish(r.Implicit, q.Implicit, p);
                meet(p.X, p.Y);
            }
            return;
        }
        // An equation curve run along its variable, put into the other's equation.
        Shape* run = nullptr;
        Shape* implicit = nullptr;
        if (b.HasImplicit() && a.IsEquation()) {
            run = &a;
            implicit = &b;
        } else if (a.HasImplicit() && b.IsEquation()) {
            run = &b;
            implicit = &a;
        }
        if (run) {
            const RealFunction g = [run, implicit](double t) -> std::optional<double> {
                const std::optional<Point2> p = run->PointAt(t);
                if (!p) return std::nullopt;
                return implicit->ImplicitAt(p->X, p->Y);
            };
            const auto size = [run, implicit](double t) {
                const std::optional<Point2> p = run->PointAt(t);
                return p ? implicit->ImplicitScale(p->X, p->Y) : 0.0;
            };
            // Its derivative along the run: where the two touch, it is zero too.
            const RealFunction slope = [run, implicit](double t) -> std::optional<double> {
                const std::optional<Point2> p = run->PointAt(t), d = run->SlopeAt(t);
                if (!p || !d) return std::nullopt;
                const std::optional<Point2> n = implicit->ImplicitGradient(p->X, p->Y);
                if (!n) return std::nullopt;
                return n->X * d->X + n->Y * d->Y;
            };
            // Two graphs over the same stretch of the same axis: their difference on the grid
            // from the values each keeps, without working anything out again.
            std::vector<std::optional<double>> values;
            const bool upright = run->Kind == ShapeKind::GraphX;
            if ((run->Kind == ShapeKind::GraphY || upright) && implicit->Kind == run->Kind &&
                run->T0 == implicit->T0 && run->T1 == implicit->T1 &&
                (upright ? run->K == implicit->K : run->H == implicit->H)) {
                const double lift = upright ? run->H - implicit->H : run->K - implicit->K;
                const auto& first = run->GridValues();
                const auto& second = implicit->GridValues();
                values.resize(GridSteps + 1);
                for (size_t n = 0; n < values.size() && n < first.size() && n < second.size(); ++n)
                    if (first[n] && second[n]) values[n] = (*first[n] + lift) - *second[n];
            }
            const RealFunction kept = [&](double t) -> std::optional<double> {
                const double at = (t - run->T0) / (run->T1 - run->T0) * GridSteps;
                if (at >= 0 && at <= GridSteps) {
                    const auto n = static_cast<size_t>(std::lround(at));
                    const double on =
                        n == GridSteps
                            ? run->T1
                            : run->T0 + (run->T1 - run->T0) * static_cast<double>(n) / GridSteps;
                    if (on == t) return values[n];
                }
                return g(t);
            };
            if (ZeroAlong(values.empty() ? g : kept, size, run->T0, run->T1)) return;
            for (double t :
                 ZerosOn(g, run->T0, run->T1, GridSteps, slope, Partly(i, j), std::move(values)))
                if (const auto p = run->Reported(t)) meet(p->X, p->Y);
            return;
        }
        CrossPaths(a, b);
    }

    // Two curves given only by their variables (parametric, polar): where their paths cross,
    // then Newton's method on both variables.
    void CrossPaths(Shape& a, Shape& b) {
        constexpr int Steps = 1024;
        const auto path = [](Shape& s) {
            std::vector<std::optional<Point2>> points(Steps + 1);
            for (int n = 0; n <= Steps; ++n)
                points[static_cast<size_t>(n)] = s.PointAt(s.T0 + (s.T1 - s.T0) * n / Steps);
            return points;
        };
        const auto pa = path(a), pb = path(b);
        // Paths drawn over each other meet everywhere along a stretch, in no single point.
        if (RunsAlong(a, b, pb) || RunsAlong(b, a, pa)) return;
        const double da = (a.T1 - a.T0) / Steps, db = (b.T1 - b.T0) / Steps;
        std::vector<bool> crossed(Steps, false);
        // With it, the squared distance from each of a's samples to the nearest of b's.
        std::vector<double> gap(pa.size(), INFINITY);
        std::vector<size_t> nearest(pa.size(), 0);
        for (size_t m = 0; m <= Steps; ++m) {
            if (!pa[m]) continue;
            const Point2 p = *pa[m];
            const bool segment = m < Steps && pa[m + 1];
            const Point2 q = segment ? *pa[m + 1] : p;
            for (size_t n = 0; n <= Steps; ++n) {
                if (!pb[n]) continue;
                const Point2 r = *pb[n];
                const double dx = r.X - p.X, dy = r.Y - p.Y;
                if (dx * dx + dy * dy < gap[m]) {
                    gap[m] = dx * dx + dy * dy;
                    nearest[m] = n;
                }
                if (!segment || n == Steps || !pb[n + 1]) continue;
                const Point2 s = *pb[n + 1];
                // Segment p-q against r-s.
                const double ux = q.X - p.X, uy = q.Y - p.Y, vx = s.X - r.X, vy = s.Y - r.Y;
                const double den = ux * vy - uy * vx;
                if (den == 0) continue;
                // Where they cross along each, as fractions nu / den and nv / den: compared
                // before dividing, which most pairs never need.
                const double nu = dx * vy - dy * vx, nv = dx * uy - dy * ux;
                if (den > 0 ? (nu < 0 || nu > den || nv < 0 || nv > den)
                            : (nu > 0 || nu < den || nv > 0 || nv < den))
                    continue;
                const double u = nu / den, v = nv / den;
                if (const auto hit = Newton(a, b, a.T0 + (static_cast<double>(m) + u) * da,
                                            b.T0 + (static_cast<double>(n) + v) * db)) {
                    add_.Add(KeyPointKind::Intersection, a.Index, b.Index, hit->X, hit->Y);
                    crossed[m] = true;
                }
            }
        }
        TouchPaths(a, b, pa, pb, {gap, nearest, crossed});
    }

    // How near one path's samples come to the other's: the squared distance to the nearest
    // sample of the other, which that is, and whether a crossing was found from the segment
    // that follows.
    struct Gaps {
        const std::vector<double>& Gap;
        const std::vector<size_t>& Nearest;
        const std::vector<bool>& Crossed;
    };

    // Paths that touch without crossing (their sampled lines need not meet): where a's
    // samples come nearest b's, the distance between the paths brought down to zero, the
    // point then taken where their directions agree.
    void TouchPaths(const Shape& a, const Shape& b, const std::vector<std::optional<Point2>>& pa,
                    const std::vector<std::optional<Point2>>& pb, const Gaps& g) {
        const size_t count = pa.size();
        const auto variable = [](const Shape& s, size_t i, size_t of) {
            return s.T0 + (s.T1 - s.T0) * static_cast<double>(i) / static_cast<double>(of - 1);
        };
        const auto step = [](const std::optional<Point2>& p, const std::optional<Point2>& q) {
            return p && q ? std::hypot(q->X - p->X, q->Y - p->Y) : 0.0;
        };
        for (size_t m = 0; m < count; ++m) {
            const size_t before = m > 0 ? m - 1 : m, after = m + 1 < count ? m + 1 : m;
            if (!(g.Gap[m] <= g.Gap[before] && g.Gap[m] <= g.Gap[after])) continue;
            if ((m > 0 && g.Crossed[m - 1]) || (m < g.Crossed.size() && g.Crossed[m])) continue;
            // Within the length of a step of either path: a touch lies between samples.
            const size_t n = g.Nearest[m];
            const double reach =
                std::max(step(pa[before], pa[after]),
                         step(pb[n > 0 ? n - 1 : n], pb[n + 1 < pb.size() ? n + 1 : n]));
            if (!(g.Gap[m] <= reach * reach)) continue;
            const double start = variable(b, n, pb.size());
            const auto foot = [&](double t) -> std::optional<Foot> {
                const std::optional<Point2> p = a.PointAt(t);
                if (!p) return std::nullopt;
                return FootOnPath(b, *p, start);
            };
            const RealFunction distance = [&](double t) -> std::optional<double> {
                const std::optional<Foot> f = foot(t);
                if (!f) return std::nullopt;
                return f->Distance;
            };
            // Sampled distances are rough by up to half a step: a few steps either side.
            const double lo = variable(a, m >= 4 ? m - 4 : 0, count),
                         hi = variable(a, std::min(m + 4, count - 1), count);
            std::optional<double> t = MinimumIn(distance, lo, hi);
            if (!t) continue;
            const std::optional<Point2> p = a.PointAt(*t);
            const std::optional<double> d = distance(*t);
            const double size = p ? std::max({1.0, std::fabs(p->X), std::fabs(p->Y)}) : 0;
            if (!p || !d || *d > 1e-9 * size) continue;
            // Where they touch, the directions are parallel: their cross product changes sign.
            const RealFunction turn = [&](double u) -> std::optional<double> {
                const std::optional<Foot> f = foot(u);
                const std::optional<Point2> da = a.SlopeAt(u);
                const std::optional<Point2> db = f ? b.SlopeAt(f->S) : std::nullopt;
                if (!da || !db) return std::nullopt;
                return da->X * db->Y - da->Y * db->X;
            };
            std::optional<double> u;
            if (const auto bracket = SignChangeAbout(turn, *t, lo, hi)) {
                u = bracket->A == bracket->B
                        ? std::optional<double>(bracket->A)
                        : RootIn(turn, bracket->A, bracket->B, bracket->FA, bracket->FB);
            } else {
                // No sign change inside: a touch at the end of a's range, if they agree more
                // there.
                const double end = lo == a.T0 ? lo : hi == a.T1 ? hi : *t;
                const std::optional<double> here = turn(*t), there = turn(end);
                if (here && there && std::fabs(*there) < std::fabs(*here)) u = end;
            }
            const std::optional<double> du = u ? distance(*u) : std::nullopt;
            if (du && *du <= 1e-9 * size) t = u;
            if (const std::optional<Point2> at = a.Reported(*t))
                add_.Add(KeyPointKind::Intersection, a.Index, b.Index, at->X, at->Y);
        }
    }

    // The foot of the perpendicular from p to b's path, from b's variable near s: Gauss-Newton
    // steps along b's direction, within b's range.
    struct Foot {
        double S;
        double Distance;
    };
    static std::optional<Foot> FootOnPath(const Shape& b, Point2 p, double s) {
        for (int step = 0; step < 40; ++step) {
            const auto q = b.PointAt(s), d = b.SlopeAt(s);
            if (!q || !d) return std::nullopt;
            const double length = d->X * d->X + d->Y * d->Y;
            if (!(length > 0) || !std::isfinite(length)) break;
            const double move = ((p.X - q->X) * d->X + (p.Y - q->Y) * d->Y) / length;
            const double next = std::clamp(s + move, b.T0, b.T1);
            if (next == s) break;
            s = next;
        }
        const auto q = b.PointAt(s);
        if (!q) return std::nullopt;
        return Foot{s, std::hypot(p.X - q->X, p.Y - q->Y)};
    }

    // Whether a runs along b's path: points of a halfway between its samples (where a
    // crossing is never met by chance) lying on b.
    static bool RunsAlong(const Shape& a, const Shape& b,
                          const std::vector<std::optional<Point2>>& bPath) {
        constexpr int Probes = 32;
        int on = 0;
        for (int k = 0; k < Probes && on < 2; ++k) {
            const auto p = a.PointAt(a.T0 + (a.T1 - a.T0) * (k + 0.5) / Probes);
            if (!p) continue;
            size_t nearest = bPath.size();
            double least = INFINITY;
            for (size_t n = 0; n < bPath.size(); ++n) {
                if (!bPath[n]) continue;
                const double d = std::hypot(bPath[n]->X - p->X, bPath[n]->Y - p->Y);
                if (d < least) {
                    least = d;
                    nearest = n;
                }
            }
            if (nearest == bPath.size()) continue;
            const double s = b.T0 + (b.T1 - b.T0) * static_cast<double>(nearest) /
                                        static_cast<double>(bPath.size() - 1);
            const auto foot = FootOnPath(b, *p, s);
            if (foot && foot->Distance <= 1e-9 * std::max({1.0, std::fabs(p->X), std::fabs(p->Y)}))
                ++on;
        }
        return on >= 2;
    }

    // Where a crossing seen between samples is, by Newton's method on both variables with
    // the paths' own derivatives; a touch (the paths parallel there) is left to TouchPaths,
    // where Newton's steps crawl and stop short.
    static std::optional<Point2> Newton(const Shape& a, const Shape& b, double t, double s) {
        const auto crossing = [&]() -> std::optional<Point2> {
            const auto p = a.PointAt(t), da = a.SlopeAt(t), db = b.SlopeAt(s);
            if (!p || !da || !db) return std::nullopt;
            const double sine = std::fabs(da->X * db->Y - da->Y * db->X) /
                                (std::hypot(da->X, da->Y) * std::hypot(db->X, db->Y));
            if (!(sine > 1e-6)) return std::nullopt;
            return a.Reported(t);
        };
        for (int n = 0; n < 40; ++n) {
            const auto p = a.PointAt(t), q = b.PointAt(s);
            if (!p || !q) return std::nullopt;
            const double fx = p->X - q->X, fy = p->Y - q->Y;
            const double size = std::max({1.0, std::fabs(p->X), std::fabs(p->Y)});
            if (std::fabs(fx) + std::fabs(fy) <= 1e-14 * size) return crossing();
            const auto da = a.SlopeAt(t), db = b.SlopeAt(s);
            if (!da || !db) return std::nullopt;
            // Jacobian of (P(t) - Q(s)).
            const double a11 = da->X, a21 = da->Y, a12 = -db->X, a22 = -db->Y;
            const double det = a11 * a22 - a12 * a21;
            if (det == 0 || !std::isfinite(det)) return std::nullopt;
            t -= (fx * a22 - a12 * fy) / det;
            s -= (a11 * fy - a21 * fx) / det;
        }
        const auto p = a.PointAt(t), q = b.PointAt(s);
        if (!p || !q) return std::nullopt;
        const double size = std::max({1.0, std::fabs(p->X), std::fabs(p->Y)});
        if (std::fabs(p->X - q->X) + std::fabs(p->Y - q->Y) <= 1e-9 * size) return crossing();
        return std::nullopt;
    }

    std::vector<std::unique_ptr<Shape>>& shapes_;
    const PlaneBox& box_;
    Collector add_;
    const std::atomic<bool>* stop_;
};

// Four decimals, rounded half away from zero, without trailing zeros or a lone sign.
std::string Rounded(double v) {
    const double r = std::round(v * 1e4) / 1e4;
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", r == 0 ? 0.0 : r);
    std::string s = text;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

} // namespace

// One curve's samples for trace: its points at a run of values of its variable.
struct CurveTracer::Samples {
    std::unique_ptr<Shape> Curve;
    std::vector<double> T;
    std::vector<Point2> Points;
    std::vector<bool> Joined; // an implicit curve's: whether a point's line goes on to the next
    std::function<std::optional<Point2>(double)> At;
};

CurveTracer::CurveTracer(const DocumentModel& document, const clsExpressionParser& parser,
                         PlaneBox box, const std::atomic<bool>* stop) {
    constexpr int Steps = 2048;
    for (int32_t i = 0; i < document.CurveCount(); ++i) {
        if (stop && stop->load()) throw DrawingStopped{};
        const CurveRecord& c = document.Curve(i);
        if (!c.ShowHide) continue;
        std::unique_ptr<Shape> shape = MakeShape(c, i, parser, box, stop);
        if (!shape) continue;
        Samples s;
        Shape& curve = *shape;
        double t0 = curve.T0, t1 = curve.T1;
        if (curve.Kind == ShapeKind::Level) {
            // Its traced points in a row, numbered; between two of a line, the chord's point
            // brought onto the curve.
            for (const auto& line : curve.Lines)
                for (size_t n = 0; n < line.size(); ++n) {
                    s.T.push_back(static_cast<double>(s.Points.size()));
                    s.Points.push_back(line[n]);
                    s.Joined.push_back(n + 1 < line.size());
                }
            // The samples are moved into the list: the function keeps its own copies.
            s.At = [&curve, points = s.Points,
                    joined = s.Joined](double t) -> std::optional<Point2> {
                if (points.empty() || !(t >= 0) || t > static_cast<double>(points.size() - 1))
                    return std::nullopt;
                const auto n = static_cast<size_t>(t);
                const double f = t - static_cast<double>(n);
                if (f == 0) return points[n];
                if (!joined[n]) return std::nullopt;
                const Point2 p = points[n], q = points[n + 1];
                return curve.OntoLevel({p.X + (q.X - p.X) * f, p.Y + (q.Y - p.Y) * f});
            };
            s.Curve = std::move(shape);
            curves_.push_back(std::move(s));
            continue;
        }
        if (curve.Kind == ShapeKind::Point) {
            s.At = [&curve](double) { return std::optional<Point2>(curve.Dot); };
            t0 = t1 = 0;
        } else if (curve.Kind == ShapeKind::Line || curve.Kind == ShapeKind::Conic) {
            const Rational& r = curve.Param;
            const bool polynomial = r.W.size() == 1;
            s.At = [&r, polynomial](double u) -> std::optional<Point2> {
                // Ellipses and hyperbolas by the angle whose half tangent is t.
                const double t = polynomial ? u : std::tan(u / 2);
                const double w = At(r.W, t);
                if (w == 0 || !std::isfinite(t)) return std::nullopt;
                return Point2{At(r.X, t) / w, At(r.Y, t) / w};
            };
            if (polynomial) {
                // A line or parabola: far enough along it either way to cross the box.
                const double reach = std::fabs(box.Right - box.Left) +
                                     std::fabs(box.Top - box.Bottom) + std::fabs(box.Left) +
                                     std::fabs(box.Right) + std::fabs(box.Top) +
                                     std::fabs(box.Bottom);
                const double speed = std::max(
                    std::hypot(r.X.size() > 1 ? r.X[1] : 0, r.Y.size() > 1 ? r.Y[1] : 0), 1e-300);
                const bool quadratic = r.X.size() > 2 || r.Y.size() > 2;
                const double span = quadratic ? reach : reach / speed;
                t0 = -span;
                t1 = span;
            } else {
                t0 = -std::numbers::pi;
                t1 = std::numbers::pi;
            }
        } else {
            s.At = [&curve](double t) { return curve.PointAt(t); };
        }
        for (int n = 0; n <= Steps; ++n) {
            const double t = t0 + (t1 - t0) * n / Steps;
            if (const auto p = s.At(t)) {
                s.T.push_back(t);
                s.Points.push_back(*p);
            }
            if (t0 == t1) break;
        }
        s.Curve = std::move(shape);
        curves_.push_back(std::move(s));
    }
}

CurveTracer::~CurveTracer() = default;

std::optional<TracedPoint> CurveTracer::Nearest(double x, double y, double pixelsPerX,
                                                double pixelsPerY, double reach,
                                                int32_t only) const {
    const auto distance = [&](const Point2& p) {
        return std::hypot((p.X - x) * pixelsPerX, (p.Y - y) * pixelsPerY);
    };
    std::optional<TracedPoint> best;
    double bestDistance = reach;
    for (const Samples& s : curves_) {
        if (s.Points.empty() || (only >= 0 && s.Curve->Index != only)) continue;
        size_t nearest = 0;
        for (size_t n = 1; n < s.Points.size(); ++n)
            if (distance(s.Points[n]) < distance(s.Points[nearest])) nearest = n;
        Point2 at = s.Points[nearest];
        double atT = s.T[nearest];
        // On the curve itself between the neighbouring samples.
        if (s.Points.size() > 1) {
            const double a = s.T[nearest == 0 ? 0 : nearest - 1];
            const double b = s.T[std::min(nearest + 1, s.T.size() - 1)];
            const RealFunction gap = [&](double t) -> std::optional<double> {
                const auto p = s.At(t);
                if (!p) return std::nullopt;
                return distance(*p);
            };
            if (const auto t = MinimumIn(gap, a, b))
                if (const auto p = s.At(*t); p && distance(*p) < distance(at)) {
                    at = *p;
                    atT = *t;
                }
        }
        const double d = distance(at);
        if (d <= bestDistance) {
            bestDistance = d;
            best = TracedPoint{s.Curve->Index, at.X, at.Y, atT};
        }
    }
    return best;
}

bool PlaneBox::Contains(double x, double y) const {
    const double mx = 1e-9 * std::max(1.0, std::fabs(Right - Left)),
                 my = 1e-9 * std::max(1.0, std::fabs(Top - Bottom));
    return Left - mx <= x && x <= Right + mx && Bottom - my <= y && y <= Top + my;
}

std::vector<KeyPoint> FindKeyPoints(const DocumentModel& document,
                                    const clsExpressionParser& parser, PlaneBox box,
                                    const std::atomic<bool>* stop, std::vector<int32_t>* partial) {
    std::vector<std::unique_ptr<Shape>> shapes;
    try {
        for (int32_t i = 0; i < document.CurveCount(); ++i) {
            const CurveRecord& c = document.Curve(i);
            if (!c.ShowHide) continue;
            if (auto s = MakeShape(c, i, parser, box, stop)) shapes.push_back(std::move(s));
        }
    } catch (const DrawingStopped&) {
        // Told to stop while an implicit curve was traced: the curves made so far are searched
        // no further than the stop allows.
    }
    std::vector<KeyPoint> points;
    Finder finder(shapes, box, points, stop);
    finder.Run();
    if (partial) partial->assign(finder.Partial().begin(), finder.Partial().end());
    std::sort(points.begin(), points.end(), [](const KeyPoint& a, const KeyPoint& b) {
        return std::tie(a.Kind, a.Curve, a.Other, a.X, a.Y) <
               std::tie(b.Kind, b.Curve, b.Other, b.X, b.Y);
    });
    // The same point found twice (a root at a grid point and beside it) is one. Sorted, the
    // points of one kind and curves lie together in order of x: only the last few kept can be
    // the same, and the look back stops at the first that is too far to the left.
    std::vector<KeyPoint> kept;
    const double size = std::max(std::fabs(box.Right - box.Left), std::fabs(box.Top - box.Bottom));
    const double near = 1e-9 * size;
    for (const KeyPoint& p : points) {
        bool same = false;
        for (auto k = kept.rbegin(); k != kept.rend() && !same; ++k) {
            if (k->Kind != p.Kind || k->Curve != p.Curve || k->Other != p.Other ||
                p.X - k->X > near)
                break;
            same = std::fabs(k->Y - p.Y) <= near;
        }
        if (!same) kept.push_back(p);
    }
    return kept;
}

std::vector<int32_t> CurvesWithoutKeyPoints(const DocumentModel& document,
                                            const clsExpressionParser& parser) {
    std::vector<int32_t> left;
    clsExpressionParser own(parser);
    for (int32_t i = 0; i < document.CurveCount(); ++i) {
        const CurveRecord& c = document.Curve(i);
        if (!c.ShowHide || c.FType < CurveGeneralY || !IsKnownCurveType(c.FType)) continue;
        if (c.FType == Implicit) {
            const auto text = ImplicitFunctionText(c.Expression1);
            if (!text || !PlaneFunction(own, *text).IsCompiled()) left.push_back(i);
            continue;
        }
        const char* var = VariableOf(c.FType);
        bool compiled = false;
        try {
            compiled =
                CurveEvaluator(own, c.Expression1, var).IsCompiled() &&
                (c.FType != CurveParameter || CurveEvaluator(own, c.Expression2, var).IsCompiled());
        } catch (...) {
            // A text that cannot even be read has no points.
        }
        if (!compiled) left.push_back(i);
    }
    return left;
}

std::string KindName(KeyPointKind kind) {
    switch (kind) {
    case KeyPointKind::Zero: return "零点";
    case KeyPointKind::YIntercept: return "y 截距";
    case KeyPointKind::Maximum: return "极大值";
    case KeyPointKind::Minimum: return "极小值";
    case KeyPointKind::Intersection: return "交点";
    }
    return "";
}

std::string KindWord(KeyPointKind kind) {
    switch (kind) {
    case KeyPointKind::Zero: return "zero";
    case KeyPointKind::YIntercept: return "y-intercept";
    case KeyPointKind::Maximum: return "max";
    case KeyPointKind::Minimum: return "min";
    case KeyPointKind::Intersection: return "intersection";
    }
    return "";
}

std::string PointLabel(double x, double y) { return "(" + Rounded(x) + ", " + Rounded(y) + ")"; }

std::string FullValue(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", v == 0 ? 0.0 : v);
    return text;
}

} // namespace orbiplot
