// The calculus commands of the main window: derivative curves, tangents and normals, areas
// and arc lengths, and their panel.
#include "app/frmMain.h"

#include "analysis/AreaValues.h"
#include "analysis/Calculus.h"
#include "analysis/CurveFunctions.h"
#include "app/AppContext.h"
#include "base/AppError.h"
#include "dialogs/frmAreas.h"
#include "dialogs/frmKeyPoints.h"
#include "dialogs/frmMeasure.h"
#include "doc/CurveDefinition.h"
#include "docwin/frmDocument.h"
#include "expr/CoreContext.h"
#include "expr/Derivative.h"

#include <QInputDialog>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace orbiplot {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string Short(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", v == 0 ? 0.0 : v);
    return text;
}

// "y=2*x-1" or "x=3": a line as a student writes it.
std::string LineEquation(const TangentLine& line) {
    if (line.Vertical) return "x=" + Short(line.X);
    const double b = line.Y - line.Slope * line.X;
    std::string text = "y=";
    if (line.Slope != 0) text += Short(line.Slope) + "*x";
    if (b != 0 || line.Slope == 0) {
        if (line.Slope != 0 && b >= 0) text += "+";
        text += Short(b);
    }
    return text;
}

bool IsGraph(const CurveRecord& c) { return c.FType == CurveGeneralY || c.FType == CurveGeneralX; }

} // namespace

void frmMain::BuildCalculusItems(QMenu* calculate) {
    Commands& c = commands_;
    calculate->addSeparator();
    c.CalculateDerivative = On(AddAction(calculate, "mnuCalculateDerivative", "导数曲线(&D)..."),
                               &frmMain::AddDerivative);
    c.CalculateTangent = On(AddAction(calculate, "mnuCalculateTangent", "切线(&Q)"),
                            [this] { AddTangent(false); });
    c.CalculateNormal = On(AddAction(calculate, "mnuCalculateNormal", "法线(&N)"),
                           [this] { AddTangent(true); });
    c.CalculateArea = On(AddAction(calculate, "mnuCalculateArea", "面积(&A)..."),
                         [this] { OpenMeasure(AreaRecord::Kind::Area); });
    c.CalculateLength = On(AddAction(calculate, "mnuCalculateLength", "弧长(&H)..."),
                           [this] { OpenMeasure(AreaRecord::Kind::Length); });
    c.CalculateAreas = AddAction(calculate, "mnuCalculateAreas", "面积与弧长列表(&M)");
    c.CalculateAreas->setCheckable(true);
    connect(c.CalculateAreas, &QAction::triggered, this, &frmMain::ShowAreas);
}

std::optional<TracedPoint> frmMain::CommandPoint(frmDocument& document, std::string& why) {
    if (menuPoint_) {
        if (auto p = document.PointNear(*menuPoint_, 12)) return p;
        why = "菜单打开处附近没有曲线";
        return std::nullopt;
    }
    if (keyPoints_ && keyPoints_->isVisible() && keyPoints_->Document() == &document) {
        const std::vector<KeyPoint> chosen = keyPoints_->SelectedPoints();
        if (chosen.size() == 1) {
            // The curve's own variable there: its point nearest the key point.
            const auto [px, py] = document.ViewState().ToPixels(chosen[0].X, chosen[0].Y);
            if (auto p = document.PointNear(QPointF(px, py), 2, chosen[0].Curve)) {
                p->X = chosen[0].X;
                p->Y = chosen[0].Y;
                return p;
            }
        }
    }
    if (document.Tracing() && document.Traced()) return document.Traced();
    why = "请先用“跟踪”指向曲线上的点, 或在关键点列表中选择一个点, 或在曲线上单击右键";
    return std::nullopt;
}

