#include "dialogs/frmFunAdd.h"

#include "dialogs/Named.h"

#include "base/clsDialogs.h"
#include "base/modError.h"
#include "dialogs/SelectAllEdit.h"
#include "docwin/frmDocument.h"
#include "docwin/frmProgress.h"
#include "expr/CoreContext.h"
#include "services/QtSeams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace orbiplot {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string S(const QLineEdit* edit) { return edit->text().toStdString(); }

} // namespace

frmFunAdd::frmFunAdd(CoreContext& context, const clsDialogs& dialogs, frmDocument& document,
                     QWidget* owner)
    : QDialog(owner), context_(context), dialogs_(dialogs), document_(document) {
    SetUpModalDialog(this, "frmFunAdd", "添加曲线");

    auto* layout = new QVBoxLayout(this);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel("曲线方程类型:", this));
    cboFunType = Named(new QComboBox(this), "cboFunType");
    for (const char* caption : CurveTypeCaptions())
        cboFunType->addItem(caption);
    cboFunType->view()->setMinimumHeight(250);
    cboFunType->setMaxVisibleItems(ListedTypeCount);
    typeRow->addWidget(cboFunType, 1);
    layout->addLayout(typeRow);

    BuildParameterFrame(layout);
    BuildExpressionFrames(layout);
    BuildRangeAndStyles(layout);
    BuildButtons(layout);
    connect(cmdOK, &QPushButton::clicked, this, &frmFunAdd::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cboFunType, &QComboBox::currentIndexChanged, this, [this](int index) {
        Configure(ListedType(index));
        UpdateNotes();
    });
    connect(optGeneral, &QRadioButton::clicked, this, [this] {
        if (SelectedType() == CurveParameter) SelectType(CurveGeneralY);
    });
    connect(optParameter, &QRadioButton::clicked, this, [this] { SelectType(CurveParameter); });

    // One size for every type, so that nothing jumps when the type changes.
    QSize largest;
    for (int32_t index = 0; index < ListedTypeCount; ++index) {
        Configure(ListedType(index));
        largest = largest.expandedTo(sizeHint());
    }
    setFixedSize(largest);
    // Measuring went through every type; the general row starts from its own texts again.
    lblLabel2[0]->setText("Y=F(X)=");
    txtExpressionG->setText("2*X");

    const Rgb start = StartingColor(context_.Random, context_.Settings.BackColor);
    SetSwatch(0, start);
    SetSwatch(1, start);
}

