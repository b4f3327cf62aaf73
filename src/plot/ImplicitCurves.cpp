// Implicit curves by adaptive subdivision of the view: a quadtree over a coarse grid, marching
// squares at pixel size, each crossing located on F itself. Written here rather than taken from
// a library: the cells must be the view's pixels, F's values come from our compiled
// expressions with their domain, and poles and touching zeros need our rules.
#include "plot/ImplicitCurves.h"

#include "base/AppError.h"
#include "base/Threads.h"
#include "base/modError.h"
#include "doc/CurveRecord.h"
#include "expr/PlaneFunction.h"
#include "expr/clsExpressionParser.h"
#include "plot/Canvas.h"
#include "plot/View.h"

#include <boost/container/static_vector.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>
#include <tuple>

namespace orbiplot {
namespace {

constexpr int CoarseCell = 16; // pixels, a power of two
// How often a pixel's edge is halved in looking for zeros between corners of one sign.
constexpr int DipDepth = 10;
// One edge in so many pixels of the view may have two zeros between corners of one sign before
// they are no longer looked for, and at most so many in all: a screen's worth of lines that
// close (the first view of sin(x y) = cos(x + y) has 3,300) and not a moire's.
constexpr int DipShare = 64;
constexpr int64_t MostDips = 1 << 16;
int64_t DipBudget(int columns, int rows) {
    return std::clamp<int64_t>(int64_t{columns} * rows / DipShare, 4096, MostDips);
}
// The budget is shared out evenly, so many edges to each coarse cell, and what a cell leaves
// is kept for the cells after it up to an eighth of the budget: a curve finer than the pixels
// is then searched alike all over the view (once the first rows took all, and showed as a
// solid band below a moire), while lines that close in a few places still get what the
// cells without them left.
constexpr int64_t DipKeep = 8;

// A place where the zero set crosses: a cell edge of the pixel grid (or a touching zero on
// one), the same key from both cells beside it.
using PointKey = uint64_t;
// kind: 0 and 1 a crossing of a pixel's level and upright edge, 2 and 3 a touching zero on
// one.
PointKey KeyOf(int64_t i, int64_t j, int kind) {
    return (static_cast<uint64_t>(i) << 34) ^ (static_cast<uint64_t>(j) << 3) ^
           static_cast<uint64_t>(kind);
}

int KindOf(PointKey key) { return static_cast<int>(key & 7); }
int64_t KeyI(PointKey key) { return static_cast<int64_t>(key >> 34); }
int64_t KeyJ(PointKey key) { return static_cast<int64_t>((key >> 3) & 0x7FFFFFFF); }
// A segment taken back when its cell is worked out again.
constexpr int Dead = -1;

// An open-addressing table from point keys to values: the crossings of a dense curve number
// in the hundreds of thousands, and a node per entry cost more than finding them.
template <class V> class KeyTable {
public:
    KeyTable() { Resize(1024); }
    // The value for key, made from make() when the key is new.
    template <class Make> V& Get(PointKey key, Make&& make) {
        if (2 * (size_ + 1) > keys_.size()) Resize(keys_.size() * 2);
        size_t at = Slot(key);
        while (keys_[at] != Empty) {
            if (keys_[at] == key) return values_[at];
            at = (at + 1) & (keys_.size() - 1);
        }
        keys_[at] = key;
        values_[at] = make();
        ++size_;
        return values_[at];
    }
    const V* Find(PointKey key) const {
        size_t at = Slot(key);
        while (keys_[at] != Empty) {
            if (keys_[at] == key) return &values_[at];
            at = (at + 1) & (keys_.size() - 1);
        }
        return nullptr;
    }
    template <class F> void ForEach(F&& f) const {
        for (size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i] != Empty) f(keys_[i], values_[i]);
    }
    size_t Size() const { return size_; }
    // Empty, its memory given back.
    void Release() {
        std::vector<PointKey>().swap(keys_);
        std::vector<V>().swap(values_);
        size_ = 0;
    }
    // Room for count keys in all, made at once.
    void Reserve(size_t count) {
        size_t capacity = keys_.size();
        while (2 * count > capacity)
            capacity *= 2;
        if (capacity > keys_.size()) Resize(capacity);
    }

private:
    // No key: a pixel's key has its column in the top bits, and no view is that wide.
    static constexpr PointKey Empty = ~PointKey{0};
    size_t Slot(PointKey key) const {
        uint64_t z = key + 0x9E3779B97F4A7C15ULL;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return static_cast<size_t>(z ^ (z >> 31)) & (keys_.size() - 1);
    }
    void Resize(size_t capacity) {
        std::vector<PointKey> keys(capacity, Empty);
        std::vector<V> values(capacity);
        keys_.swap(keys);
        values_.swap(values);
        size_ = 0;
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != Empty) Get(keys[i], [&] { return values[i]; });
    }
    std::vector<PointKey> keys_;
    std::vector<V> values_;
    size_t size_ = 0;
};

// A point of the table: none (a pole, or no zero found) is NaN.
constexpr PlanePoint NoPoint{std::numeric_limits<double>::quiet_NaN(), 0};
bool IsPoint(const PlanePoint& p) { return !std::isnan(p.x); }

// A function of the plane moved by (h, k): F(x - h, y - k), with its own copy of the program.
class Moved {
public:
    Moved(const PlaneFunction& f, double h, double k) : f_(f), h_(h), k_(k) {}
    std::optional<double> operator()(double x, double y) { return f_.Value(x - h_, y - k_); }
    std::optional<PlaneFunction::WithGradient> Slope(double x, double y) {
        return f_.Gradient(x - h_, y - k_);
    }
    std::optional<PlaneFunction::Bounds> Range(double x0, double x1, double y0, double y1) {
        return f_.Range(x0 - h_, x1 - h_, y0 - k_, y1 - k_);
    }

private:
    PlaneFunction f_;
    double h_, k_;
};

// Doubles in the order of their values as integers: the doubles between two are counted and
// halved on these.
int64_t Ordered(double v) {
    const auto bits = std::bit_cast<int64_t>(v);
    return bits >= 0 ? bits : std::numeric_limits<int64_t>::min() - bits;
}
double FromOrdered(int64_t o) {
    return std::bit_cast<double>(o >= 0 ? o : std::numeric_limits<int64_t>::min() - o);
}
uint64_t DoublesApart(const std::pair<double, double>& b) {
    const int64_t a = Ordered(b.first), c = Ordered(b.second);
    return a < c ? static_cast<uint64_t>(c) - static_cast<uint64_t>(a)
                 : static_cast<uint64_t>(a) - static_cast<uint64_t>(c);
}
double MiddleDouble(double a, double b) {
    const int64_t x = Ordered(a), y = Ordered(b);
    return FromOrdered(x / 2 + y / 2 + ((x % 2) + (y % 2)) / 2);
}

