#include "analysis/MarkLayout.h"

#include "plot/View.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <unordered_map>

namespace orbiplot {

namespace {

// Boxes filed by the square cells of the surface they cover, so that what a new box meets is
// found among its neighbours only.
class BoxIndex {
public:
    void Add(const PixelBox& box, size_t id) {
        boxes_.push_back(box);
        ids_.push_back(id);
        EachCell(box, [&](int64_t cell) { cells_[cell].push_back(boxes_.size() - 1); });
    }
    // Whether the box meets any filed one but those of the given id.
    bool Meets(const PixelBox& box, size_t except) const {
        bool met = false;
        EachCell(box, [&](int64_t cell) {
            if (met) return;
            const auto found = cells_.find(cell);
            if (found == cells_.end()) return;
            for (const size_t i : found->second)
                if (ids_[i] != except && boxes_[i].Intersects(box)) {
                    met = true;
                    return;
                }
        });
        return met;
    }

private:
    static constexpr double Cell = 32;
    template <class Visit> static void EachCell(const PixelBox& box, Visit&& visit) {
        const auto first = [](double v) { return static_cast<int64_t>(std::floor(v / Cell)); };
        const int64_t x0 = first(box.Left), x1 = first(box.Right());
        const int64_t y0 = first(box.Top), y1 = first(box.Bottom());
        // A box far larger than the surface (a long legend line) is filed by the cells a
        // surface can have, not by all it would cover.
        for (int64_t y = std::max<int64_t>(y0, -2); y <= std::min<int64_t>(y1, 1024); ++y)
            for (int64_t x = std::max<int64_t>(x0, -2); x <= std::min<int64_t>(x1, 1024); ++x)
                visit(y * 4096 + x);
    }
    std::vector<PixelBox> boxes_;
    std::vector<size_t> ids_;
    std::unordered_map<int64_t, std::vector<size_t>> cells_;
};

constexpr size_t NoMark = static_cast<size_t>(-1);

} // namespace

MarkPlan LayOutMarks(const std::vector<KeyPoint>& points, const View& view,
                     const TextMeasure& labels, const std::vector<PixelBox>& taken, size_t most) {
    MarkPlan plan;
    const double width = view.ClientWidthTwips() / static_cast<double>(TwipsPerPixel);
    const double height = view.ClientHeightTwips() / static_cast<double>(TwipsPerPixel);
    // The points nearest the middle first; beyond the most, none.
    struct Placed {
        size_t point;
        double x, y, distance;
    };
    std::vector<Placed> placed;
    placed.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const auto [x, y] = view.ToPixels(points[i].X, points[i].Y);
        placed.push_back({i, x, y, std::hypot(x - width / 2, y - height / 2)});
    }
    const auto nearer = [](const Placed& a, const Placed& b) {
        return std::tie(a.distance, a.point) < std::tie(b.distance, b.point);
    };
    if (placed.size() > most) {
        std::nth_element(placed.begin(), placed.begin() + static_cast<ptrdiff_t>(most),
                         placed.end(), nearer);
        plan.NotMarked = placed.size() - most;
        placed.resize(most);
    }
    std::sort(placed.begin(), placed.end(), nearer);

    // Every ring is there before any label is placed.
    BoxIndex index;
    for (const PixelBox& box : taken)
        index.Add(box, NoMark);
    plan.Marks.reserve(placed.size());
    for (size_t m = 0; m < placed.size(); ++m) {
        const Placed& p = placed[m];
        index.Add({p.x - RingRadius, p.y - RingRadius, 2 * RingRadius, 2 * RingRadius}, m);
        MarkPlan::Mark mark;
        mark.Point = p.point;
        mark.X = p.x;
        mark.Y = p.y;
        mark.Text = PointLabel(points[p.point].X, points[p.point].Y);
        plan.Marks.push_back(std::move(mark));
    }
    // Points at one place share the label of the first: found among the marks of the same
    // pixel and its neighbours.
    std::unordered_map<int64_t, std::vector<size_t>> byPixel;
    const auto pixelOf = [](double x, double y) {
        return static_cast<int64_t>(std::floor(y)) * (int64_t{1} << 32) +
               static_cast<int64_t>(std::floor(x));
    };
    for (size_t m = 0; m < plan.Marks.size(); ++m) {
        MarkPlan::Mark& mark = plan.Marks[m];
        const KeyPoint& point = points[mark.Point];
        for (int dy = -1; dy <= 1 && !mark.Shares; ++dy)
            for (int dx = -1; dx <= 1 && !mark.Shares; ++dx) {
                const auto found = byPixel.find(pixelOf(mark.X + dx, mark.Y + dy));
                if (found == byPixel.end()) continue;
                for (const size_t other : found->second) {
                    const MarkPlan::Mark& o = plan.Marks[other];
                    const KeyPoint& q = points[o.Point];
                    if ((q.X == point.X && q.Y == point.Y) ||
                        (std::hypot(o.X - mark.X, o.Y - mark.Y) < 1 && o.Text == mark.Text)) {
                        mark.Shares = true;
                        break;
                    }
                }
            }
        byPixel[pixelOf(mark.X, mark.Y)].push_back(m);
        if (mark.Shares) continue;

        const double w = labels.Width(mark.Text) + 2, h = labels.Height;
        std::optional<PixelBox> label;
        for (int out = 0; out <= 2 && !label; ++out) {
            const double up = -h - 3 - out * (h + 2), down = 3 + out * (h + 2);
            for (const auto& [dx, dy] : {std::pair{5.0, up}, std::pair{5.0, down},
                                         std::pair{-w - 5, up}, std::pair{-w - 5, down}}) {
                const PixelBox box{mark.X + dx, mark.Y + dy, w, h};
                if (!box.Inside(width, height) || index.Meets(box, m)) continue;
                label = box;
                break;
            }
        }
        if (!label) {
            ++plan.Hidden;
            continue;
        }
        index.Add(*label, m);
        mark.Label = label;
    }
    return plan;
}

} // namespace orbiplot
