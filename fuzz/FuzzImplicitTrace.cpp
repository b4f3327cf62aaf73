// An implicit curve's text, a box and a grid of pixels made from the input, traced on one or two
// threads, whole or a few rows at a time: every point is finite, lies on an edge of the grid
// within a coarse cell of the box, and is a zero of F there (F changes sign within a few units
// in the last place along the edge, or F touches zero), and a line steps at most one cell of
// two pixels at a time. A tracing that runs past two seconds is stopped and raises.
#include "FuzzSupport.h"

#include "base/Threads.h"
#include "expr/PlaneFunction.h"
#include "expr/clsExpressionParser.h"
#include "plot/ImplicitCurves.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace {

using namespace orbiplot;

[[noreturn]] void Fail(const char* what, double x, double y) {
    std::fprintf(stderr, "%s at %.17g, %.17g\n", what, x, y);
    std::abort();
}

// Whether F changes sign between p and a point at most sixteen units in the last place away
// along the coordinate u (x or y), or is zero there or next to nothing against the ends of
// its pixel's edge.
bool ZeroOnEdge(PlaneFunction& f, double x, double y, bool alongX, double scale) {
    const std::optional<double> v = f.Value(x, y);
    if (!v) return false;
    if (*v == 0 || std::fabs(*v) <= 1e-24 * scale) return true;
    for (const double toward : {-HUGE_VAL, HUGE_VAL}) {
        double u = alongX ? x : y;
        for (int n = 0; n < 16; ++n) {
            u = std::nextafter(u, toward);
            const std::optional<double> w = alongX ? f.Value(u, y) : f.Value(x, u);
            if (w && (*w >= 0) != (*v >= 0)) return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    fuzz::Core core;
    // The box: about a centre, of a size from a millionth to a million.
    const double scale = std::pow(10.0, static_cast<int>(data[0] % 13) - 6);
    const double cx = static_cast<int8_t>(data[1]) / 16.0 * scale;
    const double cy = static_cast<int8_t>(data[2]) / 16.0 * scale;
    const double w = (1 + data[3]) / 32.0 * scale, h = (1 + data[4]) / 32.0 * scale;
    const double left = cx - w, right = cx + w, bottom = cy - h, top = cy + h;
    const int columns = 1 + data[5] % 96, rows = 1 + data[6] % 80;
    const unsigned threads = 1 + data[7] % 2;
    // Now and then a strip of 16 rows at a time.
    const int64_t strip = data[7] & 4 ? int64_t{columns} * 16 : StripPixels;
    const std::string text = fuzz::Text(data + 8, size - 8);

    PlaneFunction f(core.context.Parser, ImplicitFunctionText(text).value_or(""));
    if (!f.IsCompiled()) return 0;
    std::atomic<bool> stop{false};
    ZeroSet zeros;
    try {
        const Deadline deadline(stop, std::chrono::seconds(2));
        zeros = TraceZeroSet(f, 0, 0, left, right, bottom, top, columns, rows, threads, &stop,
                             strip);
    } catch (const DrawingStopped&) {
        if (!stop) Fail("stopped unasked", 0, 0);
        return 0;
    }
    // The grid as the tracer works it out, and the coarse cells' reach past the box.
    const auto X = [&](double i) { return left + (right - left) * i / columns; };
    const auto Y = [&](double j) { return bottom + (top - bottom) * j / rows; };
    const double reachX = X(columns + 16) - right, reachY = Y(rows + 16) - top;
    const double pixelX = (right - left) / columns, pixelY = (top - bottom) / rows;
    for (const auto& line : zeros.Lines) {
        if (line.empty()) Fail("an empty line", 0, 0);
        for (size_t n = 0; n < line.size(); ++n) {
            const PlanePoint p = line[n];
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) Fail("not finite", p.x, p.y);
            if (p.x < left || p.x > right + reachX || p.y < bottom || p.y > top + reachY)
                Fail("outside the box", p.x, p.y);
            const double i = std::round((p.x - left) / (right - left) * columns);
            const double j = std::round((p.y - bottom) / (top - bottom) * rows);
            const bool upright = X(i) == p.x, level = Y(j) == p.y;
            if (!upright && !level) Fail("off the grid", p.x, p.y);
            // F at the ends of the edge the point is on.
            double ends = 0;
            const double ei = std::floor((p.x - left) / (right - left) * columns);
            const double ej = std::floor((p.y - bottom) / (top - bottom) * rows);
            for (const auto& [a, b] : {std::pair{X(upright ? i : ei), Y(upright ? ej : j)},
                                       std::pair{X(upright ? i : ei + 1), Y(upright ? ej + 1 : j)}})
                if (const auto v = f.Value(a, b)) ends = std::max(ends, std::fabs(*v));
            if (!(upright && ZeroOnEdge(f, p.x, p.y, false, ends)) &&
                !(level && ZeroOnEdge(f, p.x, p.y, true, ends)))
                Fail("not a zero", p.x, p.y);
            if (n > 0) {
                const PlanePoint q = line[n - 1];
                if (std::fabs(p.x - q.x) > 2 * pixelX * (1 + 1e-9) ||
                    std::fabs(p.y - q.y) > 2 * pixelY * (1 + 1e-9))
                    Fail("a step longer than a cell", p.x, p.y);
            }
        }
    }
    return 0;
}
