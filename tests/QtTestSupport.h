#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

namespace orbiplot::test {

// Acts on the next modal dialog once it is shown; gives up with a failure when none comes
// within a few seconds, so a test never waits for ever and no stale action is left behind.
inline void WhenModal(std::function<void(QWidget*)> act, int attemptsLeft = 2000) {
    QTimer::singleShot(attemptsLeft == 2000 ? 0 : 2, [act, attemptsLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal) {
            act(modal);
        } else if (attemptsLeft > 0) {
            WhenModal(act, attemptsLeft - 1);
        } else {
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
}

} // namespace orbiplot::test
