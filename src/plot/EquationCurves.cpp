#include "plot/EquationCurves.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "base/TextEncoding.h"
#include "base/Threads.h"
#include "base/modError.h"
#include "expr/CurveEvaluator.h"
#include "expr/clsExpressionParser.h"
#include "plot/Canvas.h"
#include "plot/PlotMath.h"
#include "plot/Sampling.h"
#include "plot/View.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <exception>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

namespace orbiplot {

namespace {

using Vertex = CanvasPoint;

// The view's edges, as the drawing reads them.
struct Edges {
    float left, right, top, bottom;
    explicit Edges(const View& view)
        : left(view.ScaleLeft()), right(view.Right()), top(view.ScaleTop()), bottom(view.Bottom()) {
    }
};

enum EdgeBits : unsigned { LeftOf = 1, RightOf = 2, Above = 4, Below = 8 };

// Which edges a point lies beyond, one bit each.
template <class Real> unsigned Beyond(const Edges& e, Real x, Real y) {
    return static_cast<unsigned>(x < e.left) * LeftOf |
           static_cast<unsigned>(x > e.right) * RightOf | static_cast<unsigned>(y > e.top) * Above |
           static_cast<unsigned>(y < e.bottom) * Below;
}

// Points beyond opposite edges: a stroke between them crosses the whole view.
bool Opposite(unsigned a, unsigned b) {
    return ((a & LeftOf) && (b & RightOf)) || ((a & RightOf) && (b & LeftOf)) ||
           ((a & Above) && (b & Below)) || ((a & Below) && (b & Above));
}

// A stroke into a kept point that may be left out: always (the curve is undefined between
// its ends, or jumps through a pole), or when its ends lie beyond opposite edges (the ends
// are no neighbouring samples, so the curve went round outside the view between them).
struct Gap {
    size_t index;
    bool always;
};

// Joins the points in order, leaving out the strokes between two points beyond the same
// edge: such a stroke lies wholly beyond it and stands for no part of the curve; drawn, the
// half of it that reaches inside shows as a bar along that edge. The gaps (ascending, as
// indices of the points) are left out as they say. Millions of points are given to the
// canvas a piece at a time, each going on from the last point of the one before, so that a
// stopped redraw stops here too.
void JoinVisible(EquationContext& c, const Vertex* points, size_t count,
                 const std::vector<Gap>& gaps, Rgb color) {
    const Edges edges(c.ViewState);
    constexpr size_t Piece = 1 << 16;
    std::vector<size_t> lifts;
    size_t g = 0;
    for (size_t first = 0; first + 1 < count; first += Piece) {
        if (c.Stop && c.Stop->load(std::memory_order_relaxed)) throw DrawingStopped{};
        const size_t n = std::min(Piece + 1, count - first);
        lifts.clear();
        unsigned previous = Beyond(edges, points[first].x, points[first].y);
        while (g < gaps.size() && gaps[g].index <= first)
            ++g;
        size_t nextGap = g < gaps.size() ? gaps[g].index : SIZE_MAX;
        for (size_t i = 1; i < n; ++i) {
            const Vertex p = points[first + i];
            const unsigned beyond = Beyond(edges, p.x, p.y);
            bool lift = (beyond & previous) != 0;
            if (first + i == nextGap) {
                lift = lift || gaps[g].always || Opposite(previous, beyond);
                ++g;
                nextGap = g < gaps.size() ? gaps[g].index : SIZE_MAX;
            }
            if (lift) lifts.push_back(i);
            previous = beyond;
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

// A sample of a curve: its point, or none where the curve is undefined (only when drawing
// where it is defined; otherwise such a sample raises).
struct Sampled {
    Vertex p{0, 0};
    bool defined = true;
};

// A sample's number in the run: the first is 0. The remembered point the run starts with is
// no sample.
constexpr int64_t NoSample = INT64_MIN / 2;

// What a stretch of the run keeps, as the whole run would keep it there.
struct Stretch {
    std::vector<Vertex> kept;
    std::vector<Gap> gaps;
    int64_t firstSample = NoSample, lastSample = NoSample; // of the first and last point kept
    bool startsWithRemembered = false; // its first point is the remembered one before a stretch
    bool endsUndefined = false;        // an undefined sample came after its last point kept
    std::exception_ptr failure;
};

// Whether a stroke between neighbouring samples may be a jump through a pole: its ends lie
// beyond opposite edges, or one is in view and the other beyond an edge, farther from it
// than half the view's width (or height) along that axis.
bool MayJump(const Edges& e, Vertex a, Vertex b) {
    const unsigned sa = Beyond(e, a.x, a.y), sb = Beyond(e, b.x, b.y);
    if (Opposite(sa, sb)) return true;
    if ((sa == 0) == (sb == 0)) return false;
    const unsigned out = sa | sb;
    if (out & (Above | Below))
        return std::fabs(static_cast<double>(a.y) - b.y) >
               (static_cast<double>(e.top) - e.bottom) / 2;
    return std::fabs(static_cast<double>(a.x) - b.x) > (static_cast<double>(e.right) - e.left) / 2;
}

// Samples up to count samples from v while v <= max, given the sample before them (none at
// the start of the run); offset is the number of the stretch's first sample.
// Keeps the samples in view plus one on each side of every visible stretch.
template <class Sampler, class InView>
void SampleStretch(Stretch& out, float v, float max, float step, uint64_t count, int64_t offset,
                   std::optional<std::pair<float, Sampled>> before, Sampler& sample, InView& inView,
                   const Edges& edges, const std::atomic<bool>* stop) {
    // The last point kept, and the last sample out of view (at first a point that is no
    // sample): each with its sample's value, and whether it is the sample right after the
    // point kept before it.
    Vertex lastP{0, 0}, rememberedP{0, 0};
    float lastV = 0, rememberedV = 0;
    bool hasLast = false, hasRemembered = true, rememberedFollows = false;
    bool keptPrevious = false; // the sample before this one was kept
    bool undefined = false;    // an undefined sample since the last point kept
    bool inside = false;
    size_t lastI = 0;
    const bool definedOnly = sample.DefinedOnly();
    try {
        if (before) {
            if (before->second.defined) {
                inside = inView(before->second.p);
                rememberedP = lastP = before->second.p;
                rememberedV = lastV = before->first;
                // Before a stretch, the sample before is the last one kept when it is in view.
                hasLast = keptPrevious = inside;
            } else {
                hasRemembered = false;
                undefined = true;
            }
        }
        // Keeps p, the sample at v, which follows the point kept before it when follows.
        const auto keep = [&](Vertex p, float at, bool follows, size_t i) {
            bool always = undefined, ifOpposite = false;
            if (hasLast) {
                if (!follows)
                    ifOpposite = true;
                else if (definedOnly && MayJump(edges, lastP, p) &&
                         sample.ThroughPole(lastV, at, edges))
                    always = true;
            }
            if (always || ifOpposite) out.gaps.push_back({out.kept.size(), always});
            if (out.kept.empty()) out.firstSample = offset + static_cast<int64_t>(i);
            out.kept.push_back(p);
            lastP = p;
            lastV = at;
            lastI = i;
            hasLast = true;
            undefined = false;
        };
        SingleRun(v, max, step, [&](size_t i, float at) {
            if (i >= count) return false;
            if (stop && (i & 1023) == 0 && stop->load(std::memory_order_relaxed)) return false;
            const Sampled s = sample(at);
            if (!s.defined) {
                // The line ends at the last defined sample and starts again after.
                inside = hasRemembered = hasLast = keptPrevious = false;
                undefined = true;
                return true;
            }
            if (inView(s.p)) {
                if (inside && keptPrevious && !definedOnly) {
                    // The usual case: the sample after the last one kept, nothing to decide.
                    out.kept.push_back(s.p);
                    lastI = i;
                    return true;
                }
                if (!inside) {
                    if (hasRemembered) {
                        if (out.kept.empty()) out.startsWithRemembered = true;
                        if (out.kept.empty() || !(out.kept.back() == rememberedP)) {
                            // The sample before this one: i - 1, or the one before the stretch.
                            keep(rememberedP, rememberedV, rememberedFollows && hasLast,
                                 i == 0 ? static_cast<size_t>(-1) : i - 1);
                            keptPrevious = true;
                        }
                    }
                    inside = true;
                }
                keep(s.p, at, keptPrevious, i);
                keptPrevious = true;
            } else {
                const bool previousKept = keptPrevious;
                keptPrevious = inside; // the first sample past the edge is kept
                if (inside) {
                    keep(s.p, at, previousKept, i);
                    inside = false;
                }
                // Remembered, it follows the point kept last when the sample before it was
                // kept (when it is that point itself, it is never kept again).
                rememberedFollows = previousKept;
                rememberedP = s.p;
                rememberedV = at;
                hasRemembered = true;
            }
            return true;
        });
        if (!out.kept.empty()) out.lastSample = offset + static_cast<int64_t>(lastI);
        out.endsUndefined = undefined;
    } catch (...) {
        out.failure = std::current_exception();
    }
}

// Where a stretch of a run starts, the sample before it and how many samples it takes.
struct StretchStart {
    float first, before;
    uint64_t count;
    int64_t offset; // the number of its first sample
};

// The run cut into one stretch per thread: the run's own 32-bit sums, worked out without
// evaluating.
std::vector<StretchStart> StretchStarts(const EquationContext& c, float min, float max, float step,
                                        double samples, unsigned threads) {
    std::vector<StretchStart> stretches{{min, min, UINT64_MAX, 0}};
    if (threads <= 1) return stretches;
    const auto share = static_cast<uint64_t>(samples / threads) + 1;
    float previous = min;
    SingleRun(min, max, step, [&](size_t n, float v) {
        if ((n & 0xFFFFF) == 0 && c.Stop && c.Stop->load(std::memory_order_relaxed))
            throw DrawingStopped{};
        if (n > 0 && n % share == 0) {
            stretches.back().count = share;
            stretches.push_back({v, previous, UINT64_MAX, static_cast<int64_t>(n)});
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
template <class Sampler>
void TryTheRun(EquationContext& c, Sampler& sample, float min, float max, double samples,
               unsigned threads) {
    // The thread's own CPU time: a trial the scheduler interrupted on a busy machine would
    // otherwise take a curve that draws in a second for one that cannot.
    const double begun = ThreadSeconds();
    constexpr int Trials = 256;
    int visible = 0;
    for (int i = 0; i < Trials; ++i) {
        try {
            const Sampled s =
                sample(static_cast<float>(min + (static_cast<double>(max) - min) * i / Trials));
            visible += s.defined && InWholeView(c.ViewState, s.p);
        } catch (...) {
            // The run itself reports what fails.
        }
    }
    const double spent = ThreadSeconds() - begun;
    constexpr double DrawingSeconds = 3e-7; // a point on the surface, measured
    const double seconds = samples * (spent / Trials / threads + DrawingSeconds * visible / Trials);
    if (seconds > MaxSeconds) RaiseTooWide(samples);
}

// The stretches' points as one run would have kept them, with the strokes that may be left
// out.
void Stitch(std::vector<Stretch>& parts, std::vector<Vertex>& kept, std::vector<Gap>& gaps) {
    int64_t lastSample = NoSample;
    bool undefinedBefore = false;
    for (Stretch& part : parts) {
        // The first failing sample ends the curve, as in one run.
        if (part.failure) std::rethrow_exception(part.failure);
        if (part.kept.empty()) {
            undefinedBefore |= part.endsUndefined;
            continue;
        }
        size_t skip = 0;
        if (part.startsWithRemembered && !kept.empty() && kept.back() == part.kept.front())
            skip = 1;
        const size_t base = kept.size() - skip; // where part.kept[0] would go
        // The stroke from the stretch before into this one's first new point: decided here
        // unless the stretch decided it from the sample before it.
        const bool joinDecided = std::any_of(part.gaps.begin(), part.gaps.end(),
                                             [&](const Gap& gap) { return gap.index == skip; });
        if (!joinDecided && !kept.empty()) {
            if (undefinedBefore)
                gaps.push_back({kept.size(), true});
            else if (skip == 0 && part.startsWithRemembered && part.firstSample != lastSample + 1)
                gaps.push_back({kept.size(), false});
        }
        for (const Gap& gap : part.gaps)
            if (gap.index >= skip)
                gaps.push_back(
                    {base + gap.index, gap.always || (gap.index == skip && undefinedBefore)});
        if (kept.empty())
            kept = std::move(part.kept); // the usual run: one stretch, nothing to stitch
        else
            kept.insert(kept.end(), part.kept.begin() + static_cast<ptrdiff_t>(skip),
                        part.kept.end());
        lastSample = part.lastSample;
        undefinedBefore = part.endsUndefined;
    }
}

// Samples v from min to max by the view's step and joins the kept points from the second one
// on. make(parser) gives what samples the curve with that parser: a long run is cut into
// stretches sampled on threads of their own, each with its parser's copy, and stitched so
// that the points kept are exactly those of one run (a curve using RND stays one run: its
// numbers come in order).
template <class MakeSampler, class InView>
CurveTiming Sample(EquationContext& c, const std::vector<const std::string*>& texts, float min,
                   float max, Rgb color, MakeSampler make, InView inView) {
    const float start = c.Timer.Timer();
    CurveTiming timing;
    try {
        const bool random = CheckTexts(texts);
        const float step = c.ViewState.SampleStep();
        const double samples = SampleCount(min, max, step);
        if (samples > MaxSamples) RaiseTooWide(samples);
        const Edges edges(c.ViewState);
        auto sample = make(c.Parser);
        // Whether the run can finish, tried at a few of its samples (not for RND, whose
        // numbers the trial would take from the run).
        unsigned threads = 1;
        if (samples > ParallelSamples && !random) {
            threads = c.Threads ? c.Threads : std::max(1u, std::thread::hardware_concurrency());
            TryTheRun(c, sample, min, max, samples, threads);
        }
        const std::vector<StretchStart> stretches =
            StretchStarts(c, min, max, step, samples, threads);
        std::vector<Stretch> parts(stretches.size());
        {
            std::vector<clsExpressionParser> parsers(stretches.size() - 1, c.Parser);
            OnThreads(stretches.size(), [&](size_t i) {
                if (i == 0) {
                    // Room for every sample of an ordinary run at once: growing by doubling
                    // cost the redraw a tenth of its time.
                    parts[0].kept.reserve(
                        static_cast<size_t>(
                            std::min(samples / static_cast<double>(stretches.size()), 1e6)) +
                        2);
                    SampleStretch(parts[0], min, max, step, stretches[0].count, 0, std::nullopt,
                                  sample, inView, edges, c.Stop);
                    return;
                }
                auto own = make(parsers[i - 1]);
                // The sample before the stretch decides how it starts.
                std::optional<std::pair<float, Sampled>> previous;
                try {
                    previous.emplace(stretches[i].before, own(stretches[i].before));
                } catch (...) {
                    parts[i].failure = std::current_exception();
                    return;
                }
                SampleStretch(parts[i], stretches[i].first, max, step, stretches[i].count,
                              stretches[i].offset, previous, own, inView, edges, c.Stop);
            });
        }
        if (c.Stop && c.Stop->load()) throw DrawingStopped{};
        std::vector<Vertex> kept;
        std::vector<Gap> gaps;
        Stitch(parts, kept, gaps);
        // The first kept point only leads into the first stretch; the line starts after it.
        if (kept.size() > 2) {
            for (Gap& gap : gaps)
                gap.index -= gap.index > 0 ? 1 : 0;
            JoinVisible(c, kept.data() + 1, kept.size() - 1, gaps, color);
        }
        timing.Drawn = true;
    } catch (const DrawingStopped&) {
        throw;
    } catch (...) {
        // The time is the evaluation's, not the time the error box stays open.
        timing.Elapsed = c.Timer.Timer() - start;
        const AppError error = CurrentError();
        timing.Failure = error.Number;
        timing.FailureText = error.Description;
        ReportError(c.Messages, error);
        return timing;
    }
    timing.Elapsed = c.Timer.Timer() - start;
    return timing;
}

// A curve's point at a sample, from the values of its N expressions there: place(v, values)
// gives the point's coordinates. In drawing where the curve is defined, a value that fails
// with an arithmetic error, or a coordinate beyond a single's range, makes the sample
// undefined instead of ending the curve.
template <size_t N, class Place> class Sampler {
public:
    Sampler(clsExpressionParser& parser, const std::array<const std::string*, N>& texts,
            const char* var, bool definedOnly, Place place)
        : definedOnly_(definedOnly), place_(place) {
        for (const std::string* text : texts)
            f_.emplace_back(parser, *text, var);
    }

    Sampled operator()(float v) {
        std::array<double, N> values;
        if (!definedOnly_) {
            for (size_t i = 0; i < N; ++i)
                values[i] = f_[i].Value(v);
            const auto [x, y] = place_(static_cast<double>(v), values);
            return {{plotmath::ToSingle(x), plotmath::ToSingle(y)}};
        }
        for (size_t i = 0; i < N; ++i) {
            const std::optional<double> value = f_[i].DefinedValue(v);
            if (!value) return {{0, 0}, false};
            values[i] = *value;
        }
        const auto [x, y] = place_(static_cast<double>(v), values);
        constexpr double Most = std::numeric_limits<float>::max();
        if (!(std::fabs(x) <= Most && std::fabs(y) <= Most)) return {{0, 0}, false};
        return {{static_cast<float>(x), static_cast<float>(y)}};
    }

    bool DefinedOnly() const { return definedOnly_; }

    // Whether the curve jumps through a pole between the samples at a and b: halving the
    // stretch between them (at exact arguments), the curve never comes into view, and its
    // distance from the view grows without bound, or it is undefined somewhere between.
    bool ThroughPole(float a, float b, const Edges& e) {
        for (const CurveEvaluator& f : f_)
            if (!f.IsCompiled()) return false;
        double ta = SampleArgument(a), tb = SampleArgument(b);
        std::optional<std::pair<double, double>> pa = Exact(ta), pb = Exact(tb);
        if (!pa || !pb) return true;
        // An end in view is the one moved towards the other.
        if (Beyond(e, pb->first, pb->second) == 0) {
            std::swap(ta, tb);
            std::swap(pa, pb);
        }
        const double cx = (static_cast<double>(e.left) + e.right) / 2,
                     cy = (static_cast<double>(e.top) + e.bottom) / 2;
        const auto reach = [&](const std::pair<double, double>& p) {
            return std::max(std::fabs(p.first - cx), std::fabs(p.second - cy));
        };
        const double start =
            std::max({reach(*pa), reach(*pb), static_cast<double>(e.right) - e.left,
                      static_cast<double>(e.top) - e.bottom});
        const unsigned sideB = Beyond(e, pb->first, pb->second);
        for (int i = 0; i < 200; ++i) {
            const double m = ta + (tb - ta) / 2;
            if (m == ta || m == tb) break;
            const auto pm = Exact(m);
            if (!pm) return true;
            const unsigned side = Beyond(e, pm->first, pm->second);
            if (side == 0 && Beyond(e, pa->first, pa->second) != 0) return false;
            if (side & sideB) {
                tb = m;
                pb = pm;
            } else {
                ta = m;
                pa = pm;
            }
        }
        return std::max(reach(*pa), reach(*pb)) > 1000 * start;
    }

private:
    // The value text's number for a sample, as the drawing evaluates it.
    static double SampleArgument(float v) {
        const int64_t k = SampleValueTenThousandths(v);
        return k == NoTenThousandths ? static_cast<double>(v) : static_cast<double>(k) / 10000.0;
    }

    std::optional<std::pair<double, double>> Exact(double t) {
        std::array<double, N> values;
        for (size_t i = 0; i < N; ++i) {
            const std::optional<double> value = f_[i].QuietExactValue(t);
            if (!value) return std::nullopt;
            values[i] = *value;
        }
        return place_(t, values);
    }

    bool definedOnly_;
    Place place_;
    std::vector<CurveEvaluator> f_;
};

template <size_t N, class Place>
auto MakeSampler(EquationContext& c, std::array<const std::string*, N> texts, const char* var,
                 Place place) {
    return [&c, texts, var, place](clsExpressionParser& parser) {
        return Sampler<N, Place>(parser, texts, var, c.DefinedOnly, place);
    };
}

} // namespace

CurveTiming DrawYofX(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color) {
    const View& view = c.ViewState;
    return Sample(c, {&expression}, min, max, color,
                  MakeSampler<1>(c, {&expression}, "x",
                                 [](double v, const std::array<double, 1>& y) {
                                     return std::pair{v, y[0]};
                                 }),
                  [&](const Vertex& p) { return view.Bottom() <= p.y && p.y <= view.ScaleTop(); });
}

CurveTiming DrawXofY(EquationContext& c, const std::string& expression, float min, float max,
                     Rgb color) {
    const View& view = c.ViewState;
    return Sample(c, {&expression}, min, max, color,
                  MakeSampler<1>(c, {&expression}, "y",
                                 [](double v, const std::array<double, 1>& x) {
                                     return std::pair{x[0], v};
                                 }),
                  [&](const Vertex& p) { return view.ScaleLeft() <= p.x && p.x <= view.Right(); });
}

CurveTiming DrawParametric(EquationContext& c, const std::string& expressionX,
                           const std::string& expressionY, float min, float max, Rgb color) {
    return Sample(c, {&expressionX, &expressionY}, min, max, color,
                  MakeSampler<2>(c, {&expressionX, &expressionY}, "t",
                                 [](double, const std::array<double, 2>& xy) {
                                     return std::pair{xy[0], xy[1]};
                                 }),
                  [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

CurveTiming DrawPolar(EquationContext& c, const std::string& expression, Rgb color) {
    const auto twoPi = static_cast<float>(8 * std::atan(1.0));
    return Sample(c, {&expression}, 0.0f, twoPi, color,
                  MakeSampler<1>(c, {&expression}, "z",
                                 [](double z, const std::array<double, 1>& r) {
                                     return std::pair{r[0] * std::cos(z), r[0] * std::sin(z)};
                                 }),
                  [&](const Vertex& p) { return InWholeView(c.ViewState, p); });
}

} // namespace orbiplot