void frmFunAdd::BuildParameterFrame(QVBoxLayout* layout) {
    fraFunSetting1 = Named(new QGroupBox("方程属性", this), "fraFunSetting1");
    auto* parameters = new QGridLayout(fraFunSetting1);
    lblFunEquation = Named(new QLabel("曲线方程: ", fraFunSetting1), "lblFunEquation");
    lblFunEquation->setWordWrap(true);
    parameters->addWidget(lblFunEquation, 0, 0, 1, 2);
    for (int i = 0; i < 4; ++i) {
        lblLabel[i] = Named(new QLabel("a 取值:", fraFunSetting1), "lblLabel", i);
        txtValue[i] = Named(new SelectAllEdit("1", fraFunSetting1), "txtValue", i);
        parameters->addWidget(lblLabel[i], i + 1, 0);
        parameters->addWidget(txtValue[i], i + 1, 1);
    }
    chkExLine[0] = Named(new QCheckBox("显示准线", fraFunSetting1), "chkExLine", 0);
    chkExLine[1] = Named(new QCheckBox("显示渐进线", fraFunSetting1), "chkExLine", 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(chkExLine[0]);
    checks->addWidget(chkExLine[1]);
    checks->addStretch();
    parameters->addLayout(checks, 5, 0, 1, 2);
    layout->addWidget(fraFunSetting1);
}

namespace {
// A line under an expression box, in grey; empty while the text can be read. Its line is
// kept, so that nothing moves as the note comes and goes.
QLabel* Note(QWidget* parent, const char* name) {
    auto* note = new QLabel(parent);
    note->setObjectName(name);
    note->setStyleSheet("color: gray");
    note->setMinimumHeight(note->fontMetrics().height());
    note->setTextFormat(Qt::PlainText);
    return note;
}
} // namespace

void frmFunAdd::UpdateNotes() {
    const auto note = [&](QLabel* label, QLineEdit* box, const char* var) {
        label->setText(QString::fromStdString(
            ExpressionNote(context_.Parser, box->text().toStdString(), var)));
    };
    note(lblNoteG, txtExpressionG, SelectedType() == CurveGeneralX ? "y" : "x");
    note(lblNoteP[0], txtExpressionP[0], "t");
    note(lblNoteP[1], txtExpressionP[1], "t");
    note(lblNoteJ, txtExpressionJ, "z");
    lblNoteI->setText(QString::fromStdString(ImplicitNote(context_.Parser, S(txtExpressionI))));
}

void frmFunAdd::BuildExpressionFrames(QVBoxLayout* layout) {
    fraFunSetting2 = Named(new QGroupBox("方程属性", this), "fraFunSetting2");
    auto* expressions = new QGridLayout(fraFunSetting2);
    optGeneral = Named(new QRadioButton("普通方程(&G)", fraFunSetting2), "optGeneral");
    optParameter = Named(new QRadioButton("参数方程(&P)", fraFunSetting2), "optParameter");
    lblLabel2[0] = Named(new QLabel("Y=F(X)=", fraFunSetting2), "lblLabel2", 0);
    txtExpressionG = Named(new SelectAllEdit("2*X", fraFunSetting2), "txtExpressionG");
    lblLabel2[1] = new QLabel("X=F(T)=", fraFunSetting2);
    txtExpressionP[0] = Named(new SelectAllEdit("T", fraFunSetting2), "txtExpressionP", 0);
    lblLabel2[2] = new QLabel("Y=G(T)=", fraFunSetting2);
    txtExpressionP[1] = Named(new SelectAllEdit("2*T", fraFunSetting2), "txtExpressionP", 1);
    lblNoteG = Note(fraFunSetting2, "lblNoteG");
    lblNoteP[0] = Note(fraFunSetting2, "lblNoteP0");
    lblNoteP[1] = Note(fraFunSetting2, "lblNoteP1");
    expressions->addWidget(optGeneral, 0, 0, 1, 2);
    expressions->addWidget(lblLabel2[0], 1, 0);
    expressions->addWidget(txtExpressionG, 1, 1);
    expressions->addWidget(lblNoteG, 2, 1);
    expressions->addWidget(optParameter, 3, 0, 1, 2);
    expressions->addWidget(lblLabel2[1], 4, 0);
    expressions->addWidget(txtExpressionP[0], 4, 1);
    expressions->addWidget(lblNoteP[0], 5, 1);
    expressions->addWidget(lblLabel2[2], 6, 0);
    expressions->addWidget(txtExpressionP[1], 6, 1);
    expressions->addWidget(lblNoteP[1], 7, 1);
    layout->addWidget(fraFunSetting2);

    fraFunSetting3 = Named(new QGroupBox("方程属性(极坐标)", this), "fraFunSetting3");
    auto* polar = new QGridLayout(fraFunSetting3);
    polar->addWidget(new QLabel("R=F(Z)=", fraFunSetting3), 0, 0);
    txtExpressionJ = Named(new SelectAllEdit("3*sin(7*z)", fraFunSetting3), "txtExpressionJ");
    polar->addWidget(txtExpressionJ, 0, 1);
    lblNoteJ = Note(fraFunSetting3, "lblNoteJ");
    polar->addWidget(lblNoteJ, 1, 1);
    polar->addWidget(new QLabel("说明: R 为极径, Z 为极角", fraFunSetting3), 2, 0, 1, 2);
    layout->addWidget(fraFunSetting3);

    fraFunSetting4 = Named(new QGroupBox("方程属性(隐函数)", this), "fraFunSetting4");
    auto* implicit = new QGridLayout(fraFunSetting4);
    implicit->addWidget(new QLabel("F(X,Y)=", fraFunSetting4), 0, 0);
    txtExpressionI =
        Named(new SelectAllEdit("x^2/9+y^2/4-1", fraFunSetting4), "txtExpressionI");
    implicit->addWidget(txtExpressionI, 0, 1);
    lblNoteI = Note(fraFunSetting4, "lblNoteI");
    implicit->addWidget(lblNoteI, 1, 1);
    implicit->addWidget(new QLabel("说明: 画出 F(X,Y)=0 的点; 也可写成 左边=右边, 如 x^2+y^2=4",
                                   fraFunSetting4),
                        2, 0, 1, 2);
    layout->addWidget(fraFunSetting4);
    for (QLineEdit* box :
         {txtExpressionG, txtExpressionP[0], txtExpressionP[1], txtExpressionJ, txtExpressionI})
        connect(box, &QLineEdit::textChanged, this, &frmFunAdd::UpdateNotes);
    layout->addStretch(1); // what follows keeps its place whichever frame is shown
}

void frmFunAdd::BuildRangeAndStyles(QVBoxLayout* layout) {
    frmFrameFL = Named(new QGroupBox("X 取值范围", this), "frmFrameFL");
    auto* range = new QHBoxLayout(frmFrameFL);
    for (int i = 0; i < 2; ++i) {
        lblLabel4[i] =
            Named(new QLabel(i == 0 ? "X 最小值:" : "X 最大值:", frmFrameFL), "lblLabel4", i);
        txtFirstLast[i] = Named(new SelectAllEdit("auto", frmFrameFL), "txtFirstLast", i);
        range->addWidget(lblLabel4[i]);
        range->addWidget(txtFirstLast[i]);
    }
    layout->addWidget(frmFrameFL);

    auto* styles = new QHBoxLayout;
    QGroupBox* frames[2] = {new QGroupBox("曲线样式", this), new QGroupBox("辅助线样式", this)};
    Frame1 = Named(frames[1], "Frame1");
    for (int i = 0; i < 2; ++i) {
        auto* grid = new QHBoxLayout(frames[i]);
        grid->addWidget(new QLabel("宽度:", frames[i]));
        txtLineWidth[i] = Named(new SelectAllEdit("1", frames[i]), "txtLineWidth", i);
        txtLineWidth[i]->setMaximumWidth(48);
        fsbWidth[i] = Named(new QScrollBar(Qt::Vertical, frames[i]), "fsbWidth", i);
        // A vertical bar's upper arrow lowers its value; the width is the value negated so
        // that the upper arrow widens.
        fsbWidth[i]->setRange(-9, -1);
        fsbWidth[i]->setValue(-1);
        fsbWidth[i]->setFixedSize(16, txtLineWidth[i]->sizeHint().height());
        connect(fsbWidth[i], &QScrollBar::valueChanged, this,
                [this, i](int value) { txtLineWidth[i]->setText(QString::number(-value)); });
        grid->addWidget(txtLineWidth[i]);
        grid->addWidget(fsbWidth[i]);
        grid->addWidget(new QLabel("颜色:", frames[i]));
        picFunLineColor[i] = Named(new QPushButton(frames[i]), "picFunLineColor", i);
        picFunLineColor[i]->setFixedSize(40, 20);
        connect(picFunLineColor[i], &QPushButton::clicked, this,
                [this, i] { SetSwatch(i, dialogs_.GetColor(colors_[i])); });
        grid->addWidget(picFunLineColor[i]);
        grid->addStretch();
        styles->addWidget(frames[i]);
    }
    layout->addLayout(styles);
}

void frmFunAdd::BuildButtons(QVBoxLayout* layout) {
    auto* bottom = new QHBoxLayout;
    fraCT = Named(new QGroupBox("坐标变换", this), "fraCT");
    auto* shift = new QHBoxLayout(fraCT);
    for (int i = 0; i < 2; ++i) {
        shift->addWidget(new QLabel(i == 0 ? "h =" : "k =", fraCT));
        txtCT[i] = Named(new SelectAllEdit("0", fraCT), "txtCT", i);
        shift->addWidget(txtCT[i]);
    }
    bottom->addWidget(fraCT, 1);
    auto* buttons = new QVBoxLayout;
    chkHide = Named(new QCheckBox("暂时隐藏", this), "chkHide");
    cmdOK = Named(new QPushButton("确定(&O)", this), "cmdOK");
    cmdCancel = Named(new QPushButton("取消(&C)", this), "cmdCancel");
    cmdOK->setDefault(true);
    buttons->addWidget(chkHide);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    bottom->addLayout(buttons);
    layout->addLayout(bottom);
}

void frmFunAdd::SetSwatch(int index, Rgb color) {
    colors_[index] = color;
    PaintSwatch(picFunLineColor[index], color);
}

int32_t frmFunAdd::SelectedType() const { return ListedType(cboFunType->currentIndex()); }

void frmFunAdd::SelectType(int32_t type) {
    if (cboFunType->currentIndex() == ListedIndex(type))
        Configure(type);
    else
        cboFunType->setCurrentIndex(ListedIndex(type));
}

void frmFunAdd::Configure(int32_t type) {
    const TypeConfiguration c = ConfigureFor(type);
    fraFunSetting1->setVisible(c.Frame == CurveFrame::Parameters);
    fraFunSetting2->setVisible(c.Frame == CurveFrame::Expressions);
    fraFunSetting3->setVisible(c.Frame == CurveFrame::Polar);
    fraFunSetting4->setVisible(c.Frame == CurveFrame::Implicit);
    if (c.Frame == CurveFrame::Parameters) {
        lblFunEquation->setText(Q(c.EquationCaption));
        for (int i = 0; i < 4; ++i) {
            const bool used = static_cast<size_t>(i) < c.ParameterNames.size();
            if (used) lblLabel[i]->setText(Q(c.ParameterNames[static_cast<size_t>(i)] + " 取值:"));
            lblLabel[i]->setVisible(used);
            txtValue[i]->setVisible(used);
        }
    }
    if (c.Frame == CurveFrame::Expressions) {
        if (c.GeneralLabel) lblLabel2[0]->setText(Q(*c.GeneralLabel));
        if (c.GeneralText) txtExpressionG->setText(Q(*c.GeneralText));
        optGeneral->setChecked(c.GeneralSelected);
        optParameter->setChecked(!c.GeneralSelected);
        lblLabel2[0]->setEnabled(c.GeneralSelected);
        txtExpressionG->setEnabled(c.GeneralSelected);
        for (int i = 1; i <= 2; ++i) {
            lblLabel2[i]->setEnabled(!c.GeneralSelected);
            txtExpressionP[i - 1]->setEnabled(!c.GeneralSelected);
        }
    }
    const auto captions = RangeCaptions(c.Axis);
    frmFrameFL->setTitle(Q(captions[0]));
    lblLabel4[0]->setText(Q(captions[1]));
    lblLabel4[1]->setText(Q(captions[2]));
    frmFrameFL->setEnabled(c.RangeEnabled);
    chkExLine[0]->setVisible(c.ShowDirectrix);
    chkExLine[1]->setVisible(c.ShowAsymptote);
    Frame1->setEnabled(c.AuxiliaryEnabled);
    fraCT->setEnabled(c.ShiftEnabled);
}

CurveInput frmFunAdd::ReadInput() const {
    CurveInput input;
    input.Type = SelectedType();
    for (size_t i = 0; i < 4; ++i)
        input.Values[i] = S(txtValue[i]);
    input.ExpressionG = S(txtExpressionG);
    input.ExpressionP = {S(txtExpressionP[0]), S(txtExpressionP[1])};
    input.ExpressionJ = S(txtExpressionJ);
    input.ExpressionI = S(txtExpressionI);
    input.FirstLast = {S(txtFirstLast[0]), S(txtFirstLast[1])};
    input.CT = {S(txtCT[0]), S(txtCT[1])};
    input.LineWidth = {S(txtLineWidth[0]), S(txtLineWidth[1])};
    input.Colors = {colors_[0], colors_[1]};
    input.Hide = chkHide->isChecked();
    input.ExLine = {chkExLine[0]->isChecked(), chkExLine[1]->isChecked()};
    return input;
}

void frmFunAdd::WriteInput(const CurveInput& input) {
    for (size_t i = 0; i < 4; ++i)
        txtValue[i]->setText(Q(input.Values[i]));
    txtExpressionG->setText(Q(input.ExpressionG));
    txtExpressionP[0]->setText(Q(input.ExpressionP[0]));
    txtExpressionP[1]->setText(Q(input.ExpressionP[1]));
    txtExpressionJ->setText(Q(input.ExpressionJ));
    txtExpressionI->setText(Q(input.ExpressionI));
    for (int i = 0; i < 2; ++i) {
        txtFirstLast[i]->setText(Q(input.FirstLast[static_cast<size_t>(i)]));
        txtCT[i]->setText(Q(input.CT[static_cast<size_t>(i)]));
        txtLineWidth[i]->setText(Q(input.LineWidth[static_cast<size_t>(i)]));
        const QSignalBlocker quiet(fsbWidth[i]);
        fsbWidth[i]->setValue(-std::clamp(txtLineWidth[i]->text().toInt(), 1, 9));
        SetSwatch(i, input.Colors[static_cast<size_t>(i)]);
        chkExLine[i]->setChecked(input.ExLine[static_cast<size_t>(i)]);
    }
    chkHide->setChecked(input.Hide);
}

void frmFunAdd::NewFun(int32_t funType) {
    setWindowTitle("添加曲线");
    cboFunType->setEnabled(true);
    isNew_ = true;
    SelectType(funType == Implicit ? Implicit : std::clamp(funType, 0, CurveTypeCount - 1));
    exec();
}

void frmFunAdd::ModifyFun(int32_t funNum) {
    modifyNum_ = funNum;
    try {
        const CurveRecord curve = document_.Model().Curve(funNum);
        setWindowTitle("修改曲线");
        cboFunType->setEnabled(false);
        SelectType(IsKnownCurveType(curve.FType) ? curve.FType : 0);
        isNew_ = false;
        WriteInput(InputForCurve(curve));
        // The form of a general curve cannot change while it is edited.
        if (curve.FType == CurveGeneralY || curve.FType == CurveGeneralX)
            optParameter->setEnabled(false);
        if (curve.FType == CurveParameter) optGeneral->setEnabled(false);
    } catch (...) {
        ReportCurrentError(context_.Messages);
        return;
    }
    exec();
}

QLineEdit* frmFunAdd::FieldWidget(InputField field) const {
    switch (field) {
    case InputField::Value0: return txtValue[0];
    case InputField::Value1: return txtValue[1];
    case InputField::Value2: return txtValue[2];
    case InputField::Value3: return txtValue[3];
    case InputField::FirstLast0: return txtFirstLast[0];
    case InputField::FirstLast1: return txtFirstLast[1];
    case InputField::CT0: return txtCT[0];
    case InputField::CT1: return txtCT[1];
    case InputField::ExpressionI: return txtExpressionI;
    }
    return nullptr;
}

void frmFunAdd::cmdOK_Click() {
    if (isNew_) modifyNum_ = document_.GetLastCountAdd1();
    const CurveInput input = ReadInput();
    ValidatedInput validated;
    if (const auto failure = ValidateInput(context_.Parser, input, validated)) {
        if (failure->Focus) {
            QLineEdit* box = FieldWidget(*failure->Focus);
            box->selectAll();
            box->setFocus();
        }
        ReportError(context_.Messages, failure->Error);
        return;
    }
    hide();
    frmProgress& progress = document_.Progress();
    progress.Begin();
    try {
        const CurveRecord curve = BuildCurveRecord(input, validated);
        if (!document_.ModifyFun(curve, modifyNum_, isNew_)) RaiseOwnError(ErrAddModifyCurve);
        if (!isNew_) document_.RefreshAll();
    } catch (...) {
        ReportCurrentError(context_.Messages);
    }
    progress.End();
    accept();
}

} // namespace orbiplot
