#include "analysis/RootFinding.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace orbiplot {

namespace {

bool Negative(double v) { return v < 0; }

// Sorted, each value once: values closer than a billionth of their size are one.
void SortUnique(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    std::vector<double> kept;
    for (double v : values)
        if (kept.empty() || std::fabs(v - kept.back()) > 1e-9 * std::max(1.0, std::fabs(v)))
            kept.push_back(v);
    values = std::move(kept);
}

struct Grid {
    std::vector<double> t;
    std::vector<std::optional<double>> v;
    double largest = 0; // the largest |f| met
};

Grid Uniform(const RealFunction& f, double t0, double t1, int n) {
    Grid g;
    n = std::max(n, 2);
    g.t.resize(static_cast<size_t>(n) + 1);
    g.v.resize(g.t.size());
    for (int i = 0; i <= n; ++i) {
        const double t = i == n ? t1 : t0 + (t1 - t0) * i / n;
        g.t[static_cast<size_t>(i)] = t;
        const std::optional<double> v = f(t);
        if (v && std::isfinite(*v)) {
            g.v[static_cast<size_t>(i)] = v;
            g.largest = std::max(g.largest, std::fabs(*v));
        }
    }
    return g;
}

bool Changes(const Grid& g, size_t i) {
    return g.v[i] && g.v[i + 1] && Negative(*g.v[i]) != Negative(*g.v[i + 1]);
}

// Whether the step from i to i + 1 is too coarse for f: its samples change sign there and in
// a step beside it, or the step goes the other way from both its neighbours. A function the
// grid resolves does either only where two roots or two turns fall within three steps.
bool Busy(const Grid& g, size_t i) {
    const size_t count = g.t.size();
    if (Changes(g, i) && ((i > 0 && Changes(g, i - 1)) || (i + 2 < count && Changes(g, i + 1))))
        return true;
    if (i == 0 || i + 2 >= count) return false;
    if (!g.v[i - 1] || !g.v[i] || !g.v[i + 1] || !g.v[i + 2]) return false;
    const auto up = [&](size_t k) { return *g.v[k + 1] > *g.v[k]; };
    const auto level = [&](size_t k) { return *g.v[k + 1] == *g.v[k]; };
    if (level(i - 1) || level(i) || level(i + 1)) return false;
    return up(i) != up(i - 1) && up(i) != up(i + 1);
}

// Whether f part way along 64 steps spread over the grid strays from the line between the
// steps' ends by more than a twentieth of f's range in a quarter of them: a smooth function
// strays by its curvature times the step squared, next to nothing.
bool Aliased(const RealFunction& f, const Grid& g) {
    constexpr size_t Probes = 64;
    const size_t steps = g.t.size() - 1;
    if (steps < 2 * Probes) return false;
    double lowest = INFINITY, highest = -INFINITY;
    for (const auto& v : g.v)
        if (v) {
            lowest = std::min(lowest, *v);
            highest = std::max(highest, *v);
        }
    // Against the range of values, or their size where the grid shows them all alike.
    const double range =
        std::max(highest - lowest, std::max(std::fabs(lowest), std::fabs(highest)));
    if (!(range > 0)) return false;
    size_t strays = 0, seen = 0;
    for (size_t k = 0; k < Probes; ++k) {
        const size_t i = (2 * k + 1) * steps / (2 * Probes);
        if (!g.v[i] || !g.v[i + 1]) continue;
        // Not halfway: a step of a whole number of half periods would hide the wave there too.
        constexpr double Part = 0.3819660112501051;
        const std::optional<double> mid = f(g.t[i] + (g.t[i + 1] - g.t[i]) * Part);
        if (!mid || !std::isfinite(*mid)) continue;
        ++seen;
        const double line = *g.v[i] + (*g.v[i + 1] - *g.v[i]) * Part;
        strays += std::fabs(*mid - line) > range / 20;
    }
    return seen > 0 && 4 * strays > seen;
}

// The grid, made finer where it is too coarse for f (sin(1000 x) on a plain grid shows a
// third of its roots): busy steps are sampled again, eight times finer, a few times over,
// within a budget. Where it is still too coarse, partial says so.
Grid Sample(const RealFunction& f, double t0, double t1, int n, bool* partial = nullptr,
            std::vector<std::optional<double>>* made = nullptr) {
    constexpr size_t Finer = 8, MostSamples = size_t{1} << 18;
    constexpr int Rounds = 4;
    Grid g;
    if (made && made->size() == static_cast<size_t>(std::max(n, 2)) + 1) {
        n = std::max(n, 2);
        g.v = std::move(*made);
        g.t.resize(g.v.size());
        for (int i = 0; i <= n; ++i) {
            g.t[static_cast<size_t>(i)] = i == n ? t1 : t0 + (t1 - t0) * i / n;
            auto& v = g.v[static_cast<size_t>(i)];
            if (v && !std::isfinite(*v)) v.reset();
            if (v) g.largest = std::max(g.largest, std::fabs(*v));
        }
    } else {
        g = Uniform(f, t0, t1, n);
        // A wave whose period nearly divides the step looks smooth on the grid (aliasing):
        // f part way along a few steps, against the line between their ends, tells.
        if (Aliased(f, g)) {
            if (partial) *partial = true;
            for (int round = 0; round < 2 && g.t.size() * Finer <= MostSamples; ++round)
                g = Uniform(f, t0, t1, static_cast<int>((g.t.size() - 1) * Finer));
            if (Aliased(f, g)) return g;
            if (partial) *partial = false;
        }
    }
    for (int round = 0; round <= Rounds; ++round) {
        // The busy steps and those beside them: between two busy steps a step without a
        // change of sign may hold two roots.
        const size_t steps = g.t.size() - 1;
        std::vector<char> marked(steps + 2, 0);
        for (size_t i = 0; i < steps; ++i)
            if (Busy(g, i)) marked[i] = marked[i + 1] = marked[i + 2] = 1;
        std::vector<size_t> busy;
        for (size_t i = 0; i < steps; ++i)
            if (marked[i + 1] &&
                g.t[i + 1] - g.t[i] >
                    64 * DBL_EPSILON * std::max(std::fabs(g.t[i]), std::fabs(g.t[i + 1])))
                busy.push_back(i);
        if (busy.empty()) return g;
        if (round == Rounds || g.t.size() + busy.size() * (Finer - 1) > MostSamples) {
            if (partial) *partial = true;
            return g;
        }
        Grid finer;
        finer.largest = g.largest;
        finer.t.reserve(g.t.size() + busy.size() * (Finer - 1));
        finer.v.reserve(finer.t.capacity());
        size_t next = 0;
        for (size_t i = 0; i < g.t.size(); ++i) {
            finer.t.push_back(g.t[i]);
            finer.v.push_back(g.v[i]);
            if (next < busy.size() && busy[next] == i) {
                ++next;
                for (size_t k = 1; k < Finer; ++k) {
                    const double t =
                        g.t[i] + (g.t[i + 1] - g.t[i]) * static_cast<double>(k) / Finer;
                    const std::optional<double> v = f(t);
                    finer.t.push_back(t);
                    if (v && std::isfinite(*v)) {
                        finer.v.push_back(v);
                        finer.largest = std::max(finer.largest, std::fabs(*v));
                    } else {
                        finer.v.push_back(std::nullopt);
                    }
                }
            }
        }
        g = std::move(finer);
    }
    return g;
}

// The sign change in [lo, hi] halved until its ends are neighbouring doubles; none when
// it is a pole (|f| at the ends not small against the scale of the values it began from).
std::optional<double> HalvedToNeighbours(const RealFunction& f, double lo, double hi, double flo,
                                         double fhi, double scale) {
    if (lo > hi) {
        std::swap(lo, hi);
        std::swap(flo, fhi);
    }
    for (int iteration = 0; iteration < 2100; ++iteration) {
        const double mid = lo + (hi - lo) / 2;
        if (!(lo < mid && mid < hi)) break;
        const std::optional<double> v = f(mid);
        if (!v || !std::isfinite(*v)) return std::nullopt;
        if (*v == 0) return mid;
        if (Negative(*v) == Negative(flo)) {
            lo = mid;
            flo = *v;
        } else {
            hi = mid;
            fhi = *v;
        }
    }
    // A pole changes sign with |f| growing without bound; a root with |f| shrinking.
    if (std::min(std::fabs(flo), std::fabs(fhi)) > scale * 1e-3) return std::nullopt;
    return std::fabs(flo) <= std::fabs(fhi) ? lo : hi;
}

} // namespace