// Boost's root finders report a failure to converge by a policy: ours keeps the best point.
using NoThrow = boost::math::policies::policy<
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>>;

// The pixel rows [From, To) of the view traced at once (From a multiple of CoarseCell), and
// how many pairs of zeros between corners of one sign may be looked for in them.
struct Strip {
    int From, To;
    int64_t Dips;
};

// Coarse rows of a strip, traced on a thread of its own.
class Tracer {
public:
    Tracer(const PlaneFunction& f, double h, double k, double left, double right, double bottom,
           double top, int columns, int rows, Strip strip, const std::atomic<bool>* stop)
        : f_(f, h, k), left_(left), right_(right), bottom_(bottom), top_(top), columns_(columns),
          rows_(rows), strip_(strip), stop_(stop),
          dipsEach_(std::max<int64_t>(1, strip.Dips * CoarseCell * CoarseCell /
                                             (int64_t{columns} * (strip.To - strip.From)))),
          dipsKept_(std::max(dipsEach_, strip.Dips / DipKeep)) {}

    // Coarse rows of the strip as they are claimed from next (the strip's first to begin
    // with), until there are none left: the curve may crowd into a few rows, so fixed bands
    // would leave a thread idle.
    void Run(std::atomic<int>& next) {
        const int across = (columns_ + CoarseCell - 1) / CoarseCell;
        const int up = (strip_.To + CoarseCell - 1) / CoarseCell;
        for (int cj = next++; cj < up; cj = next++)
            for (int ci = 0; ci < across; ++ci) {
                if (stop_ && stop_->load()) return;
                ci0_ = ci * CoarseCell;
                cj0_ = cj * CoarseCell;
                std::fill(known_.begin(), known_.end(), uint8_t{0});
                dipsLeft_ = std::min(dipsLeft_, dipsKept_) + dipsEach_;
                Cell(0, 0, CoarseCell);
            }
    }

    // The bands' points and segments as one, to be chained.
    void Take(Tracer& other) {
        // The other band's points by their places here: a point on the edge between two
        // bands is found by both.
        points_.Reserve(points_.Size() + other.points_.Size());
        cells_.Reserve(cells_.Size() + other.cells_.Size());
        whole_.Reserve(whole_.Size() + other.whole_.Size());
        places_.reserve(places_.size() + other.places_.size());
        std::vector<int> here(other.places_.size());
        other.points_.ForEach([&](PointKey k, int at) {
            const PlanePoint theirs = other.places_[static_cast<size_t>(at)];
            const auto [mine, place] = Point(k, [&] { return theirs; });
            // An edge searched for zeros from both sides may have had them found on one side
            // only (its budget spent on the other): the zero found is kept, as segments of the
            // other band end at it.
            if (!IsPoint(mine) && IsPoint(theirs)) places_[static_cast<size_t>(place)] = theirs;
            here[static_cast<size_t>(at)] = place;
        });
        const int offset = static_cast<int>(segments_.size());
        other.cells_.ForEach([&](PointKey k, const std::array<int, 2>& c) {
            cells_.Get(k, [&] { return std::array<int, 2>{c[0] + offset, c[1]}; });
        });
        for (const auto& [a, b] : other.segments_)
            segments_.push_back(a == Dead ? std::array<int, 2>{Dead, Dead}
                                          : std::array<int, 2>{here[static_cast<size_t>(a)],
                                                               here[static_cast<size_t>(b)]});
        dips_.insert(dips_.end(), other.dips_.begin(), other.dips_.end());
        other.whole_.ForEach(
            [&](PointKey k, uint8_t) { whole_.Get(k, [] { return uint8_t{1}; }); });
        unresolved_ = unresolved_ || other.unresolved_;
        patch_ = patch_ || other.patch_;
        // A large view's bands hold millions of points: each is given back once taken.
        other.points_.Release();
        other.cells_.Release();
        other.whole_.Release();
        std::vector<PlanePoint>().swap(other.places_);
        std::vector<std::array<int, 2>>().swap(other.segments_);
        std::vector<PointKey>().swap(other.dips_);
    }

    // Two branches that pass within a pixel of each other cross its edge twice, and the pixels
    // whose corners keep one sign find them; the pixel on the other side of such an edge,
    // worked out before by its corners alone, is worked out again with them, and so on from
    // pixel to pixel until every such zero joins on both sides.
    void Mend() {
        std::vector<PointKey> work;
        work.swap(dips_);
        // A curve finer than the pixels finds pairs of zeros on most edges: past this many
        // pixels, what is drawn is already a solid mass and more costs time for nothing.
        int64_t pixelsLeft = strip_.Dips;
        size_t done = 0;
        while (!work.empty()) {
            if (stop_ && stop_->load() && (++done & 63) == 0) return;
            const PointKey key = work.back();
            work.pop_back();
            const int64_t i = KeyI(key), j = KeyJ(key);
            const bool level = KindOf(key) % 2 == 0;
            for (const auto& [pi, pj] :
                 {std::pair{i, j}, level ? std::pair{i, j - 1} : std::pair{i - 1, j}}) {
                if (pi < 0 || pj < strip_.From || pi >= columns_ || pj >= strip_.To) continue;
                if (whole_.Find(KeyOf(pi, pj, 0))) continue;
                // A cell of two pixels drawn by its chord is taken back and done pixel by
                // pixel.
                const int64_t qi = pi & ~int64_t{1}, qj = pj & ~int64_t{1};
                std::vector<std::pair<int64_t, int64_t>> again{{pi, pj}};
                if (Forget(KeyOf(qi, qj, 2)))
                    again = {{qi, qj}, {qi + 1, qj}, {qi, qj + 1}, {qi + 1, qj + 1}};
                else
                    Forget(KeyOf(pi, pj, 1));
                for (const auto& [ai, aj] : again)
                    if (ai < columns_ && aj < strip_.To && !whole_.Find(KeyOf(ai, aj, 0)) &&
                        pixelsLeft-- > 0)
                        Pixel(ai, aj, false);
                // Pairs the pixels just worked out found, for their neighbours in turn.
                work.insert(work.end(), dips_.begin(), dips_.end());
                dips_.clear();
            }
        }
    }

