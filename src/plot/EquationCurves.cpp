#include "plot/EquationCurves.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/TextEncoding.h"
#include "base/modError.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"
#include "plot/Canvas.h"
#include "plot/PlotMath.h"
#include "plot/Sampling.h"
#include "plot/View.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <exception>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

namespace orbiplot {

namespace {

using Vertex = CanvasPoint;

// Joins the points in order, leaving out the strokes between two points beyond the same
// edge: such a stroke lies wholly beyond it and stands for no part of the curve; drawn, the
// half of it that reaches inside shows as a bar along that edge. Millions of points are given
// to the canvas a piece at a time, each going on from the last point of the one before, so
// that a stopped redraw stops here too.
void JoinVisible(EquationContext& c, const Vertex* points, size_t count, Rgb color) {
    const float left = c.ViewState.ScaleLeft(), right = c.ViewState.Right();
    const float top = c.ViewState.ScaleTop(), bottom = c.ViewState.Bottom();
    // Which edges a point lies beyond, one bit each.
    const auto beyond = [&](Vertex p) {
        return static_cast<unsigned>(p.x < left) | static_cast<unsigned>(p.x > right) << 1 |
               static_cast<unsigned>(p.y > top) << 2 | static_cast<unsigned>(p.y < bottom) << 3;
    };
    constexpr size_t Piece = 1 << 16;
    std::vector<size_t> lifts;
    for (size_t first = 0; first + 1 < count; first += Piece) {
        if (c.Stop && c.Stop->load(std::memory_order_relaxed)) throw DrawingStopped{};
        const size_t n = std::min(Piece + 1, count - first);
        lifts.clear();
        unsigned previous = beyond(points[first]);
        for (size_t i = 1; i < n; ++i) {
            const unsigned edges = beyond(points[first + i]);
            if (edges & previous) lifts.push_back(i);
            previous = edges;
        }
        c.Surface.Polyline(points + first, n, color, lifts);
    }
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

bool InWholeView(const View& view, const Vertex& p) {
    return view.ScaleLeft() <= p.x && p.x <= view.Right() && view.Bottom() <= p.y &&
           p.y <= view.ScaleTop();
}

// Every sample of a longer text would cost the time of reading it, and the substitution
// counts positions only this far.
constexpr size_t MaxExpressionLength = 32767;
// More samples than this are never drawn; fewer are, unless a trial of their cost says
// they would take longer than MaxSeconds.
constexpr double MaxSamples = 1 << 30;
constexpr double MaxSeconds = 20;
// A run this long is cut into stretches worked out in parallel.
constexpr double ParallelSamples = 1 << 20;

[[noreturn]] void RaiseTooWide(double samples) {
    throw AppError(ErrOverflow, DefaultErrorSource,
                   "取值范围过大: 需计算约 " + GeneralText(std::round(samples)) +
                       " 个点, 无法在合理时间内画出");
}

// What a stretch of the run keeps, as the whole run would keep it there.
struct Stretch {
    std::vector<Vertex> kept;
    bool startsWithRemembered = false; // its first point is the remembered one before a stretch
    std::exception_ptr failure;
};

// Samples up to count samples from v while v <= max, given the sample before them (none at
// the start of the run).
// Keeps the samples in view plus one on each side of every visible stretch.
template <class Evaluate, class InView>
void SampleStretch(Stretch& out, float v, float max, float step, uint64_t count,
                   std::optional<Vertex> before, Evaluate& evaluate, InView& inView,
                   const std::atomic<bool>* stop) {
    try {
        bool inside = false;
        Vertex remembered{0, 0};
        if (before) {
            inside = inView(*before);
            remembered = *before;
        }
        SingleRun(v, max, step, [&](size_t i, float at) {
            if (i >= count) return false;
            if (stop && (i & 1023) == 0 && stop->load(std::memory_order_relaxed)) return false;
            const Vertex p = evaluate(at);
            if (inView(p)) {
                if (!inside) {
                    if (out.kept.empty()) out.startsWithRemembered = true;
                    if (out.kept.empty() || !(out.kept.back() == remembered))
                        out.kept.push_back(remembered);
                    inside = true;
                }
                out.kept.push_back(p);
            } else {
                if (inside) {
                    out.kept.push_back(p);
                    inside = false;
                }
                remembered = p;
            }
            return true;
        });
    } catch (...) {
        out.failure = std::current_exception();
    }
}

// Where a stretch of a run starts, the sample before it and how many samples it takes.
struct StretchStart {
    float first, before;
    uint64_t count;
};

// The run cut into one stretch per thread: the run's own 32-bit sums, worked out without
// evaluating.
std::vector<StretchStart> StretchStarts(const EquationContext& c, float min, float max, float step,
                                        double samples, unsigned threads) {
    std::vector<StretchStart> stretches{{min, min, UINT64_MAX}};
    if (threads <= 1) return stretches;
    const auto share = static_cast<uint64_t>(samples / threads) + 1;
    float previous = min;
    SingleRun(min, max, step, [&](size_t n, float v) {
        if ((n & 0xFFFFF) == 0 && c.Stop && c.Stop->load(std::memory_order_relaxed))
            throw DrawingStopped{};
        if (n > 0 && n % share == 0) {
            stretches.back().count = share;
            stretches.push_back({v, previous, UINT64_MAX});
        }
        previous = v;
        return true;
    });
    return stretches;
}

// Whether the texts may call RND (their numbers then come in drawing order); a text too long
// to be substituted is refused.
bool CheckTexts(const std::vector<const std::string*>& texts) {
    bool random = false;
    for (const std::string* text : texts) {
        if (text->size() > MaxExpressionLength)
            throw AppError(ErrOverflow, DefaultErrorSource,
                           "表达式过长: 有 " + std::to_string(text->size()) + " 个字符, 最多 " +
                               std::to_string(MaxExpressionLength) + " 个");
        random |= AsciiLower(*text).find("rnd") != std::string::npos;
    }
    return random;
}

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The cost of a run tried at a few of its samples: their evaluation spread over the threads,
// and the drawing of those that land on the surface. A run that cannot finish in reasonable
// time is reported as too wide.
template <class Evaluate>
void TryTheRun(EquationContext& c, Evaluate& evaluate, float min, float max, double samples,
               unsigned threads) {
    // The thread's own CPU time: a trial the scheduler interrupted on a busy machine would
    // otherwise take a curve that draws in a second for one that cannot.
    const double begun = ThreadSeconds();
    constexpr int Trials = 256;
    int visible = 0;
    for (int i = 0; i < Trials; ++i) {
        try {
            const Vertex p =
                evaluate(static_cast<float>(min + (static_cast<double>(max) - min) * i / Trials));
            visible += InWholeView(c.ViewState, p);
        } catch (...) {
            // The run itself reports what fails.
        }
    }
    const double spent = ThreadSeconds() - begun;
    constexpr double DrawingSeconds = 3e-7; // a point on the surface, measured
    const double seconds = samples * (spent / Trials / threads + DrawingSeconds * visible / Trials);
    if (seconds > MaxSeconds) RaiseTooWide(samples);
}

// Samples v from min to max by the view's step and joins the kept points from the second one
// on. make(parser) gives what evaluates a sample with that parser: a long run is cut into
// stretches evaluated on threads of their own, each with its parser's copy, and stitched so
// that the points kept are exactly those of one run (a curve using RND stays one run: its
// numbers come in order).
template <class MakeEvaluate, class InView>
CurveTiming Sample(EquationContext& c, const std::vector<const std::string*>& texts, float min,
                   float max, Rgb color, MakeEvaluate make, InView inView) {
    const float start = c.Timer.Timer();
    CurveTiming timing;
    try {
        const bool random = CheckTexts(texts);
        const float step = c.ViewState.SampleStep();
        const double samples = SampleCount(min, max, step);
        if (samples > MaxSamples) RaiseTooWide(samples);
        auto evaluate = make(c.Parser);
        // Whether the run can finish, tried at a few of its samples (not for RND, whose
        // numbers the trial would take from the run).
        unsigned threads = 1;
        if (samples > ParallelSamples && !random) {
            threads = c.Threads ? c.Threads : std::max(1u, std::thread::hardware_concurrency());
            TryTheRun(c, evaluate, min, max, samples, threads);
        }
        const std::vector<StretchStart> stretches =
            StretchStarts(c, min, max, step, samples, threads);
        std::vector<Stretch> parts(stretches.size());
        {
            std::vector<clsExpressionParser> parsers(stretches.size() - 1, c.Parser);
            std::vector<std::thread> helpers;
            for (size_t i = 1; i < stretches.size(); ++i) {
                helpers.emplace_back([&, i] {
                    auto own = make(parsers[i - 1]);
                    // The sample before the stretch decides how it starts.
                    std::optional<Vertex> previous;
                    try {
                        previous = own(stretches[i].before);
                    } catch (...) {
                        parts[i].failure = std::current_exception();
                        return;
                    }
                    SampleStretch(parts[i], stretches[i].first, max, step, stretches[i].count,
                                  previous, own, inView, c.Stop);
                });
            }
            // Room for every sample of an ordinary run at once: growing by doubling cost the
            // redraw a tenth of its time.
            parts[0].kept.reserve(static_cast<size_t>(std::min(
                                      samples / static_cast<double>(stretches.size()), 1e6)) +
                                  2);
            SampleStretch(parts[0], min, max, step, stretches[0].count, std::nullopt, evaluate,
                          inView, c.Stop);
            for (std::thread& helper : helpers)
                helper.join();
        }
        if (c.Stop && c.Stop->load()) throw DrawingStopped{};
        std::vector<Vertex> kept;
        for (Stretch& part : parts) {
            // The first failing sample ends the curve, as in one run.
            if (part.failure) std::rethrow_exception(part.failure);
            if (kept.empty()) {
                kept = std::move(part.kept); // the usual run: one stretch, nothing to stitch
                continue;
            }
            auto from = part.kept.begin();
            if (part.startsWithRemembered && !kept.empty() && from != part.kept.end() &&
                kept.back() == *from)
                ++from;
            kept.insert(kept.end(), from, part.kept.end());
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
    return Sample(
        c, {&expression}, min, max, color,
        [&](clsExpressionParser& parser) {
            return [f = CurveEvaluator(parser, expression, "x")](float v) mutable {
                return Vertex{v, plotmath::ToSingle(f.Value(v))};
            };
        },
        [&](const Vertex& p) { return view.Bottom() <= p.y && p.y <= view.ScaleTop(); });
}

CurveTiming DrawXofY(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color) {
    const View& view = c.ViewState;
    return Sample(
        c, {&expression}, min, max, color,
        [&](clsExpressionParser& parser) {
            return [f = CurveEvaluator(parser, expression, "y")](float v) mutable {
                return Vertex{plotmath::ToSingle(f.Value(v)), v};
            };
        },
        [&](const Vertex& p) { return view.ScaleLeft() <= p.x && p.x <= view.Right(); });
}

CurveTiming DrawParametric(EquationContext& c, const std::string& expressionX,
                           const std::string& expressionY, float min, float max, Rgb color) {
    return Sample(
        c, {&expressionX, &expressionY}, min, max, color,
        [&](clsExpressionParser& parser) {
            return [fx = CurveEvaluator(parser, expressionX, "t"),
                    fy = CurveEvaluator(parser, expressionY, "t")](float v) mutable {
                const double x = fx.Value(v);
                const double y = fy.Value(v);
                return Vertex{plotmath::ToSingle(x), plotmath::ToSingle(y)};
            };
        },
        [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

CurveTiming DrawPolar(EquationContext& c, const std::string& expression, Rgb color) {
    const auto twoPi = static_cast<float>(8 * std::atan(1.0));
    return Sample(
        c, {&expression}, 0.0f, twoPi, color,
        [&](clsExpressionParser& parser) {
            return [f = CurveEvaluator(parser, expression, "z")](float v) mutable {
                const double r = f.Value(v);
                const double z = v;
                return Vertex{plotmath::ToSingle(r * std::cos(z)),
                              plotmath::ToSingle(r * std::sin(z))};
            };
        },
        [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

} // namespace orbiplot
