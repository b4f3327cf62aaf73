#pragma once

#include <QApplication>
#include <QPointer>
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
            const QPointer<QWidget> shown = modal;
            act(modal);
            // A failed assertion returned from the action only: close what it left open, so
            // the test ends with its failure instead of waiting.
            if (::testing::Test::HasFatalFailure() && shown && shown->isVisible()) shown->close();
        } else if (attemptsLeft > 0) {
            WhenModal(act, attemptsLeft - 1);
        } else {
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
}

} // namespace orbiplot::test