    ZeroSet Result() {
        // Only the points and their segments are needed to chain them.
        points_.Release();
        cells_.Release();
        whole_.Release();
        ZeroSet out;
        out.Lines = Chain();
        out.Unresolved = unresolved_;
        out.Patch = patch_;
        return out;
    }

private:
    // The grid's world coordinates, each worked out the same way wherever it is needed.
    double X(int64_t i) const {
        return left_ + (right_ - left_) * static_cast<double>(i) / columns_;
    }
    double Y(int64_t j) const {
        return bottom_ + (top_ - bottom_) * static_cast<double>(j) / rows_;
    }

    // F at a corner of the coarse cell's grid (local i, j), kept while the cell is worked on.
    std::optional<double> Corner(int i, int j) {
        const size_t at = static_cast<size_t>(j * (CoarseCell + 1) + i);
        if (!known_[at]) {
            const auto v = f_(X(ci0_ + i), Y(cj0_ + j));
            known_[at] = v ? 1 : 2;
            values_[at] = v ? *v : 0;
        }
        return known_[at] == 1 ? std::optional(values_[at]) : std::nullopt;
    }

    void Cell(int i, int j, int size) {
        std::array<std::optional<double>, 4> v{Corner(i, j), Corner(i + size, j),
                                               Corner(i + size, j + size), Corner(i, j + size)};
        int defined = 0, positive = 0;
        for (const auto& c : v)
            if (c) {
                ++defined;
                positive += *c >= 0;
            }
        if (defined == 0) return;
        if (defined < 4) {
            // The edge of F's domain: only the pixels wholly inside draw.
            if (size > 1) Split(i, j, size);
            return;
        }
        if (*v[0] == 0 && *v[1] == 0 && *v[2] == 0 && *v[3] == 0) {
            // F vanishes at every corner and the middle: a patch of the plane, not a curve
            // (0 = 0, or x - x): nothing to draw, and it is said.
            const auto middle = size > 1 ? Corner(i + size / 2, j + size / 2)
                                         : f_(X(ci0_ + i) + (X(ci0_ + i + 1) - X(ci0_ + i)) / 2,
                                              Y(cj0_ + j) + (Y(cj0_ + j + 1) - Y(cj0_ + j)) / 2);
            if (middle && *middle == 0) {
                patch_ = true;
                return;
            }
        }
        const bool change = positive != 0 && positive != 4;
        if (change) {
            // A cell of two pixels that the line simply crosses is drawn whole: its chord
            // between two exact points lies within a hundredth of a pixel of any curve that
            // bends less than a pixel's width. Anything else goes down to one pixel.
            // A pixel with an edge whose ends keep one sign but along which F may reach zero
            // (a second line passing close beside the first) is looked at edge by edge, while
            // such pairs of zeros are still looked for.
            if (size == 1 && dipsLeft_ > 0 && !EdgesClear(i, j))
                Pixel(ci0_ + i, cj0_ + j, false, std::array<double, 4>{*v[0], *v[1], *v[2], *v[3]});
            else if (size == 1 || (size == 2 && SimpleCrossing(i, j)))
                March(i, j, size, v);
            else
                Split(i, j, size);
            return;
        }
        if (!MayHide(i, j, size, v)) return;
        if (size > 1)
            Split(i, j, size);
        else if (nearTouch_)
            Touch(i, j, v);
    }

    void Split(int i, int j, int size) {
        const int h = size / 2;
        Cell(i, j, h);
        Cell(i + h, j, h);
        Cell(i, j + h, h);
        Cell(i + h, j + h, h);
    }

    // Whether a zero may hide within a cell whose corners keep one sign: F's value at the
    // middle (a corner of the cell's quarters, so kept for them) against how much F changes
    // across the cell and how far it strays from the plane through the corners.
    bool MayHide(int i, int j, int size, const std::array<std::optional<double>, 4>& v) {
        nearTouch_ = false;
        double least = std::fabs(*v[0]), lowest = *v[0], highest = *v[0], mean = 0;
        for (const auto& c : v) {
            least = std::min(least, std::fabs(*c));
            lowest = std::min(lowest, *c);
            highest = std::max(highest, *c);
            mean += *c / 4;
        }
        if (size == 1) {
            // A pixel is looked at for a touching zero only where its corners come near zero
            // against their spread and F bends towards zero: its middle nearer zero than the
            // corners' mean. Beside a line that crosses, F is nearly flat across the pixel and
            // its middle lies at the mean.
            const double spread = highest - lowest;
            if (least > 2 * spread) return false;
            const double x0 = X(ci0_ + i), y0 = Y(cj0_ + j);
            const auto m = f_(x0 + (X(ci0_ + i + 1) - x0) / 2, y0 + (Y(cj0_ + j + 1) - y0) / 2);
            if (!m) return false;
            const double sign = *v[0] >= 0 ? 1 : -1;
            nearTouch_ = sign * *m <= sign * mean - spread / 16;
            return nearTouch_;
        }
        // Larger cells by F's bounds over the cell: its values at a few points cannot show a
        // function that waves within it, nor two lines that cross an edge between its corners.
        if (const auto r =
                f_.Range(X(ci0_ + i), X(ci0_ + i + size), Y(cj0_ + j), Y(cj0_ + j + size)))
            return r->Low <= 0 && r->High >= 0;
        // Where F has no bounds (a pole may lie within), its values and slope must say.
        // Within a cell of two pixels only a touching zero can hide unseen: look closer where the
        // corners come very near zero.
        if (size == 2 && least > 0.25 * (highest - lowest)) return false;
        const int h = size / 2;
        const auto middle = Corner(i + h, j + h);
        if (!middle || (*middle >= 0) != (*v[0] >= 0)) return true;
        const double stray = std::fabs(*middle - mean);
        if (size >= 8) {
            // Large cells by F's slope at the middle: a function that waves within the cell
            // can show the same value at every corner and the middle. Where that slope differs
            // from the one the corners show, F is not plane across the cell: its middle may sit
            // on a crest between troughs that reach zero.
            const double x0 = X(ci0_ + i), x1 = X(ci0_ + i + size);
            const double y0 = Y(cj0_ + j), y1 = Y(cj0_ + j + size);
            const double w = x1 - x0, height = y1 - y0;
            const auto g = f_.Slope(x0 + w / 2, y0 + height / 2);
            if (!g) return true;
            const double reach = (std::fabs(g->Dx * w) + std::fabs(g->Dy * height)) / 2;
            const double cornersX = ((*v[1] - *v[0]) + (*v[2] - *v[3])) / 2,
                         cornersY = ((*v[3] - *v[0]) + (*v[2] - *v[1])) / 2;
            const double bend =
                (std::fabs(g->Dx * w - cornersX) + std::fabs(g->Dy * height - cornersY)) / 2;
            return std::fabs(*middle) <= 2 * reach + 4 * (stray + bend);
        }
        const double across = (std::fabs((*v[1] - *v[0]) + (*v[2] - *v[3])) +
                               std::fabs((*v[3] - *v[0]) + (*v[2] - *v[1]))) /
                              4;
        return std::fabs(*middle) <= 1.5 * across + 4 * stray;
    }

