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

frmFunManager* Manager(AppFixture& f) {
    frmFunManager* manager = f.main->findChild<frmFunManager*>();
    return manager && manager->isVisible() ? manager : nullptr;
}

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

// While the manager is up it is the one modal window: no dialog of its own is left behind,
// and neither another document nor a toolbar button can be reached under it.
static void ExpectManagerAloneModal(AppFixture& f, frmFunManager* manager, frmDocument* other,
                                    const char* step) {
    SCOPED_TRACE(step);
    ASSERT_TRUE(manager->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), manager);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top != manager && top->isVisible() && top->isModal())
            << top->objectName().toStdString() << " left open";
    frmDocument* owner = manager->Document();
    ASSERT_NE(owner, nullptr);
    ClickThroughWindow(other);
    EXPECT_EQ(f.main->ActiveDocument(), owner) << "another document was activated";
    const float width = owner->ViewState().ScaleWidth();
    ClickThroughWindow(
        f.main->findChild<QToolBar*>("tbToolBar3")->widgetForAction(f.main->Command().ZoomIn));
    EXPECT_EQ(owner->ViewState().ScaleWidth(), width) << "a toolbar click got through";
}

TEST(CurveManagerWindow, ModalOverItsOwnDocumentThroughEveryActionAndClosesWithIt) {
    AppFixture f;
    frmDocument* other = f.Open(f.Document("other.opd", "other"));
    ASSERT_NE(other, nullptr);
    CurveRecord line;
    line.FType = LineSI;
    line.ShowHide = true;
    for (int i = 1; i <= 3; ++i)
        other->ModifyFun(line, i, true); // four curves: a delete by row would hit one
    other->Model().SetModified(false);
    frmDocument* document = f.Open(f.Document("one.opd", "one"));
    ASSERT_NE(document, nullptr);
    // Asked for while open on another document (the program may ask; a person cannot reach
    // it): the one manager turns to the document asked for.
    f.main->OpenCurveManager(*other);
    EXPECT_EQ(Manager(f)->Document(), other);
    f.main->OpenCurveManager(*document);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(f.main->findChildren<frmFunManager*>().size(), 1);
    EXPECT_EQ(Manager(f)->Document(), document);
    Manager(f)->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    document->setFocus();
    QTest::keyClick(f.main->windowHandle(), Qt::Key_Space);
    frmFunManager* manager = Manager(f);
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->Document(), document);
    auto* list = Named<QListWidget>(manager, "lstFunList");

    const auto step = [&](const char* name, const std::function<void()>& act) {
        act();
        EXPECT_EQ(Manager(f), manager) << name;
        ExpectManagerAloneModal(f, manager, other, name);
        EXPECT_EQ(other->GetFunList().size(), 4u) << name; // the other document is untouched
    };
    step("opened", [] {});
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
        EXPECT_EQ(document->GetFunList(),
                  std::vector<std::string>{"圆: (x-(0))^2+(y-(0))^2=(1)^2"});
    });
    step("redraw", [&] { ClickThroughWindow(Named(manager, "cmdRefresh")); });

    // Its document closes (the program closes it, since the person cannot reach it): the
    // manager goes with it and nothing stays blocked.
    document->CloseDoc();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Manager(f), nullptr);
    ExpectMainWindowAnswers(f, "its document closed");

    // Opened again by its toolbar button: modal over the document now active.
    ClickThroughWindow(f.main->findChild<QToolBar*>("tbToolBar2")
                           ->widgetForAction(f.main->Command().CurveManager));
    ASSERT_NE(Manager(f), nullptr);
    EXPECT_EQ(Manager(f)->Document(), other);
    EXPECT_EQ(Named<QListWidget>(Manager(f), "lstFunList")->count(), 4);
    EXPECT_EQ(QApplication::activeModalWidget(), Manager(f));
    ClickThroughWindow(Named(Manager(f), "cmdClose"));
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
