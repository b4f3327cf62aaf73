#pragma once

#include "calc/ExpressionCalculator.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orbiplot {

class CoreContext;

// An expression calculator: a child window of the main window; any number may be open.
class frmExpressionParse : public QWidget {
    Q_OBJECT
public:
    explicit frmExpressionParse(CoreContext& context, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdParse_Click();
    // Copies the result, when there is one, as plain text.
    void Label1_Click();

    CoreContext& context_;
    ExpressionCalculatorState state_;
    QLineEdit* txtExpression_;
    QLabel* label1_;
    QLineEdit* txtResult_;
};

} // namespace orbiplot
