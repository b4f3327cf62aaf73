#pragma once

#include <QLineEdit>
#include <QTimer>

namespace orbiplot {

// A text box that selects its whole text when it gets the focus.
class SelectAllEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        QTimer::singleShot(0, this, &QLineEdit::selectAll);
    }
};

} // namespace orbiplot