    // F along a cell edge from (xa, ya) to (xb, yb) at parameter s in [0, 1].
    struct Edge {
        double xa, ya, xb, yb;
        bool horizontal;
        double At(double s) const { return horizontal ? xa + (xb - xa) * s : ya + (yb - ya) * s; }
    };

    std::optional<double> Along(const Edge& e, double u) {
        return e.horizontal ? f_(u, e.ya) : f_(e.xa, u);
    }

    // The zero of F between the ends of an edge where F has opposite signs, to the last bit;
    // nothing where F has no value on the way, or where the change of sign is a pole.
    std::optional<PlanePoint> Crossing(const Edge& e, double fa, double fb) {
        // TOMS 748 (interpolation by inverse cubics, bracketed): a smooth F's zero to the last
        // bit in four or five values.
        struct NoValue {};
        // Every value the solver asks for, so that the last bracket's ends are not evaluated
        // again.
        struct Seen {
            double u, value;
        };
        Seen seen[64]; // left unset: the solver's few values are all that is read
        size_t count = 0;
        seen[count++] = {e.horizontal ? e.xa : e.ya, fa};
        seen[count++] = {e.horizontal ? e.xb : e.yb, fb};
        const auto f = [&](double u) {
            const auto v = Along(e, u);
            if (!v) throw NoValue{};
            if (count < std::size(seen)) seen[count++] = {u, *v};
            return *v;
        };
        const auto value = [&](double u) -> std::optional<double> {
            for (size_t n = count; n-- > 0;)
                if (seen[n].u == u) return seen[n].value;
            return Along(e, u);
        };
        std::pair<double, double> bracket;
        try {
            std::uintmax_t most = 60;
            bracket = boost::math::tools::toms748_solve(
                f, e.horizontal ? e.xa : e.ya, e.horizontal ? e.xb : e.yb, fa, fb,
                boost::math::tools::eps_tolerance<double>(52), most, NoThrow());
        } catch (const NoValue&) {
            return std::nullopt;
        }
        auto va = value(bracket.first), vb = value(bracket.second);
        if (!va || !vb) return std::nullopt;
        // At a pole F grows towards the change of sign; at a zero it falls.
        if (std::min(std::fabs(*va), std::fabs(*vb)) > std::min(std::fabs(fa), std::fabs(fb)))
            return std::nullopt;
        // A zero of high order (x^3 at 0) can use up the solver's steps with the bracket still
        // wide: it is halved by the doubles between its ends, down to neighbours.
        for (int n = 0; n < 70 && *va != 0 && *vb != 0 && DoublesApart(bracket) > 16; ++n) {
            const double m = MiddleDouble(bracket.first, bracket.second);
            const auto vm = Along(e, m);
            if (!vm) return std::nullopt;
            if ((*vm >= 0) == (*va >= 0))
                bracket.first = m, va = vm;
            else
                bracket.second = m, vb = vm;
        }
        // The end of the last bracket where F is smaller.
        const bool first = std::fabs(*va) <= std::fabs(*vb);
        const double best = first ? bracket.first : bracket.second;
        return e.horizontal ? PlanePoint{best, e.ya} : PlanePoint{e.xa, best};
    }

    // Edges of the pixel cell (i, j) in the order bottom, right, top, left, each from its
    // lower-left corner, with the global keys of their crossings.
    std::array<Edge, 4> EdgesOf(int i, int j, int size) const {
        const double x0 = X(ci0_ + i), x1 = X(ci0_ + i + size);
        const double y0 = Y(cj0_ + j), y1 = Y(cj0_ + j + size);
        return {Edge{x0, y0, x1, y0, true}, Edge{x1, y0, x1, y1, false}, Edge{x0, y1, x1, y1, true},
                Edge{x0, y0, x0, y1, false}};
    }
    std::array<PointKey, 4> KeysOf(int i, int j, int size, int kind) const {
        const int64_t gi = ci0_ + i, gj = cj0_ + j;
        return {KeyOf(gi, gj, kind), KeyOf(gi + size, gj, kind + 1), KeyOf(gi, gj + size, kind),
                KeyOf(gi, gj, kind + 1)};
    }

    // Whether no edge of the pixel at (i, j) whose ends keep one sign can have a zero between
    // them, by F's bounds along it.
    bool EdgesClear(int i, int j) {
        for (const auto& [ei, ej, upright] : {std::tuple{i, j, false}, std::tuple{i, j + 1, false},
                                              std::tuple{i, j, true}, std::tuple{i + 1, j, true}}) {
            const auto a = Corner(ei, ej), b = upright ? Corner(ei, ej + 1) : Corner(ei + 1, ej);
            if (!a || !b || (*a >= 0) != (*b >= 0)) continue;
            const double x0 = X(ci0_ + ei), y0 = Y(cj0_ + ej);
            const auto r = upright ? f_.Range(x0, x0, y0, Y(cj0_ + ej + 1))
                                   : f_.Range(x0, X(ci0_ + ei + 1), y0, y0);
            if (!r || (r->Low <= 0 && r->High >= 0)) return false;
        }
        return true;
    }

