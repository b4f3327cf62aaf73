#pragma once

#include <functional>
#include <optional>
#include <vector>

namespace orbiplot {

// A real function that may fail at a point (outside its domain, a pole): nothing there.
using RealFunction = std::function<std::optional<double>(double)>;

// The root of f in [a, b], where fa and fb have opposite signs, to the last bit: the end of
// the final bracket of two neighbouring doubles where |f| is smaller. Nothing when f fails
// inside, or when the sign changes at a pole rather than a root (|f| there is not small
// against the bracket's values).
std::optional<double> RootIn(const RealFunction& f, double a, double b, double fa, double fb);

// A bracket about t within [lo, hi] over which f changes sign, widening from a few times
// MinimumIn's tolerance; where f is zero, a bracket of that point alone. Nothing when f
// keeps its sign or fails.
struct Bracket {
    double A, B, FA, FB;
};
std::optional<Bracket> SignChangeAbout(const RealFunction& f, double t, double lo, double hi);

// Where f is least in [a, b], to about 1e-8 of the argument (Brent's method: golden sections
// and parabolas). Nothing when f fails on the way.
std::optional<double> MinimumIn(const RealFunction& f, double a, double b);

// The zeros of f on [t0, t1] from a grid of n steps: each sign change refined by RootIn,
// and each place where |f| comes down to zero without changing sign (a double root, a
// tangency) found by MinimumIn. Poles and failing points are never zeros. Given f's
// derivative, a tangency is then taken to the last bit, where the derivative is zero. Where f
// changes sign or turns at every step, the grid is made finer there; where even the finest
// grid allowed is too coarse, partial (when given) is set: some zeros may be missing. values,
// when given, are f on the grid already (n + 1 of them, at t0 + (t1 - t0) * i / n).
std::vector<double> ZerosOn(const RealFunction& f, double t0, double t1, int n,
                            const RealFunction& slope = {}, bool* partial = nullptr,
                            std::vector<std::optional<double>> values = {});

struct Extremum {
    double T;
    bool IsMaximum;
};
// The local maxima and minima of f inside (t0, t1) from the same grid, refined by MinimumIn;
// a pole between grid points is no extremum. Given f's derivative, each is then taken to the
// last bit where the derivative changes sign or is not a number (a corner); the values alone
// are flat there to about 1e-8 of the argument.
std::vector<Extremum> ExtremaOn(const RealFunction& f, double t0, double t1, int n,
                                const RealFunction& slope = {}, bool* partial = nullptr);

// The real roots of the polynomial c[0] + c[1] t + ... (degree at most 4), each once, in
// ascending order; a double root (the polynomial touching zero) counts.
std::vector<double> PolynomialRoots(std::vector<double> c);

} // namespace orbiplot
