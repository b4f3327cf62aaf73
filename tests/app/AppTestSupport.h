#pragma once

#include "QtTestSupport.h"
#include "ScriptedSeams.h"

#include "app/AppContext.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "docwin/frmDocument.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace orbiplot::test {

// The program's context with scripted seams, on a folder of its own.
struct AppSeams : ScriptedFolder {
    ScriptedClock clock;
    AppContext context{messages, dialogs, random, clock, dir.Path()};
    std::unique_ptr<frmMain> main;

    ~AppSeams() {
        if (!main) return;
        // Close documents without questions so that nothing waits for an answer.
        for (frmDocument* d : main->Documents())
            d->Model().SetModified(false);
        main->MdiArea()->closeAllSubWindows();
        context.MainForm = nullptr;
    }
};

// The main window on scripted seams.
struct AppFixture : AppSeams {
    AppFixture() {
        context.Now = [] { return QString("2026/12/6 18:22"); };
        // Every redraw is waited for, however slow the build: a test sees its picture at once.
        context.RedrawWaitMilliseconds = 600000;
        main = std::make_unique<frmMain>(context);
        context.MainForm = main.get();
        modMain::UpdateCommandState(context);
        main->show();
    }

    std::string Document(const std::string& name, const std::string& title = "t") {
        return dir.Write(
            name, "[General]\r\nOPMVer=1\r\nTitle=" + title +
                      "\r\nC=1\r\n[0DATA]\r\nType=6\r\nSD1=0\r\nSD2=0\r\nSD3=1\r\nLC=255\r\n");
    }
    frmDocument* Open(const std::string& path) {
        return main->OpenDocument(path) ? main->ActiveDocument() : nullptr;
    }
    // The text of a status bar panel, as a person reads it.
    QString StatusText(StatusPanel panel) const {
        return main->findChild<QLabel*>(QString("sbPanel%1").arg(static_cast<int>(panel)))->text();
    }
    // A command by its object name, as the menus and toolbars name it.
    QAction* Action(const char* name) const { return main->findChild<QAction*>(name); }
    int VisibleWindows() const {
        int n = 0;
        for (QMdiSubWindow* sub : main->MdiArea()->subWindowList())
            n += sub->isVisible();
        return n;
    }
};

// A child widget by its object name, as a person finds a control by its caption.
template <class W = QPushButton> W* Named(QWidget* window, const char* name) {
    W* widget = window->findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// A click as a person makes it: through the window system, where a window blocked by a
// modal one never sees it.
inline void ClickThroughWindow(QWidget* widget) {
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                      widget->mapTo(top, widget->rect().center()));
}

// A click on the upper or the lower arrow of a scroll bar.
inline void ClickArrow(QScrollBar* bar, bool upper) {
    QWidget* top = bar->window();
    const QPoint at(bar->width() / 2, upper ? 3 : bar->height() - 3);
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, bar->mapTo(top, at));
}

// The mouse and the keys as a person uses them on a document's surface.
inline void Mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button,
                  Qt::MouseButtons held, Qt::KeyboardModifiers keys = {}) {
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(w, &event);
}

// A drag in steps moves.
inline void Drag(QWidget* w, QPointF from, QPointF to, Qt::MouseButton button,
                 Qt::KeyboardModifiers keys = {}, int steps = 4) {
    Mouse(w, QEvent::MouseButtonPress, from, button, button, keys);
    for (int i = 1; i <= steps; ++i)
        Mouse(w, QEvent::MouseMove, from + (to - from) * i / steps, Qt::NoButton, button, keys);
    Mouse(w, QEvent::MouseButtonRelease, to, button, Qt::NoButton, keys);
}

inline void Wheel(QWidget* w, QPointF at, int notches, Qt::KeyboardModifiers keys = {}) {
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      keys, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

inline void Key(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// How many times slower the sanitizer build runs: a bound on time is stretched by it.
inline int SlowBuildFactor() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return 10;
#else
    return 1;
#endif
}

} // namespace orbiplot::test
