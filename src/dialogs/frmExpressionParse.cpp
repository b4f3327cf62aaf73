#include "dialogs/frmExpressionParse.h"

#include "base/modError.h"
#include "expr/CoreContext.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace orbiplot {

frmExpressionParse::frmExpressionParse(CoreContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("frmExpressionParse");
    setWindowTitle("表达式计算器");
    auto* layout = new QGridLayout(this);
    auto* lblLabel1 = new QLabel("表达式:", this);
    txtExpression_ = new QLineEdit(this);
    txtExpression_->setObjectName("txtExpression");
    label1_ = new QLabel("结果:", this);
    label1_->setObjectName("Label1");
    label1_->setToolTip("单击复制结果到剪贴板");
    label1_->setCursor(Qt::PointingHandCursor);
    label1_->installEventFilter(this);
    txtResult_ = new QLineEdit(this);
    txtResult_->setObjectName("txtResult");
    txtResult_->setReadOnly(true);
    auto* cmdParse = new QPushButton("计算(&C)", this);
    cmdParse->setObjectName("cmdParse");
    layout->addWidget(lblLabel1, 0, 0);
    layout->addWidget(txtExpression_, 0, 1);
    layout->addWidget(cmdParse, 0, 2);
    layout->addWidget(label1_, 1, 0);
    layout->addWidget(txtResult_, 1, 1, 1, 2);
    layout->setRowStretch(2, 1);
    connect(cmdParse, &QPushButton::clicked, this, &frmExpressionParse::cmdParse_Click);
    connect(txtExpression_, &QLineEdit::returnPressed, this, &frmExpressionParse::cmdParse_Click);
    setFocusProxy(txtExpression_);
    resize(420, 110);
}

void frmExpressionParse::cmdParse_Click() {
    const std::string text = txtExpression_->text().toStdString();
    const ExpressionOutcome outcome = ComputeExpression(context_.Parser, text, state_);
    if (outcome.Error) ReportError(context_.Messages, *outcome.Error);
    state_ = outcome.State;
    txtResult_->setText(QString::fromStdString(state_.ResultText));
    if (outcome.SelectError) {
        // The parser counts bytes; the box counts UTF-16 units.
        const auto units = [&](size_t bytes) {
            return static_cast<int>(
                QString::fromUtf8(text.data(), static_cast<qsizetype>(bytes)).size());
        };
        const int start = units(outcome.SelectionStart);
        const int end = units(outcome.SelectionStart + outcome.SelectionLength);
        txtExpression_->setFocus();
        if (end > start)
            txtExpression_->setSelection(start, end - start);
        else
            txtExpression_->setCursorPosition(start);
    }
}

void frmExpressionParse::Label1_Click() {
    if (!state_.HasResult) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(state_.ResultText));
}

bool frmExpressionParse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label1_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Label1_Click();
    return QWidget::eventFilter(watched, event);
}

} // namespace orbiplot
