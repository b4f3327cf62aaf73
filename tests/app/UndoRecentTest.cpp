// Taking changes back and making them again, as a person does it (dialogs, the manager's
// buttons and check boxes, keys, menu items, toolbar buttons), and the documents last
// opened or saved in the file menu.
#include "AppTestSupport.h"

#include "base/RecentDocuments.h"
#include "dialogs/frmExpressionParse.h"
#include "dialogs/frmFunManager.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QToolBar>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace orbiplot;
using namespace orbiplot::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// A red circle and a blue wave.
std::string TwoCurves(AppFixture& f, const std::string& name, const std::string& title = "t") {
    return f.dir.Write(name, "[General]\r\nOPMVer=1\r\nTitle=" + title +
                                 "\r\nC=2\r\n[0DATA]\r\nType=6\r\nSD1=1\r\nSD2=0\r\nSD3=1\r\n"
                                 "LC=255\r\n[1DATA]\r\nType=13\r\nExp1=sin(x)\r\nLC=16711680\r\n");
}

// Keys pressed in the main window, brought to the front first as a person's click does
// after a dialog.
void Keys(AppFixture& f, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    f.main->activateWindow();
    QApplication::processEvents();
    QTest::keyClick(f.main->windowHandle(), key, modifiers);
}

frmFunManager* Manager(AppFixture& f) { return f.main->findChild<frmFunManager*>(); }

QToolBar* MainBar(AppFixture& f) { return f.main->findChild<QToolBar*>("tbToolBar"); }

} // namespace

