#pragma once

#include "QtTestSupport.h"
#include "ScriptedSeams.h"
#include "TempDir.h"

#include "app/AppContext.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "docwin/frmDocument.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace orbiplot::test {

class FixedClock : public Clock {
public:
    float Timer() override { return 1.0f; }
};

// The main window with scripted message and dialog seams, on a folder of its own.
struct AppFixture {
    TempDir dir;
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    SeededRandom random;
    FixedClock clock;
    AppContext context{messages, dialogs, random, clock, dir.Path()};
    std::unique_ptr<frmMain> main;

    AppFixture() {
        context.Now = [] { return QString("2026/12/6 18:22"); };
        main = std::make_unique<frmMain>(context);
        context.MainForm = main.get();
        modMain::UpdateCommandState(context);
        main->show();
    }
    ~AppFixture() {
        // Close documents without questions so that nothing waits for an answer.
        for (frmDocument* d : main->Documents()) d->Model().SetModified(false);
        main->MdiArea()->closeAllSubWindows();
        context.MainForm = nullptr;
    }

    std::string Document(const std::string& name, const std::string& title = "t") {
        return dir.Write(name, "[General]\r\nOPMVer=1\r\nTitle=" + title +
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
        for (QMdiSubWindow* sub : main->MdiArea()->subWindowList()) n += sub->isVisible();
        return n;
    }
};

} // namespace orbiplot::test
