#include "plot/GridAxes.h"

#include "base/NumberFormat.h"
#include "plot/View.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>

namespace orbiplot {

namespace {

constexpr Rgb Black = 0;

LineStyle StyleOf(int style) {
    // A style outside the five known ones draws solid lines.
    return style >= 0 && style <= 4 ? static_cast<LineStyle>(style) : LineStyle::Solid;
}

std::string Label(float value, float step, bool isPi) {
    return isPi ? GeneralTextSingle(value / step) + "Pi" : GeneralTextSingle(value);
}

// Far zoomed out, many steps fall on one pixel of the surface: what is printed there again
// changes nothing visible, and skipping it keeps the redraw from taking minutes.
struct PixelFilter {
    double perUnit;
    double origin;
    double last = std::numeric_limits<double>::quiet_NaN();
    bool New(float v) {
        const double pixel = std::floor((v - origin) * perUnit);
        if (pixel == last) return false;
        last = pixel;
        return true;
    }
};

// Filters of the surface's columns and rows, new for each pass over the grid.
PixelFilter Columns(const View& view) {
    return {view.ClientWidthTwips() / static_cast<double>(TwipsPerPixel) / view.ScaleWidth(),
            view.ScaleLeft()};
}
PixelFilter Rows(const View& view) {
    return {view.ClientHeightTwips() / static_cast<double>(TwipsPerPixel) / -view.ScaleHeight(),
            -view.ScaleTop()};
}

// Where the grid's lines and labels go along one axis: at the multiples of the unit, as
// counting runs reach them, or, where those would not be legible, at a spacing of their own.
struct AxisTicks {
    bool adapted = false;
    double spacing = 0;  // between lines, in world units
    double multiple = 0; // what a label counts: the spacing itself, or in pi mode of pi
    bool isPi = false;
};

// Pixels a world unit along one axis.
double PixelsPerUnit(const View& view, bool alongX) {
    return alongX ? view.ClientWidthTwips() / static_cast<double>(TwipsPerPixel) / view.ScaleWidth()
                  : view.ClientHeightTwips() / static_cast<double>(TwipsPerPixel) /
                        -static_cast<double>(view.ScaleHeight());
}

// The view's extent along one axis, low to high.
std::pair<double, double> Extent(const View& view, bool alongX) {
    return alongX ? std::pair<double, double>(view.ScaleLeft(), view.Right())
                  : std::pair<double, double>(view.Bottom(), view.ScaleTop());
}

// How many multiples of u the counting runs put in view along an axis (from 0 to the high
// edge truncated, and from 0 to the low edge truncated), not counting a line on the edge.
double CountedInView(const View& view, float u, bool alongX) {
    const auto [low, high] = Extent(view, alongX);
    const double pixel = 1 / PixelsPerUnit(view, alongX);
    const double lo = low + pixel, hi = high - pixel;
    const auto multiples = [u](double a, double b) {
        return b < a ? 0.0 : std::floor(b / u) - std::ceil(a / u) + 1;
    };
    const double up = std::trunc(hi), down = std::trunc(lo);
    double n = 0;
    if (up >= 0) n += multiples(std::max(lo, 0.0), std::min(hi, up));
    if (down <= 0) n += multiples(std::max(lo, down), std::min(hi, 0.0));
    if (up >= 0 && down <= 0 && lo <= 0 && 0 <= hi) n -= 1; // 0 is in both runs
    return n;
}

// The widest (along x) or tallest (along y) of the labels at the ends of the view and the
// one beside the high end, in world units.
template <class LabelOf>
double LabelExtent(Canvas& canvas, const View& view, double spacing, bool alongX,
                   LabelOf&& labelOf) {
    const auto [lo, hi] = Extent(view, alongX);
    double most = 0;
    for (const double k :
         {std::ceil(lo / spacing), std::floor(hi / spacing), std::floor(hi / spacing) - 1}) {
        if (k == 0) continue;
        const std::string text = labelOf(k);
        most = std::max(
            most, static_cast<double>(alongX ? canvas.TextWidth(text) : canvas.TextHeight(text)));
    }
    return most;
}

// Lines closer than this, labels over each other or fewer than two lines in view along an
// axis cannot be read; a spacing of the grid's own keeps its lines this far apart.
constexpr double ClosestLinePixels = 8;
constexpr double LegibleLinePixels = 25;
constexpr double LabelGapPixels = 4; // between neighbouring labels

bool Legible(Canvas& canvas, const View& view, float u, bool isPi, bool alongX) {
    const double perUnit = PixelsPerUnit(view, alongX);
    if (u * perUnit < ClosestLinePixels || CountedInView(view, u, alongX) < 2) return false;
    const double label = LabelExtent(canvas, view, u, alongX, [&](double k) {
        return Label(static_cast<float>(k * u), u, isPi);
    });
    return label <= u;
}

// The text of the label k * multiple: the single's as always, or more digits where the
// spacing needs them to tell the labels apart.
std::string TickLabel(double k, double multiple, bool isPi) {
    const double value = k * multiple;
    const int digits = static_cast<int>(std::floor(std::log10(std::fabs(value)))) -
                       static_cast<int>(std::floor(std::log10(multiple) + 1e-9)) + 1;
    const std::string number = digits <= 7 ? GeneralTextSingle(static_cast<float>(value))
                                           : GeneralTextDigits(value, digits);
    return isPi ? number + "Pi" : number;
}

// The nearest spacing of 1, 2 or 5 times a power of ten (in pi mode that many times pi, or pi
// halved again and again) that keeps lines apart and labels off each other.
AxisTicks Adapted(Canvas& canvas, const View& view, bool isPi, bool alongX) {
    const double unit = isPi ? std::numbers::pi : 1;
    const double perUnit = PixelsPerUnit(view, alongX);
    const double least = LegibleLinePixels / perUnit / unit; // in multiples
    // The candidates from just below the least upwards.
    int digit = 1, exponent = 0; // digit (1, 2 or 5) times 10^exponent
    double half = 0;             // or in pi mode a half, a quarter, ...
    if (isPi && least < 1)
        half = std::exp2(std::floor(std::log2(least)));
    else
        exponent = static_cast<int>(std::floor(std::log10(least)));
    const auto multiple = [&] { return half > 0 ? half : digit * std::pow(10.0, exponent); };
    const auto next = [&] {
        if (half > 0) {
            half = half * 2 < 1 ? half * 2 : 0;
        } else {
            digit = digit == 1 ? 2 : digit == 2 ? 5 : 1;
            if (digit == 1) ++exponent;
        }
    };
    for (int tries = 0; tries < 64; ++tries, next()) {
        const double m = multiple();
        if (m < least) continue;
        const double spacing = m * unit;
        const double label = LabelExtent(canvas, view, spacing, alongX,
                                         [&](double k) { return TickLabel(k, m, isPi); });
        if (label + LabelGapPixels / perUnit <= spacing) return {true, spacing, m, isPi};
    }
    return {true, multiple() * unit, multiple(), isPi};
}

AxisTicks ChooseTicks(Canvas& canvas, const View& view, float u, bool isPi, bool alongX) {
    const double perUnit = PixelsPerUnit(view, alongX);
    if (!(perUnit > 0) || !std::isfinite(perUnit) || Legible(canvas, view, u, isPi, alongX))
        return {};
    return Adapted(canvas, view, isPi, alongX);
}

// Calls at(v, label) for the grid's places along an axis, in the counting runs' way or at the
// multiples of an adapted spacing in view.
template <class At>
void EachTick(const View& view, float u, bool isPi, const AxisTicks& ticks, bool alongX, At&& at) {
    if (!ticks.adapted) {
        const auto visit = [&](float v) { at(v, [&] { return Label(v, u, isPi); }); };
        if (alongX) {
            CountingRun(u, std::trunc(view.Right()), visit, view.ScaleLeft());
            CountingRun(-u, std::trunc(view.ScaleLeft()), visit, view.Right());
        } else {
            CountingRun(u, std::trunc(view.ScaleTop()), visit, view.Bottom());
            CountingRun(-u, std::trunc(view.Bottom()), visit, view.ScaleTop());
        }
        return;
    }
    const auto [lo, hi] = Extent(view, alongX);
    const double first = std::ceil(lo / ticks.spacing), last = std::floor(hi / ticks.spacing);
    for (double k = first; k <= last && k - first < 10000; ++k)
        at(static_cast<float>(k * ticks.spacing),
           [&] { return TickLabel(k, ticks.multiple, ticks.isPi); });
}

void DrawGrid(Canvas& canvas, const View& view, const CoordinateSystemStyle& style, float u,
              const AxisTicks& xTicks, const AxisTicks& yTicks) {
    const float left = view.ScaleLeft(), top = view.ScaleTop();
    const float right = view.Right(), bottom = view.Bottom();
    canvas.SetLineStyle(StyleOf(style.GridStyle));
    PixelFilter columns = Columns(view), rows = Rows(view);
    EachTick(view, u, style.IsPi, xTicks, true, [&](float x, auto&&) {
        if (columns.New(x)) canvas.Line(x, top, x, bottom, style.GridColor);
    });
    EachTick(view, u, style.IsPi, yTicks, false, [&](float y, auto&&) {
        if (rows.New(-y)) canvas.Line(left, y, right, y, style.GridColor);
    });
    canvas.SetLineStyle(LineStyle::Solid);
}

void DrawLabels(Canvas& canvas, const View& view, const CoordinateSystemStyle& style, float u,
                const AxisTicks& xTicks, const AxisTicks& yTicks) {
    const float left = view.ScaleLeft(), top = view.ScaleTop();
    const float right = view.Right(), bottom = view.Bottom();
    PixelFilter columns = Columns(view), rows = Rows(view);
    // The labels go beside their axis; an axis panned out of sight leaves them along the
    // edge it lies beyond, so that the plane can still be read.
    const auto xLabelTop = [&](const std::string& text) {
        const float h = canvas.TextHeight(text);
        if (top < 0) return top - h / 5;
        if (bottom > 0) return bottom + 1.2f * h;
        return -h / 5;
    };
    const auto yLabelLeft = [&](const std::string& text) {
        const float w = canvas.TextWidth(text);
        if (left > 0) return left + w / 4;
        if (right < 0) return right - 1.25f * w;
        return w / 4;
    };
    EachTick(view, u, style.IsPi, xTicks, true, [&](float x, auto&& label) {
        if (x == 0 || !columns.New(x)) return;
        const std::string text = label();
        canvas.Text(x, xLabelTop(text), text, Black);
    });
    EachTick(view, u, style.IsPi, yTicks, false, [&](float y, auto&& label) {
        if (y == 0 || !rows.New(-y)) return;
        const std::string text = label();
        canvas.Text(yLabelLeft(text), y, text, Black);
    });
}

} // namespace

void DrawGridAndAxes(Canvas& canvas, const View& view, const AppSettings& settings) {
    CoordinateSystemStyle style;
    style.ShowGrid = settings.IsShow;
    style.Step = settings.Unit;
    style.IsPi = settings.IsPi;
    style.GridColor = settings.Color;
    style.BackColor = settings.BackColor;
    style.GridStyle = settings.Style - 1;
    DrawCoordinateSystem(canvas, view, style);
}

void DrawCoordinateSystem(Canvas& canvas, const View& view, const CoordinateSystemStyle& style) {
    const float u = style.IsPi ? std::numbers::pi_v<float> : style.Step;
    // A step that is not positive draws no grid lines and no labels.
    const bool stepUsable = u > 0;
    const float left = view.ScaleLeft(), top = view.ScaleTop();
    const float right = view.Right(), bottom = view.Bottom();

    canvas.SetPenWidth(1);
    canvas.Clear(style.BackColor);
    // Along each axis the unit's steps where they can be read, a spacing of the grid's own
    // where they cannot (far zoomed out or in).
    const AxisTicks xTicks =
        stepUsable ? ChooseTicks(canvas, view, u, style.IsPi, true) : AxisTicks{};
    const AxisTicks yTicks =
        stepUsable ? ChooseTicks(canvas, view, u, style.IsPi, false) : AxisTicks{};
    if (style.ShowGrid && stepUsable) DrawGrid(canvas, view, style, u, xTicks, yTicks);
    if (style.ShowAxisNames) {
        canvas.Text(right - 1.5f * canvas.TextWidth("X"), canvas.TextHeight("X"), "X", Black);
        canvas.Text(-canvas.TextWidth("Y"), top - canvas.TextHeight("Y") / 4, "Y", Black);
    }
    if (style.ShowLabels && stepUsable) DrawLabels(canvas, view, style, u, xTicks, yTicks);

    canvas.SetLineStyle(LineStyle::Solid);
    canvas.SetPenWidth(1);
    canvas.Line(left, 0, right, 0, Black);
    canvas.Line(0, top, 0, bottom, Black);
    canvas.Text(-1.25f * canvas.TextWidth("O"), -canvas.TextHeight("O") / 5, "O", Black);
    canvas.SetPenWidth(style.PenWidth);
}

} // namespace orbiplot
