#include "plot/PlotEngine.h"

#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "plot/Canvas.h"
#include "plot/Conics.h"
#include "plot/EquationCurves.h"
#include "plot/GridAxes.h"
#include "plot/ImplicitCurves.h"
#include "plot/View.h"

namespace orbiplot {

std::string TimingText(float seconds) {
    return "计算用时: " + FormatSingle(seconds, "0.0######") + " 秒(s)";
}

std::string UndefinedPartsNotice(const std::vector<std::string>& equations) {
    std::string text;
    for (const std::string& equation : equations)
        text += (text.empty() ? "" : "、") + equation;
    return text + ": 部分取值处无定义, 可在选项中选择只画有定义的部分";
}

PlotEngine::PlotEngine(DocumentModel& document, View& view, Canvas& canvas, CoreContext& context,
                       Clock& clock, PlotStatus& status)
    : document_(document), view_(view), canvas_(canvas), context_(context), clock_(clock),
      status_(status) {}

void PlotEngine::RefreshFun(int32_t num, bool isAll) {
    status_.ShowProgress();
    legend_ = LayOutLegend();
    if (isAll) {
        DrawGridAndAxes(canvas_, view_, context_.Settings);
        if (underlay_) underlay_(canvas_, view_);
        canvas_.Repaint();
        for (int32_t i = 0; i < document_.CurveCount(); ++i) {
            DrawCurve(i);
            canvas_.Repaint();
        }
    } else if (num >= 0 && num < document_.CurveCount()) {
        DrawCurve(num);
    }
    DrawLegend();
    canvas_.Repaint();
    legend_.reset();
    status_.HideProgress();
}

void PlotEngine::DrawCurve(int32_t index) {
    const CurveRecord& curve = document_.Curve(index);
    if (!curve.ShowHide) return;
    if (curve.FType == Polar)
        view_.ShiftOrigin(0, 0);
    else
        view_.ShiftOrigin(curve.CTh, curve.CTk);
    // The view is restored however drawing ends.
    struct Restore {
        View& view;
        ~Restore() { view.RestoreOrigin(); }
    } restore{view_};
    try {
        Dispatch(index);
        if (canvas_.ShowsEveryStep()) DrawLegend();
    } catch (const AppError&) {
        // Degenerate parameters end this curve silently; what is drawn stays.
    }
    canvas_.SetLineStyle(LineStyle::Solid);
}

void PlotEngine::Dispatch(int32_t index) {
    const CurveRecord& c = document_.Curve(index);
    const float min = view_.ScaleLeft();
    const float max = view_.ScaleLeft() + view_.ScaleWidth();
    canvas_.SetPenWidth(c.LineWidth);
    canvas_.SetLineStyle(LineStyle::Solid);

    EquationContext equations{context_.Parser, view_, canvas_, clock_, context_.Messages, stop_};
    equations.DefinedOnly = context_.Settings.DefinedOnly;
    CurveTiming timing;
    switch (c.FType) {
    case Point: canvas_.Dot(c.Data1, c.Data2, c.LineColor); return;
    case LineGeneral:
    case LinePS:
    case LineSI:
    case LinePP:
    case LineII:
    case CircleStandard:
    case CircleGeneral:
    case Ellipse: DrawLineOrConic(canvas_, view_, c); return;
    case HyperbolaX:
    case HyperbolaY: DrawHyperbola(canvas_, view_, c); return;
    case ParabolaX:
    case ParabolaY: DrawParabola(canvas_, view_, c); return;
    case CurveGeneralY:
        timing = c.IsAuto ? DrawYofX(equations, c.Expression1, min, max, c.LineColor)
                          : DrawYofX(equations, c.Expression1, c.xtMin, c.xtMax, c.LineColor);
        break;
    case CurveGeneralX:
        timing = c.IsAuto ? DrawXofY(equations, c.Expression1, view_.Bottom(), view_.ScaleTop(),
                                     c.LineColor)
                          : DrawXofY(equations, c.Expression1, c.xtMin, c.xtMax, c.LineColor);
        break;
    case CurveParameter:
        timing = c.IsAuto ? DrawParametric(equations, c.Expression1, c.Expression2, min, max,
                                           c.LineColor)
                          : DrawParametric(equations, c.Expression1, c.Expression2, c.xtMin,
                                           c.xtMax, c.LineColor);
        break;
    case Polar: timing = DrawPolar(equations, c.Expression1, c.LineColor); break;
    case Implicit: timing = DrawImplicit(equations, c); break;
    default: return; // an unknown type draws nothing
    }
    if (timing.ZeroPatch)
        status_.Notice(CurveEquation(c) + ": 函数在一片区域上处处为零, 画不出曲线");
    else if (timing.Undrawable)
        status_.Notice(CurveEquation(c) + ": 函数在曲线两侧不变号, 找不到可以画出的点");
    // Also after an abandoned curve, with the time it took to fail.
    status_.SetStatusText(StatusPanel::Readout, TimingText(timing.Elapsed));
    if (!timing.Drawn && timing.Failure != 0) {
        status_.CurveFailed(CurveDescription(c) + " - " + timing.FailureText);
        if (IsArithmeticError(timing.Failure) && !equations.DefinedOnly)
            status_.Notice(UndefinedPartsNotice({CurveEquation(c)}));
    }
}

namespace {

// Where the UTF-8 character holding byte i begins.
size_t CharacterStart(const std::string& text, size_t i) {
    while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        --i;
    return i;
}

} // namespace

std::vector<PlotEngine::LegendLine> PlotEngine::LayOutLegend() {
    // A right-aligned line wider than the surface shows only its end: a long one is measured
    // and printed from a point left of the surface's left edge, never laid out whole.
    constexpr size_t Short = 256;
    const float surface = view_.ScaleWidth();
    std::vector<LegendLine> lines;
    for (std::string& description : document_.GetFunList()) {
        std::string text = " " + std::move(description);
        size_t take = Short;
        while (text.size() > take) {
            std::string end = text.substr(CharacterStart(text, text.size() - take));
            const float width = canvas_.TextWidth(end);
            if (width > surface) {
                text = std::move(end);
                break;
            }
            take *= 4;
        }
        const float width = canvas_.TextWidth(text);
        lines.push_back({std::move(text), width});
    }
    return lines;
}

void PlotEngine::DrawLegend() {
    const std::vector<LegendLine> laidOut = legend_ ? std::vector<LegendLine>{} : LayOutLegend();
    const std::vector<LegendLine>& lines = legend_ ? *legend_ : laidOut;
    for (size_t j = 0; j < lines.size(); ++j) {
        const LegendLine& line = lines[j];
        const float x = view_.ScaleLeft() + view_.ScaleWidth() - line.Width;
        const float y =
            view_.ScaleTop() - static_cast<float>(j + 1) * canvas_.TextHeight(line.Text);
        canvas_.Text(x, y, line.Text, document_.Curve(static_cast<int32_t>(j)).LineColor);
    }
}

void PlotEngine::ShowZoomStatus() {
    status_.SetStatusText(StatusPanel::Zoom, view_.ZoomStatusText());
}

void PlotEngine::Zoom(float factor, bool byX, bool byY) {
    view_.Scale(factor, byX, byY);
    status_.ShowProgress();
    ShowZoomStatus();
    view_.CenterView();
    RefreshAll();
    status_.HideProgress();
}

} // namespace orbiplot