TEST(Undo, EveryKindOfChangeIsTakenBackAndMadeAgainThroughTheWidgets) {
    AppFixture f;
    frmDocument* d = f.Open(TwoCurves(f, "a.opd"));
    ASSERT_NE(d, nullptr);
    QAction* undo = f.main->Command().CurveUndo;
    QAction* redo = f.main->Command().CurveRedo;
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(undo->text(), "撤销(&U)");
    const QImage loaded = d->Picture();
    const std::vector<std::string> loadedList = d->GetFunList();

    // Added through the curve dialog (menu item Y=f(X)).
    WhenModal([](QWidget* w) {
        Named<QLineEdit>(w, "txtExpressionG")->setText("x*x/4-3");
        Named(w, "cmdOK")->click();
    });
    f.main->Command().CurveAdd[CurveGeneralY]->trigger();
    ASSERT_EQ(d->GetFunList().size(), 3u);
    const QImage added = d->Picture();
    EXPECT_NE(added, loaded);
    EXPECT_TRUE(d->Model().IsModified());
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), "撤销 添加曲线 普通方程: y=x*x/4-3(&U)");

    // Ctrl+Z takes it back: the list, the picture and the saved state are as loaded.
    d->setFocus();
    Keys(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(d->GetFunList(), loadedList);
    EXPECT_EQ(d->Picture(), loaded);
    EXPECT_FALSE(d->Model().IsModified());
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_EQ(redo->text(), "重做 添加曲线 普通方程: y=x*x/4-3(&R)");
    // The menu item makes it again, drawn over the picture as the dialog drew it.
    redo->trigger();
    EXPECT_EQ(d->GetFunList().size(), 3u);
    EXPECT_EQ(d->Picture(), added);
    EXPECT_TRUE(d->Model().IsModified());

    // Deleted in the manager (the first curve, the circle), then taken back from the
    // toolbar: the circle is first again, all drawn anew.
    d->RefreshAll();
    const QImage three = d->Picture();
    Keys(f, Qt::Key_M, Qt::ControlModifier);
    frmFunManager* manager = Manager(f);
    ASSERT_NE(manager, nullptr);
    auto* list = Named<QListWidget>(manager, "lstFunList");
    list->setCurrentRow(0);
    f.messages.answers = {MsgResult::Yes};
    ClickThroughWindow(Named(manager, "cmdDelete"));
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "普通方程: y=sin(x)");
    const QImage deleted = d->Picture();
    ClickThroughWindow(Named(manager, "cmdClose"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(undo->text(), "撤销 删除曲线 圆: (x-(1))^2+(y-(0))^2=(1)^2(&U)");
    ClickThroughWindow(MainBar(f)->widgetForAction(undo));
    EXPECT_EQ(d->GetFunList()[0], "圆: (x-(1))^2+(y-(0))^2=(1)^2");
    EXPECT_EQ(d->GetFunList().size(), 3u);
    EXPECT_EQ(d->Picture(), three);
    ClickThroughWindow(MainBar(f)->widgetForAction(redo));
    EXPECT_EQ(d->Picture(), deleted);
    Keys(f, Qt::Key_Z, Qt::ControlModifier);

    // Hidden by its check box; the manager's own Ctrl+Z shows it again, and Ctrl+Y there
    // hides it once more; its list follows.
    Keys(f, Qt::Key_M, Qt::ControlModifier);
    manager = Manager(f);
    ASSERT_NE(manager, nullptr);
    list = Named<QListWidget>(manager, "lstFunList");
    const QImage shown = d->Picture();
    list->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(d->Model().Curve(1).ShowHide);
    EXPECT_EQ(undo->text(), "撤销 隐藏曲线 普通方程: y=sin(x)(&U)");
    ClickThroughWindow(Named(manager, "cmdRefresh"));
    const QImage hidden = d->Picture();
    EXPECT_NE(hidden, shown);
    // Taken back and made again, the picture follows at once: the curve is drawn, then gone.
    QTest::keyClick(manager, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(d->Model().Curve(1).ShowHide);
    EXPECT_EQ(Named<QListWidget>(manager, "lstFunList")->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(d->Picture(), shown);
    QTest::keyClick(manager, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FALSE(d->Model().Curve(1).ShowHide);
    EXPECT_EQ(Named<QListWidget>(manager, "lstFunList")->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(d->Picture(), hidden);
    ClickThroughWindow(Named(manager, "cmdClose"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The same by the main window's keys, the manager closed.
    Keys(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(d->Picture(), shown);
    Keys(f, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(d->Picture(), hidden);

    // The properties: a new title, then back.
    WhenModal([](QWidget* w) {
        Named<QLineEdit>(w, "txtDocName")->setText("新标题");
        Named(w, "cmdOK")->click();
    });
    f.main->Command().FileProperties->trigger();
    EXPECT_EQ(d->windowTitle(), "新标题");
    EXPECT_EQ(undo->text(), "撤销 修改文档属性(&U)");
    Keys(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(d->windowTitle(), "t");
    EXPECT_EQ(d->GetDocInfo().Title, "t");

    // Back through every step to the file as loaded: unmodified, the first picture, and
    // closing asks nothing.
    EXPECT_NE(d->Picture(), loaded);
    EXPECT_EQ(d->Picture(), hidden);
    while (undo->isEnabled())
        undo->trigger();
    EXPECT_EQ(d->GetFunList(), loadedList);
    EXPECT_TRUE(d->Model().Curve(1).ShowHide);
    EXPECT_FALSE(d->Model().IsModified());
    EXPECT_EQ(d->Picture(), loaded);
    f.messages.shown.clear();
    d->CloseDoc();
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(f.VisibleWindows(), 0);
    EXPECT_FALSE(undo->isEnabled());
}

TEST(Undo, TheModifiedMarkFollowsTheStackAndSavingMarksItsPlace) {
    AppFixture f;
    frmDocument* d = f.Open(TwoCurves(f, "a.opd"));
    ASSERT_NE(d, nullptr);
    f.dialogs.files = {f.dir.File("loaded.opd")};
    f.main->Command().FileSaveAs->trigger(); // the document as loaded, every key written
    const std::string asLoaded = f.dir.Read("loaded.opd");
    // Deleting and hiding alone mark the document: closing would lose them otherwise.
    d->DeleteFun(0);
    EXPECT_TRUE(d->Model().IsModified());
    f.messages.answers = {MsgResult::Cancel};
    d->CloseDoc();
    EXPECT_THAT(f.messages.Texts(), ElementsAre("是否保存对 \"t\" 的修改？"));
    d->UndoStack().undo();
    EXPECT_FALSE(d->Model().IsModified());
    d->SetFunListShowHide(1, false);
    EXPECT_TRUE(d->Model().IsModified());

    // Saved here: this is the state without questions; undoing away from it marks the
    // document again, redoing back unmarks it.
    f.main->Command().FileSave->trigger();
    EXPECT_FALSE(d->Model().IsModified());
    d->UndoStack().undo();
    EXPECT_TRUE(d->Model().IsModified());
    d->UndoStack().redo();
    EXPECT_FALSE(d->Model().IsModified());
    // A new change after undoing past the save leaves no way back to it unmarked.
    d->UndoStack().undo();
    d->ModifyDocInfo({"u", "a", "n", "1"});
    EXPECT_TRUE(d->Model().IsModified());
    d->UndoStack().undo();
    EXPECT_TRUE(d->Model().IsModified()); // the saved file has the curve hidden

    // Everything taken back and saved elsewhere: the same bytes as the file first loaded,
    // every slot restored whole.
    while (d->UndoStack().canUndo())
        d->UndoStack().undo();
    f.dialogs.files = {f.dir.File("b.opd")};
    f.main->Command().FileSaveAs->trigger();
    EXPECT_EQ(f.dir.Read("b.opd"), asLoaded);
}

TEST(Undo, AStepRestoresTheWholeSlotAndAtMostAHundredAreKept) {
    AppFixture f;
    frmDocument* d = f.Open(TwoCurves(f, "a.opd"));
    ASSERT_NE(d, nullptr);
    // A point stored over the slot of a deleted wave keeps the wave's expression in fields a
    // point does not use (a later save writes them): taking the point back and making it
    // again gives back exactly those slots.
    d->DeleteFun(1);
    CurveRecord point;
    point.FType = Point;
    point.SData1 = "2";
    point.SData2 = "3";
    point.LineWidth = 3;
    ASSERT_TRUE(d->ModifyFun(point, 1, true));
    const CurveRecord stored = d->Model().Curve(1);
    EXPECT_EQ(stored.Expression1, "sin(x)");
    d->UndoStack().undo();
    EXPECT_EQ(d->Model().CurveCount(), 1);
    EXPECT_EQ(d->Model().Curve(1).FType, CurveGeneralY); // the slot beyond the list as it was
    d->UndoStack().redo();
    EXPECT_EQ(d->Model().Curve(1), stored);

    // An edit to another type, taken back: the wave's record whole.
    d->UndoStack().undo();
    d->UndoStack().undo();
    const CurveRecord wave = d->Model().Curve(1);
    CurveRecord circle;
    circle.FType = CircleStandard;
    circle.SData1 = circle.SData2 = "0";
    circle.SData3 = "2";
    ASSERT_TRUE(d->ModifyFun(circle, 1, false));
    EXPECT_EQ(d->UndoStack().undoText(), "编辑曲线 圆: (x-(0))^2+(y-(0))^2=(2)^2");
    d->UndoStack().undo();
    EXPECT_EQ(d->Model().Curve(1), wave);
    // A change that is refused is no step.
    circle.FType = 17;
    f.messages.shown.clear();
    EXPECT_FALSE(d->ModifyFun(circle, 1, false));
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("未知曲线类型")));
    EXPECT_EQ(d->UndoStack().redoText(), "编辑曲线 圆: (x-(0))^2+(y-(0))^2=(2)^2");

    // 130 steps: the oldest 30 are gone, the other 100 go back in order.
    for (int i = 0; i < 130; ++i)
        d->SetFunListShowHide(i % 2, (i / 2) % 2 == 1);
    EXPECT_EQ(d->UndoStack().count(), frmDocument::UndoLimit);
    int undone = 0;
    while (d->UndoStack().canUndo()) {
        d->UndoStack().undo();
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    // Step 30 (i = 30) was the oldest kept: before it, curve 0 was as step 28 left it.
    EXPECT_FALSE(d->Model().Curve(0).ShowHide);
    EXPECT_FALSE(d->Model().Curve(1).ShowHide);
    EXPECT_TRUE(d->Model().IsModified());
}

TEST(Undo, FollowsTheActiveDocumentAndLeavesTextBoxesTheirOwnKeys) {
    AppFixture f;
    frmDocument* a = f.Open(TwoCurves(f, "a.opd", "A"));
    frmDocument* b = f.Open(TwoCurves(f, "b.opd", "B"));
    ASSERT_TRUE(a && b);
    a->DeleteFun(0);
    b->DeleteFun(1);
    // B is in front: Ctrl+Z takes back B's change only.
    EXPECT_EQ(f.main->ActiveDocument(), b);
    EXPECT_EQ(f.main->Command().CurveUndo->text(), "撤销 删除曲线 普通方程: y=sin(x)(&U)");
    b->setFocus();
    Keys(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(b->GetFunList().size(), 2u);
    EXPECT_EQ(a->GetFunList().size(), 1u);
    // A in front: its own step.
    f.main->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(a->parentWidget()));
    EXPECT_EQ(f.main->Command().CurveUndo->text(),
              "撤销 删除曲线 圆: (x-(1))^2+(y-(0))^2=(1)^2(&U)");

    // A calculator in front: the document steps are out of reach, and in its text box
    // Ctrl+Z takes back the typing.
    frmExpressionParse* calculator = f.main->OpenCalculator();
    EXPECT_FALSE(f.main->Command().CurveUndo->isEnabled());
    auto* box = calculator->findChild<QLineEdit*>("txtExpression");
    ASSERT_NE(box, nullptr);
    box->setFocus();
    QTest::keyClicks(box, "1+2");
    Keys(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(a->GetFunList().size(), 1u);
    EXPECT_EQ(b->GetFunList().size(), 2u);
    Keys(f, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(box->text(), "1+2");
    EXPECT_EQ(b->GetFunList().size(), 2u);
}

TEST(RecentDocuments, TheFileMenuListsTheLastEightNewestFirst) {
    AppFixture f;
    const auto entries = [&] {
        std::vector<std::string> shown;
        for (QAction* action : f.main->Command().Recent)
            if (action->isVisible()) shown.push_back(action->toolTip().toStdString());
        return shown;
    };
    EXPECT_TRUE(entries().empty());
    for (const char* name : {"1.opd", "2.opd", "3.opd"})
        ASSERT_NE(f.Open(TwoCurves(f, name)), nullptr);
    EXPECT_EQ(entries(), (std::vector<std::string>{f.dir.File("3.opd"), f.dir.File("2.opd"),
                                                   f.dir.File("1.opd")}));
    EXPECT_EQ(f.main->Command().Recent[0]->text().toStdString(), "&1 " + f.dir.File("3.opd"));
    EXPECT_EQ(f.main->Command().Recent[2]->text().toStdString(), "&3 " + f.dir.File("1.opd"));

    // Saving puts a document in front; so does opening one already listed, without doubling.
    frmDocument* first = f.main->Documents().front();
    f.main->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    f.dialogs.files = {f.dir.File("saved.opd")};
    f.main->Command().FileSaveAs->trigger();
    EXPECT_EQ(entries().front(), f.dir.File("saved.opd"));
    EXPECT_EQ(entries().size(), 4u);

    // Ten more: eight kept, the newest first.
    for (int i = 0; i < 10; ++i)
        ASSERT_NE(f.Open(TwoCurves(f, "more" + std::to_string(i) + ".opd")), nullptr);
    ASSERT_EQ(entries().size(), 8u);
    EXPECT_EQ(entries().front(), f.dir.File("more9.opd"));
    EXPECT_EQ(entries().back(), f.dir.File("more2.opd"));
    EXPECT_EQ(LoadRecentDocuments(f.context.Core.SettingsFile()), entries());
    EXPECT_EQ(f.main->Command().Recent[7]->text().left(3), "&8 ");

    // An entry whose document is open brings its window to the front and opens nothing.
    const int windows = f.VisibleWindows();
    f.main->Command().Recent[3]->trigger(); // more6.opd
    EXPECT_EQ(f.VisibleWindows(), windows);
    EXPECT_EQ(f.main->ActiveDocument()->GetIPath(), f.dir.File("more6.opd"));
    EXPECT_EQ(entries().front(), f.dir.File("more6.opd"));

    // An entry whose file is gone: reported as a missing file and taken off the list.
    f.main->MdiArea()->closeAllSubWindows();
    std::filesystem::remove(f.dir.File("more4.opd"));
    f.messages.shown.clear();
    const auto before = entries();
    const auto gone = std::find(before.begin(), before.end(), f.dir.File("more4.opd"));
    ASSERT_NE(gone, before.end());
    f.main->Command().Recent[static_cast<size_t>(gone - before.begin())]->trigger();
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("文件未找到")));
    EXPECT_EQ(f.VisibleWindows(), 0);
    const auto after = entries();
    EXPECT_EQ(after.size(), 7u);
    EXPECT_EQ(std::count(after.begin(), after.end(), f.dir.File("more4.opd")), 0);
    EXPECT_EQ(LoadRecentDocuments(f.context.Core.SettingsFile()), entries());

    // Any other entry opens its document.
    f.main->Command().Recent[1]->trigger();
    ASSERT_NE(f.main->ActiveDocument(), nullptr);
    EXPECT_EQ(f.main->ActiveDocument()->GetIPath(),
              before[1] == f.dir.File("more4.opd") ? before[2] : before[1]);
}

TEST(RecentDocuments, ALongPathIsShortenedAndTheSettingsKeepEveryOtherByte) {
    AppFixture f;
    // The settings as the program first wrote them, a placement, and a section of someone
    // else's with a Chinese value.
    const std::string settings =
        "[General]\r\nIsFirst=True\r\nIsShowTip=1\r\n[Grid]\r\nIsShow=True\r\nStyle=3\r\n"
        "Color=15132390\r\nIsPi=False\r\nUnit=0.5\r\nBackColor=16777215\r\n[MainPos]\r\n"
        "MainLeft=1000\r\nMainTop=1000\r\nMainWidth=8700\r\nMainHeight=7900\r\n[Other]\r\n"
        "Key=\xd6\xd0\xce\xc4\r\n";
    std::filesystem::path file = f.context.Core.SettingsFile();
    f.dir.Write(file.filename().string(), settings);
    const std::string folder(120, 'd');
    std::filesystem::create_directories(f.dir.File(folder));
    ASSERT_NE(f.Open(TwoCurves(f, folder + "/long & deep.opd")), nullptr);
    const QString text = f.main->Command().Recent[0]->text();
    EXPECT_TRUE(text.startsWith("&1 /"));
    EXPECT_TRUE(text.endsWith("long && deep.opd")) << text.toStdString();
    EXPECT_TRUE(text.contains(QChar(0x2026)));
    EXPECT_LT(text.size(), 130);
    EXPECT_EQ(f.main->Command().Recent[0]->toolTip().toStdString(),
              f.dir.File(folder + "/long & deep.opd"));
    // The file: every line as it was, then the list's own section.
    const std::string written = f.dir.Read(file.filename().string());
    ASSERT_EQ(written.substr(0, settings.size()), settings);
    EXPECT_EQ(written.substr(settings.size()),
              "\r\n[Recent]\r\nFile1=" + f.dir.File(folder + "/long & deep.opd") +
                  "\r\nFile2=\r\nFile3=\r\nFile4=\r\nFile5=\r\nFile6=\r\nFile7=\r\nFile8=\r\n");
    // The settings read back as before.
    const AppSettings read = LoadSettings(file.string());
    EXPECT_EQ(read.Style, 3);
    EXPECT_EQ(read.Unit, 0.5f);
    EXPECT_FALSE(read.IsPi);
}
