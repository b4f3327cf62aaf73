#pragma once

#include "calc/LineCalculators.h"

#include <QDialog>

#include <vector>

class QVBoxLayout;
class QLineEdit;
class QPushButton;

namespace orbiplot {

class MessageSeam;

// What the two line calculators share: rows of number boxes, the output box, compute and
// close, and the about box on a right click.
class LineCalculatorDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the dialog modally until it is closed.
    void Run() { exec(); }

protected:
    LineCalculatorDialog(MessageSeam& messages, const QString& caption, std::string aboutName,
                         QWidget* owner);
    // Adds a row of labels (text) and boxes (nullptr: the next txtValue) to the input area.
    void AddRow(const std::vector<const char*>& parts, int firstBox);
    virtual CalcOutcome Compute() const = 0;
    void mousePressEvent(QMouseEvent* event) override;

    std::vector<QLineEdit*> txtValue;

private:
    void cmdRun_Click();

    QLineEdit* txtOut;
    QPushButton* cmdRun;
    QPushButton* cmdClose;
    MessageSeam& messages_;
    std::string aboutName_;
    QVBoxLayout* rows_;
};

// Where a point lies relative to a line.
class frmPL : public LineCalculatorDialog {
    Q_OBJECT
public:
    frmPL(MessageSeam& messages, QWidget* owner);

protected:
    CalcOutcome Compute() const override;
};

// How two lines meet.
class frmLL : public LineCalculatorDialog {
    Q_OBJECT
public:
    frmLL(MessageSeam& messages, QWidget* owner);

protected:
    CalcOutcome Compute() const override;
};

} // namespace orbiplot
