#include "plot/GridAxes.h"

#include "base/NumberFormat.h"
#include "plot/View.h"

#include <cmath>
#include <limits>
#include <numbers>

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

// Calls at(x) for the multiples of u across the view, then at(y) for those up it.
template <typename AtX, typename AtY>
void EachStep(const View& view, float u, AtX&& atX, AtY&& atY) {
    const float left = view.ScaleLeft(), top = view.ScaleTop();
    const float right = view.Right(), bottom = view.Bottom();
    CountingRun(u, std::trunc(right), atX, left);
    CountingRun(-u, std::trunc(left), atX, right);
    CountingRun(u, std::trunc(top), atY, bottom);
    CountingRun(-u, std::trunc(bottom), atY, top);
}

void DrawGrid(Canvas& canvas, const View& view, const CoordinateSystemStyle& style, float u) {
    const float left = view.ScaleLeft(), top = view.ScaleTop();
    const float right = view.Right(), bottom = view.Bottom();
    canvas.SetLineStyle(StyleOf(style.GridStyle));
    PixelFilter columns = Columns(view), rows = Rows(view);
    EachStep(
        view, u,
        [&](float x) {
            if (columns.New(x)) canvas.Line(x, top, x, bottom, style.GridColor);
        },
        [&](float y) {
            if (rows.New(-y)) canvas.Line(left, y, right, y, style.GridColor);
        });
    canvas.SetLineStyle(LineStyle::Solid);
}

void DrawLabels(Canvas& canvas, const View& view, const CoordinateSystemStyle& style, float u) {
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
    EachStep(
        view, u,
        [&](float x) {
            if (x == 0 || !columns.New(x)) return;
            const std::string text = Label(x, u, style.IsPi);
            canvas.Text(x, xLabelTop(text), text, Black);
        },
        [&](float y) {
            if (y == 0 || !rows.New(-y)) return;
            const std::string text = Label(y, u, style.IsPi);
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
    if (style.ShowGrid && stepUsable) DrawGrid(canvas, view, style, u);
    if (style.ShowAxisNames) {
        canvas.Text(right - 1.5f * canvas.TextWidth("X"), canvas.TextHeight("X"), "X", Black);
        canvas.Text(-canvas.TextWidth("Y"), top - canvas.TextHeight("Y") / 4, "Y", Black);
    }
    if (style.ShowLabels && stepUsable) DrawLabels(canvas, view, style, u);

    canvas.SetLineStyle(LineStyle::Solid);
    canvas.SetPenWidth(1);
    canvas.Line(left, 0, right, 0, Black);
    canvas.Line(0, top, 0, bottom, Black);
    canvas.Text(-1.25f * canvas.TextWidth("O"), -canvas.TextHeight("O") / 5, "O", Black);
    canvas.SetPenWidth(style.PenWidth);
}

} // namespace orbiplot
