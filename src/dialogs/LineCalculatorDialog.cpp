#include "dialogs/LineCalculatorDialog.h"

#include "base/Seams.h"
#include "base/modError.h"
#include "dialogs/SelectAllEdit.h"
#include "services/QtSeams.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace orbiplot {

LineCalculatorDialog::LineCalculatorDialog(MessageSeam& messages, const QString& caption,
                                           std::string aboutName, QWidget* owner)
    : QDialog(owner), messages_(messages), aboutName_(std::move(aboutName)) {
    setWindowTitle(caption);
    UseDialogFrame(this);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    rows_ = new QVBoxLayout;
    layout->addLayout(rows_);
    txtOut = new SelectAllEdit(CalculatorInitialOutput, this);
    txtOut->setObjectName("txtOut");
    txtOut->setReadOnly(true);
    txtOut->setMinimumWidth(560);
    layout->addWidget(txtOut);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdRun = new QPushButton("计算(&C)", this);
    cmdRun->setObjectName("cmdRun");
    cmdRun->setDefault(true);
    cmdClose = new QPushButton("关闭(&X)", this);
    cmdClose->setObjectName("cmdClose");
    buttons->addWidget(cmdRun);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    connect(cmdRun, &QPushButton::clicked, this, &LineCalculatorDialog::cmdRun_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

void LineCalculatorDialog::AddRow(const std::vector<const char*>& parts, int firstBox) {
    auto* row = new QHBoxLayout;
    int box = firstBox;
    for (const char* part : parts) {
        if (part) {
            row->addWidget(new QLabel(part, this));
            continue;
        }
        if (txtValue.size() <= static_cast<size_t>(box)) txtValue.resize(box + 1, nullptr);
        auto* edit = new SelectAllEdit(this);
        edit->setObjectName(QString("txtValue%1").arg(box));
        edit->setMaximumWidth(box == 0 ? 110 : 70);
        txtValue[static_cast<size_t>(box)] = edit;
        row->addWidget(edit);
        ++box;
    }
    row->addStretch();
    rows_->addLayout(row);
    // Tab goes through the boxes in reading order, then the output and the buttons.
    QWidget* previous = nullptr;
    for (QLineEdit* edit : txtValue) {
        if (!edit) continue;
        if (previous)
            setTabOrder(previous, edit);
        else
            edit->setFocus();
        previous = edit;
    }
    setTabOrder(previous, txtOut);
    setTabOrder(txtOut, cmdRun);
    setTabOrder(cmdRun, cmdClose);
}

void LineCalculatorDialog::cmdRun_Click() {
    const CalcOutcome outcome = Compute();
    if (outcome.Message) messages_.ShowMessage(*outcome.Message);
    if (outcome.Error) ReportError(messages_, *outcome.Error);
    if (outcome.Output) txtOut->setText(QString::fromStdString(*outcome.Output));
    if (outcome.Focus) {
        QLineEdit* target = *outcome.Focus == CalcOutcome::FocusOutput
                                ? txtOut
                                : txtValue[static_cast<size_t>(*outcome.Focus)];
        target->setFocus();
        target->selectAll();
    }
}

void LineCalculatorDialog::mousePressEvent(QMouseEvent* event) {
    // The press itself answers, wherever the platform opens context menus; a press over a
    // label reaches here too. The boxes keep their edit menus, the buttons their clicks.
    QWidget* under = childAt(event->position().toPoint());
    if (event->button() == Qt::RightButton && (under == nullptr || qobject_cast<QLabel*>(under)))
        messages_.ShowMessage(CalculatorAbout(aboutName_));
    else
        QDialog::mousePressEvent(event);
}

namespace {

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

} // namespace

frmPL::frmPL(MessageSeam& messages, QWidget* owner)
    : LineCalculatorDialog(messages, "点线位置关系", "点线位置关系计算器", owner) {
    setObjectName("frmPL");
    AddRow({"点P(", nullptr, ")与直线L:", nullptr, "X +", nullptr, "Y +", nullptr, "= 0"}, 0);
}

CalcOutcome frmPL::Compute() const {
    return ComputePointLine(
        {Text(txtValue[0]), Text(txtValue[1]), Text(txtValue[2]), Text(txtValue[3])});
}

frmLL::frmLL(MessageSeam& messages, QWidget* owner)
    : LineCalculatorDialog(messages, "线线位置关系", "线线位置关系计算器", owner) {
    setObjectName("frmLL");
    AddRow({"直线L1:", nullptr, "X +", nullptr, "Y +", nullptr, "= 0"}, 1);
    AddRow({"直线L2:", nullptr, "X +", nullptr, "Y +", nullptr, "= 0"}, 4);
}

CalcOutcome frmLL::Compute() const {
    return ComputeLineLine({"", Text(txtValue[1]), Text(txtValue[2]), Text(txtValue[3]),
                            Text(txtValue[4]), Text(txtValue[5]), Text(txtValue[6])});
}

} // namespace orbiplot