    // The cell of two pixels at (i, j) is crossed by one line: F's sign changes just twice
    // around the eight pixel corners of its edges. A line that crosses one edge twice between
    // the cell's corners, or a second line, shows at the corners between.
    bool SimpleCrossing(int i, int j) {
        const std::array<std::pair<int, int>, 8> ring{
            {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}}};
        int changes = 0;
        std::optional<double> last = Corner(i, j + 1);
        for (const auto& [di, dj] : ring) {
            const auto v = Corner(i + di, j + dj);
            if (!v || !last) return false;
            changes += (*v >= 0) != (*last >= 0);
            last = v;
        }
        return changes == 2;
    }

    // The crossing on the edge of a cell from local place (si, sj), level or upright, size
    // units long, with F's values fa and fb at its ends: kept under the key of the pixel edge
    // it lies on, so that cells of either size beside it share it; its place. Nothing at a
    // pole.
    std::optional<int> CrossingOn(int si, int sj, bool upright, int size, double fa, double fb) {
        while (size > 1) {
            // The half where the sign changes (the middle is a corner of the grid, kept).
            const int h = size / 2;
            const auto fm = upright ? Corner(si, sj + h) : Corner(si + h, sj);
            if (!fm) return std::nullopt;
            if ((fa >= 0) != (*fm >= 0)) {
                fb = *fm;
            } else {
                fa = *fm;
                (upright ? sj : si) += h;
            }
            size = h;
        }
        const PointKey key = KeyOf(ci0_ + si, cj0_ + sj, upright ? 1 : 0);
        const double x0 = X(ci0_ + si), y0 = Y(cj0_ + sj);
        const Edge e = upright ? Edge{x0, y0, x0, Y(cj0_ + sj + 1), false}
                               : Edge{x0, y0, X(ci0_ + si + 1), y0, true};
        const auto [p, at] = Point(key, [&] {
            const auto c = Crossing(e, fa, fb);
            return c ? *c : NoPoint;
        });
        if (!IsPoint(p)) return std::nullopt;
        return at;
    }

    void March(int i, int j, int size, const std::array<std::optional<double>, 4>& v) {
        const size_t first = segments_.size();
        MarchSegments(i, j, size, v);
        Record(ci0_ + i, cj0_ + j, size, first);
    }

    // The segments made since first, as the work of the cell at (gi, gj) of size 1 or 2.
    void Record(int64_t gi, int64_t gj, int size, size_t first) {
        if (segments_.size() == first) return;
        cells_.Get(KeyOf(gi, gj, size), [&] {
            return std::array<int, 2>{static_cast<int>(first),
                                      static_cast<int>(segments_.size() - first)};
        });
    }

    // Takes back the segments of a cell; whether it had any.
    bool Forget(PointKey cell) {
        const std::array<int, 2>* c = cells_.Find(cell);
        if (!c || (*c)[1] == 0) return false;
        for (int n = 0; n < (*c)[1]; ++n)
            segments_[static_cast<size_t>((*c)[0] + n)] = {Dead, Dead};
        cells_.Get(cell, [] { return std::array<int, 2>{}; })[1] = 0;
        return true;
    }

    void MarchSegments(int i, int j, int size, const std::array<std::optional<double>, 4>& v) {
        // Corner values in the order a (lower left), b, c, d.
        std::array<double, 4> f{};
        for (size_t n = 0; n < 4; ++n)
            f[n] = *v[n];
        const auto edges = EdgesOf(i, j, size);
        // Each edge from its lower-left end: bottom a->b, right b->c, top d->c, left a->d.
        const std::array<std::pair<size_t, size_t>, 4> ends{{{0, 1}, {1, 2}, {3, 2}, {0, 3}}};
        const std::array<std::array<int, 3>, 4> starts{
            {{i, j, 0}, {i + size, j, 1}, {i, j + size, 0}, {i, j, 1}}};
        std::array<bool, 4> crosses{};
        std::array<int, 4> keys{}; // the crossings' places
        int count = 0;
        for (size_t n = 0; n < 4; ++n) {
            const double fa = f[ends[n].first], fb = f[ends[n].second];
            crosses[n] = (fa >= 0) != (fb >= 0);
            if (!crosses[n]) continue;
            ++count;
            const auto key =
                CrossingOn(starts[n][0], starts[n][1], starts[n][2] == 1, size, fa, fb);
            // A pole on an edge: no line through this cell.
            if (!key) return;
            keys[n] = *key;
        }
        if (count == 2) {
            std::array<size_t, 2> pair{};
            size_t k = 0;
            for (size_t n = 0; n < 4; ++n)
                if (crosses[n]) pair[k++] = n;
            Segment(keys[pair[0]], keys[pair[1]]);
            return;
        }
        if (count != 4) return;
        // Two branches crossing inside the cell: the lines from edge to opposite edge meet
        // where F is zero (to within the chords' bend), and are drawn through the crossing.
        {
            const PlanePoint a = Place(keys[0]), b = Place(keys[1]), c = Place(keys[2]),
                             d = Place(keys[3]);
            const double ux = c.x - a.x, uy = c.y - a.y, vx = d.x - b.x, vy = d.y - b.y;
            const double den = ux * vy - uy * vx;
            if (den != 0) {
                const double s = ((b.x - a.x) * vy - (b.y - a.y) * vx) / den;
                const auto at = f_(a.x + ux * s, a.y + uy * s);
                double least = std::fabs(f[0]);
                for (double corner : f)
                    least = std::min(least, std::fabs(corner));
                if (at && std::fabs(*at) <= 0.05 * least) {
                    Segment(keys[0], keys[2]);
                    Segment(keys[1], keys[3]);
                    return;
                }
            }
        }
        // A saddle: the middle's sign says which corners its region joins.
        const auto middle = f_((edges[0].xa + edges[0].xb) / 2, (edges[1].ya + edges[1].yb) / 2);
        if (!middle) return;
        if ((*middle >= 0) == (f[0] >= 0)) {
            // a and c joined across the middle: the lines cut off b and d.
            Segment(keys[0], keys[1]);
            Segment(keys[2], keys[3]);
        } else {
            Segment(keys[3], keys[0]);
            Segment(keys[1], keys[2]);
        }
    }

    // A pixel cell where F keeps its sign but may touch zero, or two branches may pass within
    // it.
    void Touch(int i, int j, const std::array<std::optional<double>, 4>& v) {
        Pixel(ci0_ + i, cj0_ + j, true, std::array<double, 4>{*v[0], *v[1], *v[2], *v[3]});
    }

    // The pixel (gi, gj) with every zero on its edges: crossings where the corners differ in
    // sign, and elsewhere a pair of crossings where F dips through zero and back, or a zero it
    // touches. The zeros, in order around the pixel, are joined across the stretches of the
    // edges whose sign differs from the middle's.
    // F's values at the corners are given when they are known.
    void Pixel(int64_t gi, int64_t gj, bool touching,
               std::optional<std::array<double, 4>> known = std::nullopt) {
        whole_.Get(KeyOf(gi, gj, 0), [] { return uint8_t{1}; });
        const double x0 = X(gi), x1 = X(gi + 1), y0 = Y(gj), y1 = Y(gj + 1);
        std::array<double, 4> f{}; // a (lower left), b, c, d
        const std::array<std::pair<double, double>, 4> corners{
            {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
        for (size_t n = 0; n < 4; ++n) {
            const auto v =
                known ? std::optional((*known)[n]) : f_(corners[n].first, corners[n].second);
            if (!v) return;
            f[n] = *v;
        }
        std::array<std::optional<std::optional<PlaneFunction::WithGradient>>, 4> slopes;
        const auto slope = [&](size_t n) {
            if (!slopes[n]) slopes[n] = f_.Slope(corners[n].first, corners[n].second);
            return *slopes[n];
        };
        const std::array<Edge, 4> edges{Edge{x0, y0, x1, y0, true}, Edge{x1, y0, x1, y1, false},
                                        Edge{x0, y1, x1, y1, true}, Edge{x0, y0, x0, y1, false}};
        const std::array<std::pair<int64_t, int64_t>, 4> starts{
            {{gi, gj}, {gi + 1, gj}, {gi, gj + 1}, {gi, gj}}};
        const std::array<std::pair<size_t, size_t>, 4> ends{{{0, 1}, {1, 2}, {3, 2}, {0, 3}}};
        // The zeros in order around the pixel, with their places along its edges (0 to 4).
        struct Zero {
            int key; // its place
            PlanePoint p;
            double around;
        };
        boost::container::static_vector<Zero, 8> zeros; // two at most on each edge
        for (size_t n = 0; n < 4; ++n) {
            const Edge& e = edges[n];
            const double fa = f[ends[n].first], fb = f[ends[n].second];
            const int upright = e.horizontal ? 0 : 1;
            const auto [si, sj] = starts[n];
            std::array<int, 2> keys{}; // the zeros' places
            size_t count = 0;
            if ((fa >= 0) != (fb >= 0)) {
                const auto [p, at] = Point(KeyOf(si, sj, upright), [&] {
                    const auto c = Crossing(e, fa, fb);
                    return c ? *c : NoPoint;
                });
                // A pole on an edge: no line through this pixel.
                if (!IsPoint(p)) return;
                keys[count++] = at;
            } else {
                const PointKey first = KeyOf(si, sj, 2 + upright),
                               second = KeyOf(si, sj, 4 + upright);
                if (!points_.Find(first)) {
                    const std::pair<PlanePoint, PlanePoint> found = ZerosOn(
                        e, fa, fb, dipsLeft_ > 0, [&] { return slope(ends[n].first); },
                        [&] { return slope(ends[n].second); });
                    Point(first, [&] { return found.first; });
                    Point(second, [&] { return found.second; });
                    if (IsPoint(found.second)) --dipsLeft_;
                    if (IsPoint(found.first)) dips_.push_back(first);
                }
                for (PointKey key : {first, second}) {
                    const int at = *points_.Find(key);
                    if (IsPoint(Place(at))) keys[count++] = at;
                }
            }
            // Along the way round: the top and left edges are walked backwards.
            const bool backwards = n >= 2;
            for (size_t m = 0; m < count; ++m) {
                const int key = keys[backwards ? count - 1 - m : m];
                const PlanePoint p = Place(key);
                const double t =
                    e.horizontal ? (p.x - e.xa) / (e.xb - e.xa) : (p.y - e.ya) / (e.yb - e.ya);
                // A zero at a corner is found from both its edges: once.
                if (!zeros.empty() && zeros.back().p == p) continue;
                if (!zeros.empty() && zeros.front().p == p) continue;
                zeros.push_back({key, p, static_cast<double>(n) + (backwards ? 1 - t : t)});
            }
        }
        const size_t first = segments_.size();
        if (zeros.size() == 2) {
            Segment(zeros[0].key, zeros[1].key);
        } else if (zeros.size() >= 4 && zeros.size() % 2 == 0) {
            // The place on the pixel's edges at a distance around it, and the stretch between
            // each zero and the next with F's sign on it, read halfway along.
            const auto place = [&](double around) {
                const size_t n = std::min<size_t>(static_cast<size_t>(around), 3);
                const double t = n >= 2 ? 1 - (around - static_cast<double>(n))
                                        : around - static_cast<double>(n);
                const Edge& e = edges[n];
                return PlanePoint{e.xa + (e.xb - e.xa) * t, e.ya + (e.yb - e.ya) * t};
            };
            boost::container::static_vector<PlanePoint, 8> halves;
            boost::container::static_vector<int, 8> signs;
            for (size_t m = 0; m < zeros.size(); ++m) {
                const size_t next = (m + 1) % zeros.size();
                double half = (zeros[m].around + zeros[next].around + (next == 0 ? 4 : 0)) / 2;
                if (half >= 4) half -= 4;
                halves.push_back(place(half));
                const auto v = f_(halves.back().x, halves.back().y);
                signs.push_back(v ? (*v >= 0 ? 1 : -1) : 0);
            }
            // The region that joins across the pixel: with four zeros, the two stretches of one
            // sign join if F keeps that sign halfway between them (two lines that pass through
            // side by side), and otherwise the other two do (a saddle, or two lines that each
            // turn back); with more, the middle's sign says.
            int across;
            if (zeros.size() == 4) {
                const PlanePoint probe{(halves[0].x + halves[2].x) / 2,
                                       (halves[0].y + halves[2].y) / 2};
                const auto v = f_(probe.x, probe.y);
                across = v && (*v >= 0 ? 1 : -1) == signs[0] ? signs[0] : -signs[0];
            } else {
                const auto middle = f_(x0 + (x1 - x0) / 2, y0 + (y1 - y0) / 2);
                across = (middle ? *middle >= 0 : f[0] >= 0) ? 1 : -1;
            }
            // Each stretch of the other sign is cut off by a segment between its ends.
            std::array<bool, 8> used{};
            for (size_t m = 0; m < zeros.size(); ++m) {
                const size_t next = (m + 1) % zeros.size();
                if (signs[m] == 0 || signs[m] == across || used[m] || used[next]) continue;
                used[m] = used[next] = true;
                Segment(zeros[m].key, zeros[next].key);
            }
        } else if (zeros.empty() && touching) {
            unresolved_ = true;
        }
        Record(gi, gj, 1, first);
    }

    // The zeros on an edge whose ends keep one sign: a pair of crossings where F dips through
    // zero and back (the first nearer the edge's start), or one zero where F touches zero.
    // Stretches of the edge where F's bounds keep clear of zero are passed over; the others
    // are halved, and F's value at each middle looked at, until one has the other sign.
    template <class SlopeA, class SlopeB>
    std::pair<PlanePoint, PlanePoint> ZerosOn(const Edge& e, double fa, double fb, bool dips,
                                              SlopeA&& slopeA, SlopeB&& slopeB) {
        const double sign = fa >= 0 ? 1 : -1;
        const double a = e.horizontal ? e.xa : e.ya, b = e.horizontal ? e.xb : e.yb;
        const auto point = [&](double u) {
            return e.horizontal ? PlanePoint{u, e.ya} : PlanePoint{e.xa, u};
        };
        struct Stretch {
            double from, to, valueFrom, valueTo;
            int depth;
        };
        // F's bounds along the whole edge clear of zero: no zero on it of either kind.
        if (const auto r = e.horizontal ? f_.Range(e.xa, e.xb, e.ya, e.ya)
                                        : f_.Range(e.xa, e.xa, e.ya, e.yb);
            r && (r->Low > 0 || r->High < 0))
            return {NoPoint, NoPoint};
        Stretch work[2 * DipDepth + 2];
        size_t count = 0;
        if (dips && fa != 0 && fb != 0) work[count++] = {a, b, fa, fb, 0};
        // At most so many values: without bounds every stretch would be halved to the end.
        int values = 4 * DipDepth;
        while (count > 0 && values-- > 0) {
            const Stretch w = work[--count];
            const auto r = e.horizontal ? f_.Range(w.from, w.to, e.ya, e.ya)
                                        : f_.Range(e.xa, e.xa, w.from, w.to);
            if (r && (r->Low > 0 || r->High < 0)) continue;
            if (w.depth == DipDepth) continue;
            const double middle = w.from + (w.to - w.from) / 2;
            if (middle == w.from || middle == w.to) continue;
            const auto m = Along(e, middle);
            if (!m) continue;
            // Without bounds, only where F comes nearer zero than at the stretch's ends.
            if (!r && sign * *m >= 0 &&
                std::fabs(*m) >= std::min(std::fabs(w.valueFrom), std::fabs(w.valueTo)))
                continue;
            if (sign * *m < 0) {
                const Edge left = e.horizontal ? Edge{w.from, e.ya, middle, e.ya, true}
                                               : Edge{e.xa, w.from, e.xa, middle, false};
                const Edge right = e.horizontal ? Edge{middle, e.ya, w.to, e.ya, true}
                                                : Edge{e.xa, middle, e.xa, w.to, false};
                const auto p = Crossing(left, w.valueFrom, *m), q = Crossing(right, *m, w.valueTo);
                if (p && q) return {*p, *q};
                if (p || q) return {p ? *p : *q, NoPoint};
                return {NoPoint, NoPoint};
            }
            if (*m == 0) return {point(middle), NoPoint};
            // The half nearer the edge's start is looked at first.
            work[count++] = {middle, w.to, *m, w.valueTo, w.depth + 1};
            work[count++] = {w.from, middle, w.valueFrom, *m, w.depth + 1};
        }
        const auto t = TouchOn(e, fa, fb, slopeA, slopeB);
        return {t ? *t : NoPoint, NoPoint};
    }

    // slopeA and slopeB give F's gradient at the edge's ends.
    template <class SlopeA, class SlopeB>
    std::optional<PlanePoint> TouchOn(const Edge& e, double fa, double fb, SlopeA&& slopeA,
                                      SlopeB&& slopeB) {
        if (fa == 0) return PlanePoint{e.xa, e.ya};
        if (fb == 0) return PlanePoint{e.xb, e.yb};
        // F's slope along the edge at each end: a turn back towards zero lies between.
        const auto ga = slopeA(), gb = slopeB();
        if (!ga || !gb) return std::nullopt;
        const double sa = e.horizontal ? ga->Dx : ga->Dy, sb = e.horizontal ? gb->Dx : gb->Dy;
        const double sign = fa >= 0 ? 1 : -1;
        if (!(sign * sa < 0 && sign * sb > 0)) return std::nullopt;
        double lo = e.horizontal ? e.xa : e.ya, hi = e.horizontal ? e.xb : e.yb;
        for (int n = 0; n < 80; ++n) {
            const double m = lo + (hi - lo) / 2;
            if (m == lo || m == hi) break;
            const auto g = e.horizontal ? f_.Slope(m, e.ya) : f_.Slope(e.xa, m);
            if (!g) return std::nullopt;
            const double s = sign * (e.horizontal ? g->Dx : g->Dy);
            if (s < 0)
                lo = m;
            else
                hi = m;
        }
        for (double u : {lo, hi}) {
            const auto fu = Along(e, u);
            if (fu &&
                (*fu == 0 || std::fabs(*fu) <= 1e-24 * std::max(std::fabs(fa), std::fabs(fb))))
                return e.horizontal ? PlanePoint{u, e.ya} : PlanePoint{e.xa, u};
        }
        return std::nullopt;
    }

    // The point kept under key, made by make() if there is none yet, and its place.
    template <class Make> std::pair<PlanePoint, int> Point(PointKey key, Make&& make) {
        const int at = points_.Get(key, [&] {
            places_.push_back(make());
            return static_cast<int>(places_.size() - 1);
        });
        return {places_[static_cast<size_t>(at)], at};
    }
    PlanePoint Place(int at) const { return places_[static_cast<size_t>(at)]; }
    void Segment(int a, int b) { segments_.push_back({a, b}); }

    // The segments joined at their shared points into polylines.
    std::vector<std::vector<PlanePoint>> Chain() const {
        // The segments at each point (two on a line, one at its end).
        std::vector<std::array<int, 2>> at(places_.size(), std::array<int, 2>{-1, -1});
        for (size_t s = 0; s < segments_.size(); ++s)
            for (const int p : segments_[s]) {
                if (p == Dead) break;
                auto& slot = at[static_cast<size_t>(p)];
                (slot[0] < 0 ? slot[0] : slot[1]) = static_cast<int>(s);
            }
        std::vector<bool> used(segments_.size(), false);
        for (size_t s = 0; s < segments_.size(); ++s)
            used[s] = segments_[s][0] == Dead;
        std::vector<std::vector<PlanePoint>> lines;
        const auto walk = [&](size_t first, int from) {
            std::vector<PlanePoint> line{places_[static_cast<size_t>(from)]};
            size_t s = first;
            int p = from;
            while (!used[s]) {
                used[s] = true;
                p = segments_[s][0] == p ? segments_[s][1] : segments_[s][0];
                line.push_back(places_[static_cast<size_t>(p)]);
                const auto& next = at[static_cast<size_t>(p)];
                const int n = next[0] == static_cast<int>(s) ? next[1] : next[0];
                if (n < 0) break;
                s = static_cast<size_t>(n);
            }
            lines.push_back(std::move(line));
        };
        // Open lines from their ends first, then the closed ones.
        for (size_t p = 0; p < at.size(); ++p)
            if (at[p][0] >= 0 && at[p][1] < 0 && !used[static_cast<size_t>(at[p][0])])
                walk(static_cast<size_t>(at[p][0]), static_cast<int>(p));
        for (size_t s = 0; s < segments_.size(); ++s)
            if (!used[s]) walk(s, segments_[s][0]);
        return lines;
    }

    Moved f_;
    double left_, right_, bottom_, top_;
    int columns_, rows_;
    Strip strip_;
    const std::atomic<bool>* stop_;
    int ci0_ = 0, cj0_ = 0;
    std::array<uint8_t, (CoarseCell + 1) * (CoarseCell + 1)> known_{};
    std::array<double, (CoarseCell + 1) * (CoarseCell + 1)> values_{};
    // Crossings and touching zeros by their edges: their places in places_.
    KeyTable<int> points_;
    std::vector<PlanePoint> places_;
    // Segments between points by their places; taken back ones are Dead.
    std::vector<std::array<int, 2>> segments_;
    // The segments of each cell of one or two pixels that made any, by the cell's lower-left
    // pixel and size: where they start in segments_ and how many.
    KeyTable<std::array<int, 2>> cells_;
    // Edges where a pixel found zeros between corners of one sign: the pixels beside them are
    // to be worked out with them.
    std::vector<PointKey> dips_;
    KeyTable<uint8_t> whole_; // pixels worked out with every zero on their edges
    // How many more edges may be found with two zeros between corners of one sign.
    int64_t dipsLeft_ = 0;
    int64_t dipsEach_, dipsKept_; // a coarse cell's share, and what may be kept of the shares
    bool nearTouch_ = false;
    bool unresolved_ = false;
    bool patch_ = false;
};

} // namespace

