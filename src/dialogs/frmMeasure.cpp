#include "dialogs/frmMeasure.h"

#include "analysis/AreaValues.h"
#include "analysis/Calculus.h"
#include "analysis/CurveFunctions.h"
#include "base/AppError.h"
#include "base/NumberFormat.h"
#include "dialogs/Named.h"
#include "dialogs/SelectAllEdit.h"
#include "docwin/frmDocument.h"
#include "expr/CoreContext.h"
#include "services/QtSeams.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace orbiplot {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

frmMeasure::frmMeasure(CoreContext& context, frmDocument& document, AreaRecord::Kind kind,
                       QWidget* owner)
    : QDialog(owner), context_(context), document_(document), kind_(kind) {
    const bool area = kind == AreaRecord::Kind::Area;
    SetUpModalDialog(this, "frmMeasure", area ? "面积" : "弧长");
    chosen_.What = kind;

    cboCurve = Named(new QComboBox(this), "cboCurve");
    cboOther = Named(new QComboBox(this), "cboOther");
    cboInterval = Named(new QComboBox(this), "cboInterval");
    txtFrom = Named(new SelectAllEdit(this), "txtFrom");
    txtTo = Named(new SelectAllEdit(this), "txtTo");
    cmdPick = Named(new QPushButton("在图上拖动选择(&D)", this), "cmdPick");
    lblFrom = Named(new QLabel(this), "lblFrom");
    lblProblem = Named(new QLabel(this), "lblProblem");
    lblProblem->setWordWrap(true);
    lblProblem->setStyleSheet("color: #b00000");

    auto* form = new QFormLayout;
    auto* curveLabel = new QLabel("曲线(&C):", this);
    curveLabel->setBuddy(cboCurve);
    form->addRow(curveLabel, cboCurve);
    auto* otherLabel = new QLabel("与(&W):", this);
    otherLabel->setBuddy(cboOther);
    form->addRow(otherLabel, cboOther);
    if (!area) {
        otherLabel->hide();
        cboOther->hide();
    }
    auto* intervalLabel = new QLabel("区间(&I):", this);
    intervalLabel->setBuddy(cboInterval);
    form->addRow(intervalLabel, cboInterval);
    auto* ends = new QHBoxLayout;
    ends->addWidget(txtFrom, 1);
    auto* toLabel = new QLabel("到(&T)", this);
    toLabel->setBuddy(txtTo);
    ends->addWidget(toLabel);
    ends->addWidget(txtTo, 1);
    lblFrom->setBuddy(txtFrom);
    form->addRow(lblFrom, ends);
    form->addRow(QString(), cmdPick);

    auto* buttons = new QDialogButtonBox(this);
    auto* cmdOK = buttons->addButton("确定(&O)", QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    buttons->addButton("取消(&C)", QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &frmMeasure::Accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);

    FillCurves();
    FillIntervals();
    connect(cboCurve, &QComboBox::currentIndexChanged, this, [this] {
        FillOthers();
        FillIntervals();
    });
    connect(cboOther, &QComboBox::currentIndexChanged, this, [this] { FillIntervals(); });
    connect(cboInterval, &QComboBox::activated, this, &frmMeasure::IntervalChosen);
    connect(cmdPick, &QPushButton::clicked, this, [this] {
        chosen_.Curve = CurveChosen();
        chosen_.Other = OtherChosen();
        outcome_ = Outcome::Pick;
        accept();
    });
    resize(440, sizeHint().height());
}

void frmMeasure::FillCurves() {
    const DocumentModel& model = document_.Model();
    for (int32_t i = 0; i < model.CurveCount(); ++i)
        if (CanMeasure(model.Curve(i))) cboCurve->addItem(Q(CurveDescription(model.Curve(i))), i);
    FillOthers();
}

void frmMeasure::FillOthers() {
    const QSignalBlocker quiet(cboOther);
    const int32_t before = OtherChosen();
    cboOther->clear();
    cboOther->addItem(CurveChosen() >= 0 &&
                              document_.Model().Curve(CurveChosen()).FType == CurveGeneralX
                          ? "(y 轴)"
                          : "(x 轴)",
                      -1);
    const DocumentModel& model = document_.Model();
    const int32_t curve = CurveChosen();
    if (curve < 0 || kind_ != AreaRecord::Kind::Area) return;
    for (int32_t i = 0; i < model.CurveCount(); ++i)
        if (i != curve && CanBoundTogether(model.Curve(curve), model.Curve(i)))
            cboOther->addItem(Q(CurveDescription(model.Curve(i))), i);
    const int keep = cboOther->findData(before);
    if (keep >= 0) cboOther->setCurrentIndex(keep);
}

int32_t frmMeasure::CurveChosen() const {
    return cboCurve->currentIndex() < 0 ? -1 : cboCurve->currentData().toInt();
}

int32_t frmMeasure::OtherChosen() const {
    return cboOther->currentIndex() < 0 ? -1 : cboOther->currentData().toInt();
}

bool frmMeasure::AlongX() const {
    const int32_t curve = CurveChosen(), other = OtherChosen();
    if (curve < 0) return true;
    const DocumentModel& model = document_.Model();
    if (other >= 0) return BoundAlongX(model.Curve(curve), model.Curve(other));
    return model.Curve(curve).FType != CurveGeneralX;
}

bool frmMeasure::CanPick() const {
    const int32_t curve = CurveChosen();
    if (curve < 0) return false;
    const int32_t type = document_.Model().Curve(curve).FType;
    return type == CurveGeneralY || type == CurveGeneralX;
}

void frmMeasure::FillIntervals() {
    const int32_t curve = CurveChosen();
    const DocumentModel& model = document_.Model();
    const int32_t type = curve >= 0 ? model.Curve(curve).FType : CurveGeneralY;
    lblFrom->setText(QString("%1 从(&F):").arg(CurveVariableOf(type)));
    cmdPick->setEnabled(CanPick());
    cboInterval->clear();
    intervals_.clear();
    if (curve < 0) return;
    const View& view = document_.ViewState();
    const PlaneBox box{view.ScaleLeft(), view.Right(), view.Bottom(), view.ScaleTop()};
    if (kind_ == AreaRecord::Kind::Area)
        intervals_ = NaturalIntervals(model, context_.Parser, curve, OtherChosen(), box);
    cboInterval->addItem("键入两端");
    const bool two = OtherChosen() >= 0;
    for (const auto& [a, b] : intervals_)
        cboInterval->addItem(QString("%1 %2 到 %3 (%4)")
                                 .arg(AlongX() ? "x" : "y", Q(ShortestText(a)), Q(ShortestText(b)),
                                      two ? "相邻交点" : "相邻零点"));
    // The meeting nearest the view's middle, as a student means "the area between".
    if (!intervals_.empty()) {
        const double middle = AlongX() ? view.CentreX() : view.CentreY();
        size_t best = 0;
        for (size_t i = 1; i < intervals_.size(); ++i) {
            const auto distance = [&](size_t k) {
                return std::fabs((intervals_[k].first + intervals_[k].second) / 2 - middle);
            };
            if (distance(i) < distance(best)) best = i;
        }
        cboInterval->setCurrentIndex(static_cast<int>(best) + 1);
        IntervalChosen(static_cast<int>(best) + 1);
        return;
    }
    if (type == CurveParameter || type == Polar) {
        const CurveRecord& c = model.Curve(curve);
        if (c.FType == CurveParameter && !c.IsAuto && c.xtMin < c.xtMax)
            SetEnds(c.xtMin, c.xtMax);
        else
            SetEnds(0, 2 * std::numbers::pi);
    } else if (txtFrom->text().isEmpty() && txtTo->text().isEmpty()) {
        // The middle half of what is in view, to round numbers.
        const double lo = AlongX() ? view.ScaleLeft() : view.Bottom();
        const double hi = AlongX() ? view.Right() : view.ScaleTop();
        const double step = std::pow(10.0, std::floor(std::log10(std::fabs(hi - lo) / 4)));
        SetEnds(std::round((lo + (hi - lo) / 4) / step) * step,
                std::round((hi - (hi - lo) / 4) / step) * step);
    }
}

void frmMeasure::IntervalChosen(int index) {
    if (index >= 1 && static_cast<size_t>(index) <= intervals_.size())
        SetEnds(intervals_[static_cast<size_t>(index) - 1].first,
                intervals_[static_cast<size_t>(index) - 1].second);
}

void frmMeasure::SetEnds(double from, double to) {
    txtFrom->setText(Q(ShortestText(from == 0 ? 0.0 : from)));
    txtTo->setText(Q(ShortestText(to == 0 ? 0.0 : to)));
}

void frmMeasure::Preset(int32_t curve, int32_t other, std::optional<std::pair<double, double>> ends) {
    if (const int at = cboCurve->findData(curve); at >= 0) cboCurve->setCurrentIndex(at);
    FillOthers();
    if (const int at = cboOther->findData(other); at >= 0) {
        const QSignalBlocker quiet(cboOther);
        cboOther->setCurrentIndex(at);
    }
    FillIntervals();
    if (ends) {
        cboInterval->setCurrentIndex(0);
        SetEnds(ends->first, ends->second);
    }
}

bool frmMeasure::ReadEnds(double& from, double& to) {
    clsExpressionParser parser = context_.Parser;
    const auto read = [&](QLineEdit* box, double& value) {
        try {
            value = parser.ParseExpression(box->text().trimmed().toStdString());
        } catch (const AppError& error) {
            lblProblem->setText("端点无法计算: " + Q(error.Description));
            box->setFocus();
            return false;
        }
        if (!std::isfinite(value)) {
            lblProblem->setText("端点必须是有限的数");
            box->setFocus();
            return false;
        }
        return true;
    };
    if (!read(txtFrom, from) || !read(txtTo, to)) return false;
    if (from == to) {
        lblProblem->setText("两端相同, 区间为空");
        txtTo->setFocus();
        return false;
    }
    return true;
}

void frmMeasure::Accept() {
    lblProblem->clear();
    if (CurveChosen() < 0) {
        lblProblem->setText(kind_ == AreaRecord::Kind::Area ? "文档中没有可以求面积的方程曲线"
                                                            : "文档中没有可以求弧长的方程曲线");
        return;
    }
    double from = 0, to = 0;
    if (!ReadEnds(from, to)) return;
    AreaRecord area;
    area.What = kind_;
    area.Curve = CurveChosen();
    area.Other = kind_ == AreaRecord::Kind::Area ? OtherChosen() : -1;
    area.From = from;
    area.To = to;
    const Integral value = Measure(document_.Model(), context_.Parser, area);
    if (!value.Ok()) {
        // Never a wrong number: say why, and let the person change the interval.
        lblProblem->setText(Q(OutcomeText(value) + (value.Problem.empty() ? "" : ": " + value.Problem)));
        return;
    }
    chosen_ = area;
    outcome_ = Outcome::Chosen;
    accept();
}

frmMeasure::Outcome frmMeasure::Run() {
    outcome_ = Outcome::Cancelled;
    if (cboCurve->count() == 0) lblProblem->setText("文档中没有方程曲线");
    exec();
    return outcome_;
}

} // namespace orbiplot