std::optional<double> RootIn(const RealFunction& f, double a, double b, double fa, double fb) {
    if (fa == 0) return a;
    if (fb == 0) return b;
    if (Negative(fa) == Negative(fb) || !std::isfinite(fa) || !std::isfinite(fb))
        return std::nullopt;
    const double scale = std::max(std::fabs(fa), std::fabs(fb));
    // Brent's method: inverse interpolation where it helps, bisection where it does not;
    // [b, c] always holds the sign change, b the better end.
    double c = a, fc = fa, d = b - a, e = d;
    for (int iteration = 0; iteration < 300; ++iteration) {
        if (Negative(fb) == Negative(fc)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol = 2 * DBL_EPSILON * std::fabs(b) + DBL_TRUE_MIN;
        const double m = 0.5 * (c - b);
        if (std::fabs(m) <= tol || fb == 0) break;
        if (std::fabs(e) >= tol && std::fabs(fa) > std::fabs(fb)) {
            double p, q;
            const double s = fb / fa;
            if (a == c) {
                p = 2 * m * s;
                q = 1 - s;
            } else {
                const double r = fb / fc, t = fa / fc;
                p = s * (2 * m * t * (t - r) - (b - a) * (r - 1));
                q = (t - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            else
                p = -p;
            if (2 * p < std::min(3 * m * q - std::fabs(tol * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = e = m;
            }
        } else {
            d = e = m;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol ? d : (m > 0 ? tol : -tol);
        const std::optional<double> v = f(b);
        if (!v || !std::isfinite(*v)) return std::nullopt;
        fb = *v;
    }
    if (fb == 0) return b;
    return HalvedToNeighbours(f, b, c, fb, fc, scale);
}

std::optional<double> MinimumIn(const RealFunction& f, double a, double b) {
    constexpr double Golden = 0.3819660112501051;
    const double tol = std::sqrt(DBL_EPSILON), floor = 1e-10 * std::fabs(b - a);
    double x = a + Golden * (b - a), w = x, v = x;
    std::optional<double> first = f(x);
    if (!first || !std::isfinite(*first)) return std::nullopt;
    double fx = *first, fw = fx, fv = fx, d = 0, e = 0;
    for (int iteration = 0; iteration < 200; ++iteration) {
        const double m = 0.5 * (a + b);
        const double tol1 = tol * std::fabs(x) + floor, tol2 = 2 * tol1;
        if (std::fabs(x - m) <= tol2 - 0.5 * (b - a)) break;
        bool golden = true;
        if (std::fabs(e) > tol1) {
            // A parabola through x, w and v.
            double r = (x - w) * (fx - fv), q = (x - v) * (fx - fw), p = (x - v) * q - (x - w) * r;
            q = 2 * (q - r);
            if (q > 0) p = -p;
            q = std::fabs(q);
            const double before = e;
            e = d;
            if (std::fabs(p) < std::fabs(0.5 * q * before) && p > q * (a - x) && p < q * (b - x)) {
                d = p / q;
                const double u = x + d;
                if (u - a < tol2 || b - u < tol2) d = x < m ? tol1 : -tol1;
                golden = false;
            }
        }
        if (golden) {
            e = (x < m ? b : a) - x;
            d = Golden * e;
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + (d > 0 ? tol1 : -tol1);
        const std::optional<double> fu = f(u);
        if (!fu || !std::isfinite(*fu)) return std::nullopt;
        if (*fu <= fx) {
            (u < x ? b : a) = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = *fu;
        } else {
            (u < x ? a : b) = u;
            if (*fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = *fu;
            } else if (*fu <= fv || v == x || v == w) {
                v = u;
                fv = *fu;
            }
        }
    }
    return x;
}

std::optional<Bracket> SignChangeAbout(const RealFunction& f, double t, double lo, double hi) {
    const std::optional<double> here = f(t);
    if (!here) return std::nullopt;
    if (*here == 0) return Bracket{t, t, 0, 0};
    double width = 4 * (std::sqrt(DBL_EPSILON) * std::fabs(t) + 1e-10 * (hi - lo));
    for (int widening = 0; widening < 64; ++widening, width *= 4) {
        const double a = std::max(lo, t - width), b = std::min(hi, t + width);
        const std::optional<double> fa = f(a), fb = f(b);
        if (fa && *fa == 0) return Bracket{a, a, 0, 0};
        if (fb && *fb == 0) return Bracket{b, b, 0, 0};
        if (fa && fb && Negative(*fa) != Negative(*fb)) return Bracket{a, b, *fa, *fb};
        if (a <= lo && b >= hi) break;
    }
    return std::nullopt;
}

namespace {

// A turn found from the derivative; at a corner the derivative jumps, so the turn lies
// between Where and a neighbouring double.
struct Turn {
    double Where;
    bool Corner;
};

// Where the derivative changes sign near t, taken to the last bit. A point where the
// function has a value but no derivative (a corner) is a turn as well; the derivative may
// jump there, so a jump is not refused as RootIn refuses poles. Nothing when the derivative
// fails or keeps its sign.
std::optional<Turn> TurnNear(const RealFunction& slope, double t, double lo, double hi) {
    const RealFunction at = [&slope](double u) -> std::optional<double> {
        const std::optional<double> s = slope(u);
        if (!s) return std::nullopt;
        return std::isfinite(*s) ? *s : 0.0;
    };
    const std::optional<Bracket> bracket = SignChangeAbout(at, t, lo, hi);
    if (!bracket) return std::nullopt;
    if (bracket->FA == 0) return Turn{bracket->A, false};
    if (bracket->FB == 0) return Turn{bracket->B, false};
    // Brent's steps land on a smooth turn exactly (a parabola's vertex at 0, where halving
    // would stop at the least double, whose half slope underflows to zero).
    if (const std::optional<double> smooth =
            RootIn(at, bracket->A, bracket->B, bracket->FA, bracket->FB))
        return Turn{*smooth, false};
    const std::optional<double> corner =
        HalvedToNeighbours(at, bracket->A, bracket->B, bracket->FA, bracket->FB,
                           std::numeric_limits<double>::infinity());
    if (!corner) return std::nullopt;
    return Turn{*corner, true};
}

// t moved to the turn when f is there at least as far on the wanted side (up when sign is 1,
// down when -1), to within rounding: f is flat about a smooth turning point. At a corner the
// neighbouring double further on the wanted side is taken (about a smooth turn the values
// differ only by rounding, and the derivative has said where the turn is).
double Polished(const RealFunction& f, double t, std::optional<Turn> turn, double sign) {
    if (!turn || turn->Where == t) return t;
    const std::optional<double> ft = f(t), fu = f(turn->Where);
    if (!ft || !fu || !std::isfinite(*fu)) return t;
    const double rounding = 8 * DBL_EPSILON * std::max(std::fabs(*ft), std::fabs(*fu));
    if (sign * (*fu - *ft) < -rounding) return t;
    double best = turn->Where, value = *fu;
    if (!turn->Corner) return best;
    for (const double side : {-INFINITY, INFINITY}) {
        const double n = std::nextafter(turn->Where, side);
        const std::optional<double> fn = f(n);
        if (fn && std::isfinite(*fn) && sign * (*fn - value) > 0) {
            best = n;
            value = *fn;
        }
    }
    return best;
}

// A level stretch, not a turn: the derivative is zero a little way to either side (the
// steps of Fix and Sgn are level everywhere but at their jumps).
bool Level(const RealFunction& slope, double t, double away) {
    const std::optional<double> before = slope(t - away), after = slope(t + away);
    return before && after && *before == 0 && *after == 0;
}

} // namespace

std::vector<double> ZerosOn(const RealFunction& f, double t0, double t1, int n,
                            const RealFunction& slope, bool* partial,
                            std::vector<std::optional<double>> values) {
    const Grid g = Sample(f, t0, t1, n, partial, values.empty() ? nullptr : &values);
    std::vector<double> zeros;
    const size_t count = g.t.size();
    for (size_t i = 0; i < count; ++i)
        if (g.v[i] && *g.v[i] == 0) zeros.push_back(g.t[i]);
    for (size_t i = 0; i + 1 < count; ++i) {
        if (!g.v[i] || !g.v[i + 1] || *g.v[i] == 0 || *g.v[i + 1] == 0) continue;
        if (Negative(*g.v[i]) == Negative(*g.v[i + 1])) continue;
        if (const auto root = RootIn(f, g.t[i], g.t[i + 1], *g.v[i], *g.v[i + 1]))
            zeros.push_back(*root);
    }
    // Touching zero without crossing: |f| has a minimum that reaches it.
    const double zero = 1e-12 * g.largest;
    const RealFunction size = [&f](double t) -> std::optional<double> {
        const std::optional<double> v = f(t);
        if (!v) return std::nullopt;
        return std::fabs(*v);
    };
    for (size_t i = 1; i + 1 < count; ++i) {
        if (!g.v[i - 1] || !g.v[i] || !g.v[i + 1]) continue;
        const double l = *g.v[i - 1], m = *g.v[i], r = *g.v[i + 1];
        if (m == 0 || Negative(l) != Negative(m) || Negative(m) != Negative(r)) continue;
        if (!(std::fabs(m) <= std::fabs(l) && std::fabs(m) <= std::fabs(r))) continue;
        if (std::fabs(m) == std::fabs(l) && std::fabs(m) == std::fabs(r)) continue;
        std::optional<double> t = MinimumIn(size, g.t[i - 1], g.t[i + 1]);
        if (!t) continue;
        if (slope) t = Polished(size, *t, TurnNear(slope, *t, g.t[i - 1], g.t[i + 1]), -1);
        const std::optional<double> at = size(*t);
        if (at && *at <= zero) zeros.push_back(*t);
    }
    SortUnique(zeros);
    return zeros;
}

std::vector<Extremum> ExtremaOn(const RealFunction& f, double t0, double t1, int n,
                                const RealFunction& slope, bool* partial) {
    const Grid g = Sample(f, t0, t1, n, partial);
    const size_t count = g.t.size();
    std::vector<Extremum> found;
    const auto value = [&](size_t i) { return *g.v[i]; };
    for (size_t i = 1; i + 1 < count; ++i) {
        if (!g.v[i - 1] || !g.v[i] || !g.v[i + 1]) continue;
        const double l = value(i - 1), m = value(i), r = value(i + 1);
        for (const bool maximum : {true, false}) {
            const double sign = maximum ? 1 : -1;
            // Higher (lower) than before, not lower (higher) after, approached and left
            // monotonically over two steps: a pole between points shows a jump instead.
            if (!(sign * m > sign * l && sign * m >= sign * r)) continue;
            if (i >= 2 && g.v[i - 2] && sign * value(i - 2) > sign * l) continue;
            if (i + 2 < count && g.v[i + 2] && sign * value(i + 2) > sign * r) continue;
            const RealFunction toward = [&f, sign](double t) -> std::optional<double> {
                const std::optional<double> v = f(t);
                if (!v) return std::nullopt;
                return -sign * *v;
            };
            const size_t end = (m == r && i + 2 < count) ? i + 2 : i + 1;
            std::optional<double> t = MinimumIn(toward, g.t[i - 1], g.t[end]);
            if (!t) continue;
            if (slope) {
                if (Level(slope, *t, (g.t[i + 1] - g.t[i - 1]) / 8)) continue;
                t = Polished(f, *t, TurnNear(slope, *t, g.t[i - 1], g.t[end]), sign);
            }
            const std::optional<double> at = f(*t);
            if (!at || !std::isfinite(*at)) continue;
            // Beyond the grid's point by no more than the rise to it: not a pole.
            const double rise = std::fabs(m - l) + std::fabs(m - r);
            if (sign * (*at - m) < -1e-9 * std::max(1.0, std::fabs(m)) || sign * (*at - m) > rise)
                continue;
            found.push_back({*t, maximum});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Extremum& a, const Extremum& b) { return a.T < b.T; });
    std::vector<Extremum> kept;
    for (const Extremum& e : found)
        if (kept.empty() || e.IsMaximum != kept.back().IsMaximum ||
            std::fabs(e.T - kept.back().T) > 1e-9 * std::max(1.0, std::fabs(e.T)))
            kept.push_back(e);
    return kept;
}

std::vector<double> PolynomialRoots(std::vector<double> c) {
    double largest = 0;
    for (double v : c)
        largest = std::max(largest, std::fabs(v));
    while (!c.empty() && std::fabs(c.back()) <= 1e-14 * largest)
        c.pop_back();
    if (c.size() <= 1) return {};
    if (c.size() == 2) return {-c[0] / c[1]};
    const auto p = [&c](double t) {
        double v = 0;
        for (size_t i = c.size(); i-- > 0;)
            v = v * t + c[i];
        return v;
    };
    const auto size = [&c](double t) {
        double v = 0;
        for (size_t i = c.size(); i-- > 0;)
            v = v * std::fabs(t) + std::fabs(c[i]);
        return v;
    };
    std::vector<double> derivative;
    for (size_t i = 1; i < c.size(); ++i)
        derivative.push_back(c[i] * static_cast<double>(i));
    const std::vector<double> turns = PolynomialRoots(derivative);
    // Between turning points the polynomial is monotonic: at most one root in each.
    double bound = 0;
    for (size_t i = 0; i + 1 < c.size(); ++i)
        bound = std::max(bound, std::fabs(c[i] / c.back()));
    bound += 1;
    std::vector<double> ends{-bound};
    for (double t : turns)
        if (t > -bound && t < bound) ends.push_back(t);
    ends.push_back(bound);
    const RealFunction f = [&p](double t) -> std::optional<double> { return p(t); };
    std::vector<double> roots;
    for (size_t i = 0; i + 1 < ends.size(); ++i) {
        const double a = ends[i], b = ends[i + 1];
        if (const auto root = RootIn(f, a, b, p(a), p(b))) roots.push_back(*root);
    }
    for (double t : turns)
        if (std::fabs(p(t)) <= 1e-12 * size(t)) roots.push_back(t);
    SortUnique(roots);
    return roots;
}

} // namespace orbiplot