namespace {

// The rows of one strip traced on the given threads and chained.
ZeroSet TraceStrip(const PlaneFunction& f, double h, double k, double left, double right,
                   double bottom, double top, int columns, int rows, Strip strip, int threads,
                   const std::atomic<bool>* stop) {
    std::vector<std::unique_ptr<Tracer>> tracers;
    for (int b = 0; b < threads; ++b)
        tracers.push_back(std::make_unique<Tracer>(f, h, k, left, right, bottom, top, columns,
                                                   rows, strip, stop));
    std::atomic<int> next{strip.From / CoarseCell};
    OnThreads(static_cast<size_t>(threads), [&](size_t b) { tracers[b]->Run(next); });
    if (stop && stop->load()) throw DrawingStopped{};
    for (int b = 1; b < threads; ++b)
        tracers[0]->Take(*tracers[static_cast<size_t>(b)]);
    tracers[0]->Mend();
    if (stop && stop->load()) throw DrawingStopped{};
    return tracers[0]->Result();
}

} // namespace

ZeroSet TraceZeroSet(const PlaneFunction& f, double h, double k, double left, double right,
                     double bottom, double top, int columns, int rows, unsigned threads,
                     const std::atomic<bool>* stop, int64_t stripPixels) {
    if (columns <= 0 || rows <= 0 || !f.IsCompiled()) return {};
    const int bands = static_cast<int>(std::clamp<unsigned>(threads, 1, 64));
    // A large picture is traced a strip of rows at a time: what a strip's points and cells
    // take is given back before the next, and only the lines are kept.
    const int64_t stripRows =
        std::max<int64_t>(CoarseCell, stripPixels / columns / CoarseCell * CoarseCell);
    const int64_t dips = DipBudget(columns, rows);
    ZeroSet out;
    for (int from = 0; from < rows; from += static_cast<int>(stripRows)) {
        const int to = static_cast<int>(std::min<int64_t>(rows, from + stripRows));
        // The view's budget shared out by rows.
        const Strip strip{from, to, std::max<int64_t>(1, dips * (to - from) / rows)};
        ZeroSet part =
            TraceStrip(f, h, k, left, right, bottom, top, columns, rows, strip, bands, stop);
        out.Lines.insert(out.Lines.end(), std::make_move_iterator(part.Lines.begin()),
                         std::make_move_iterator(part.Lines.end()));
        out.Unresolved = out.Unresolved || part.Unresolved;
        out.Patch = out.Patch || part.Patch;
    }
    return out;
}