void frmMain::AddDerivative() {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    CoreContext& core = context_.Core;
    const DocumentModel& model = document->Model();
    std::vector<int32_t> graphs;
    for (int32_t i = 0; i < model.CurveCount(); ++i)
        if (IsGraph(model.Curve(i))) graphs.push_back(i);
    const auto say = [&](MsgIcon icon, const std::string& text) {
        core.Messages.ShowMessage({icon, MsgButtons::OK, MsgResult::OK, "导数曲线", text});
    };
    if (graphs.empty()) {
        say(MsgIcon::Information, "只能对 Y=F(X) 或 X=F(Y) 的普通方程曲线求导数曲线");
        return;
    }
    // The curve at the point, else the only one, else the person's choice.
    int32_t curve = -1;
    std::string unused;
    if (menuPoint_ || document->Tracing())
        if (const auto p = CommandPoint(*document, unused); p && IsGraph(model.Curve(p->Curve)))
            curve = p->Curve;
    if (curve < 0 && graphs.size() == 1) curve = graphs.front();
    if (curve < 0) {
        QStringList names;
        for (int32_t i : graphs)
            names << Q(CurveDescription(model.Curve(i)));
        QInputDialog ask(this);
        ask.setObjectName("dlgDerivative");
        ask.setWindowTitle("导数曲线");
        ask.setLabelText("求哪条曲线的导数:");
        ask.setComboBoxItems(names);
        ask.setComboBoxEditable(false);
        ask.setOkButtonText("确定");
        ask.setCancelButtonText("取消");
        ask.setMinimumWidth(360);
        if (ask.exec() != QDialog::Accepted) return;
        const auto at = names.indexOf(ask.textValue());
        if (at < 0) return;
        curve = graphs[static_cast<size_t>(at)];
    }
    const CurveRecord& source = model.Curve(curve);
    std::string derivative;
    try {
        derivative = DeriveExpression(core.Parser, source.Expression1,
                                      source.FType == CurveGeneralY ? "x" : "y");
    } catch (const AppError& error) {
        say(MsgIcon::Exclamation, CurveDescription(source) + "\n\n无法求导数: " + error.Description);
        return;
    }
    std::transform(derivative.begin(), derivative.end(), derivative.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    // y = f(x-h)+k has the slope f'(x-h): the shift along the variable stays, the other goes.
    CurveRecord made = source;
    made.Expression1 = derivative;
    made.Expression2.clear();
    if (source.FType == CurveGeneralY)
        made.CTk = 0;
    else
        made.CTh = 0;
    made.ShowHide = true;
    made.LineColor = StartingColor(core.Random, core.Settings.BackColor);
    const int32_t at = document->GetLastCountAdd1();
    if (!document->ModifyFun(made, at, true)) return;
    ShowNotice("已添加导数曲线 " + Q(CurveEquation(document->Model().Curve(at))));
}

void frmMain::AddTangent(bool normal) {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    CoreContext& core = context_.Core;
    const char* what = normal ? "法线" : "切线";
    const auto say = [&](const std::string& text) {
        core.Messages.ShowMessage({MsgIcon::Information, MsgButtons::OK, MsgResult::OK, what, text});
    };
    std::string why;
    const auto point = CommandPoint(*document, why);
    if (!point) {
        say(why);
        return;
    }
    const CurveRecord& curve = document->Model().Curve(point->Curve);
    const auto tangent = TangentAt(curve, core.Parser, point->T, why);
    if (!tangent) {
        say(CurveDescription(curve) + "\n\n" + why);
        return;
    }
    const TangentLine line = normal ? NormalOf(*tangent) : *tangent;
    const int32_t at = document->GetLastCountAdd1();
    if (!document->ModifyFun(LineCurve(line, StartingColor(core.Random, core.Settings.BackColor)),
                             at, true))
        return;
    ShowNotice(QString("%1 %2, 过点 %3").arg(what, Q(LineEquation(line)), Q(PointLabel(line.X, line.Y))));
}

void frmMain::OpenMeasure(AreaRecord::Kind kind) {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    AreaRecord start;
    start.What = kind;
    start.Curve = -1;
    std::optional<std::pair<double, double>> ends;
    // Two key points chosen: the interval between them, of their curves.
    if (keyPoints_ && keyPoints_->isVisible() && keyPoints_->Document() == document) {
        const std::vector<KeyPoint> chosen = keyPoints_->SelectedPoints();
        if (chosen.size() == 2 && chosen[0].Curve == chosen[1].Curve) {
            const KeyPoint &a = chosen[0], &b = chosen[1];
            start.Curve = a.Curve;
            if (kind == AreaRecord::Kind::Area && a.Other >= 0 && a.Other == b.Other) start.Other = a.Other;
            const CurveRecord& c = document->Model().Curve(a.Curve);
            const bool alongY = start.Other >= 0 ? !BoundAlongX(c, document->Model().Curve(start.Other))
                                                 : c.FType == CurveGeneralX;
            if (c.FType == CurveParameter || c.FType == Polar) {
                const auto t = [&](const KeyPoint& p) -> std::optional<double> {
                    const auto [px, py] = document->ViewState().ToPixels(p.X, p.Y);
                    const auto near = document->PointNear(QPointF(px, py), 2, p.Curve);
                    return near ? std::optional(near->T) : std::nullopt;
                };
                if (const auto ta = t(a), tb = t(b); ta && tb)
                    ends = std::pair(std::min(*ta, *tb), std::max(*ta, *tb));
            } else {
                const double u = alongY ? a.Y : a.X, v = alongY ? b.Y : b.X;
                ends = std::pair(std::min(u, v), std::max(u, v));
            }
        }
    }
    if (start.Curve < 0) {
        std::string unused;
        if (menuPoint_ || document->Tracing())
            if (const auto p = CommandPoint(*document, unused)) start.Curve = p->Curve;
    }
    ContinueMeasure(start, ends);
}

void frmMain::ContinueMeasure(AreaRecord area, std::optional<std::pair<double, double>> ends) {
    frmDocument* document = ActiveDocument();
    if (!document) return;
    frmMeasure dialog(context_.Core, *document, area.What, this);
    if (area.Curve >= 0) dialog.Preset(area.Curve, area.Other, ends);
    const frmMeasure::Outcome outcome = dialog.Run();
    if (outcome == frmMeasure::Outcome::Pick) {
        const AreaRecord draft = dialog.Chosen();
        const QPointer<frmDocument> target = document;
        ShowNotice(QString("在图上按住左键拖过要求%1的区间 (Esc 取消)")
                       .arg(area.What == AreaRecord::Kind::Area ? "面积" : "弧长"));
        document->PickInterval(dialog.AlongX(), [this, draft, target](double from, double to) {
            ShowNotice(QString());
            // After the mouse's event, with the document still there and in front.
            QTimer::singleShot(0, this, [this, draft, target, from, to] {
                if (target && ActiveDocument() == target) ContinueMeasure(draft, std::pair(from, to));
            });
        });
        return;
    }
    if (outcome != frmMeasure::Outcome::Chosen) return;
    const AreaRecord chosen = dialog.Chosen();
    document->AddArea(chosen);
    ShowAreas(true);
    const Integral value = Measure(document->Model(), context_.Core.Parser, chosen);
    if (value.Ok())
        ShowNotice(Q(AreaLabel(chosen, value) + (chosen.What == AreaRecord::Kind::Area
                                                      ? ", 积分=" + FullValue(value.Signed)
                                                      : std::string())));
}

void frmMain::ShowAreas(bool shown) {
    if (shown) {
        if (!areas_) {
            areas_ = new frmAreas(context_.Core, this);
            addDockWidget(Qt::RightDockWidgetArea, areas_);
            resizeDocks({areas_}, {std::min(areas_->ContentWidth(), width() * 2 / 5)}, Qt::Horizontal);
            connect(areas_, &QDockWidget::visibilityChanged, this, [this](bool) {
                commands_.CalculateAreas->setChecked(areas_->isVisible());
            });
        }
        areas_->SetDocument(ActiveDocument());
        areas_->show();
    } else if (areas_) {
        areas_->hide();
    }
    commands_.CalculateAreas->setChecked(areas_ && areas_->isVisible());
}

} // namespace orbiplot
