#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace orbiplot::test {

// Acts on the next modal dialog once it is shown.
inline void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            WhenModal(act);
            return;
        }
        act(modal);
    });
}

} // namespace orbiplot::test