PlaneFunction CompileImplicit(const clsExpressionParser& parser, const std::string& text) {
    const std::optional<std::string> function = ImplicitFunctionText(text);
    if (!function)
        throw AppError(ErrInvalidCall, DefaultErrorSource,
                       "隐函数方程中只能有一个等号, 且两边都不能为空");
    PlaneFunction f(parser, *function);
    if (f.IsCompiled()) return f;
    // Why not: the parser reads the text with both variables as numbers and says.
    clsExpressionParser own(parser);
    own.ParseExpression(SubstituteVariable(SubstituteVariable(*function, "x", "1"), "y", "1"));
    throw AppError(ErrInvalidCall, DefaultErrorSource,
                   "隐函数的表达式不能含随机函数 RND, 也不能有在任何点都无法计算的部分");
}

CurveTiming DrawImplicit(EquationContext& c, const CurveRecord& curve) {
    const float start = c.Timer.Timer();
    CurveTiming timing;
    try {
        const PlaneFunction f = CompileImplicit(c.Parser, curve.Expression1);
        const View& v = c.ViewState;
        const int columns = v.ClientWidthTwips() / TwipsPerPixel;
        const int rows = v.ClientHeightTwips() / TwipsPerPixel;
        const unsigned threads =
            c.Threads ? c.Threads : std::max(1u, std::thread::hardware_concurrency());
        const ZeroSet zeros =
            TraceZeroSet(f, 0, 0, v.ScaleLeft(), v.Right(), v.Bottom(), v.ScaleTop(),
                         std::max(columns, 1), std::max(rows, 1), threads, c.Stop);
        std::vector<CanvasPoint> points;
        for (const auto& line : zeros.Lines) {
            points.clear();
            for (const PlanePoint& p : line)
                points.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
            c.Surface.Polyline(points.data(), points.size(), curve.LineColor);
        }
        timing.Drawn = true;
        timing.Undrawable = zeros.Lines.empty() && zeros.Unresolved;
        timing.ZeroPatch = zeros.Patch;
    } catch (const DrawingStopped&) {
        throw;
    } catch (...) {
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

} // namespace orbiplot
