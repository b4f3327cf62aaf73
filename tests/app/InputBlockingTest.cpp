// The windows as a person meets them: clicks and keys go through the window system, where a
// window blocked by a modal one never sees them.
#include "AppTestSupport.h"

#include "dialogs/frmFunManager.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

frmFunManager* Manager(AppFixture& f) { return f.main->findChild<frmFunManager*>(); }

// The main window and the document answer a click on a toolbar button, a key and a pointer
// move, as they do when nothing blocks them.
void ExpectMainWindowAnswers(AppFixture& f, const char* step) {
    SCOPED_TRACE(step);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    frmDocument* document = f.main->ActiveDocument();
    ASSERT_NE(document, nullptr);
    const float width = document->ViewState().ScaleWidth();
    QWidget* zoomIn =
        f.main->findChild<QToolBar*>("tbToolBar3")->widgetForAction(f.main->Command().ZoomIn);
    ClickThroughWindow(zoomIn);
    EXPECT_LT(document->ViewState().ScaleWidth(), width) << "toolbar click ignored";

    const float zoomedWidth = document->ViewState().ScaleWidth();
    document->setFocus();
    QTest::keyClick(f.main->windowHandle(), Qt::Key_Minus);
    EXPECT_GT(document->ViewState().ScaleWidth(), zoomedWidth) << "key ignored";

    f.main->SetStatusText(StatusPanel::Readout, "");
    QTest::mouseMove(f.main->windowHandle(), document->mapTo(f.main.get(), QPoint(5, 5)));
    EXPECT_TRUE(f.StatusText(StatusPanel::Readout).startsWith("当前坐标"))
        << "pointer move ignored";
}

} // namespace

TEST(CurveManagerWindow, StaysOpenAndBlocksNothingAfterEveryAction) {
    AppFixture f;
    ASSERT_NE(f.Open(f.Document("one.opd")), nullptr);
    f.main->ActiveDocument()->setFocus();
    QTest::keyClick(f.main->windowHandle(), Qt::Key_Space);
    frmFunManager* manager = Manager(f);
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), manager); // modal while first shown
    auto* list = Named<QListWidget>(manager, "lstFunList");

    const auto step = [&](const char* name, const std::function<void()>& act) {
        act();
        ASSERT_TRUE(manager->isVisible()) << name;
        EXPECT_EQ(Manager(f), manager) << name;
        ExpectMainWindowAnswers(f, name);
    };
    step("add, OK", [&] {
        WhenModal([](QWidget* w) { Named(w, "cmdOK")->click(); });
        ClickThroughWindow(Named(manager, "cmdAdd"));
        EXPECT_EQ(list->count(), 2);
    });
    step("add, cancel", [&] {
        WhenModal([](QWidget* w) { Named(w, "cmdCancel")->click(); });
        ClickThroughWindow(Named(manager, "cmdAdd"));
        EXPECT_EQ(list->count(), 2);
    });
    step("edit", [&] {
        list->setCurrentRow(1);
        WhenModal([](QWidget* w) {
            Named<QLineEdit>(w, "txtExpressionG")->setText("x*x");
            Named(w, "cmdOK")->click();
        });
        ClickThroughWindow(Named(manager, "cmdEdit"));
        EXPECT_EQ(list->item(1)->text(), "普通方程: y=x*x");
    });
    step("delete, No", [&] {
        list->setCurrentRow(1);
        f.messages.answers = {MsgResult::No};
        ClickThroughWindow(Named(manager, "cmdDelete"));
        EXPECT_EQ(list->count(), 2);
    });
    step("delete, Yes", [&] {
        list->setCurrentRow(1);
        f.messages.answers = {MsgResult::Yes};
        ClickThroughWindow(Named(manager, "cmdDelete"));
        EXPECT_EQ(list->count(), 1);
    });
    step("redraw", [&] { ClickThroughWindow(Named(manager, "cmdRefresh")); });

    // Opened again by its key, its menu item or its button: the same window, still free.
    f.main->Command().CurveManager->trigger();
    ClickThroughWindow(f.main->findChild<QToolBar*>("tbToolBar2")
                           ->widgetForAction(f.main->Command().CurveManager));
    EXPECT_EQ(f.main->findChildren<frmFunManager*>().size(), 1);
    ExpectMainWindowAnswers(f, "opened again");

    ClickThroughWindow(Named(manager, "cmdClose"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Manager(f), nullptr);
    ExpectMainWindowAnswers(f, "closed");
}

TEST(CurveManagerWindow, ClosedWhileStillModalLeavesNothingBlocked) {
    AppFixture f;
    ASSERT_NE(f.Open(f.Document("one.opd")), nullptr);
    f.main->Command().CurveManager->trigger();
    ASSERT_EQ(QApplication::activeModalWidget(), Manager(f));
    Named(Manager(f), "cmdClose")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ExpectMainWindowAnswers(f, "closed at once");
}
