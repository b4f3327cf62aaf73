#include "AppTestSupport.h"

#include "dialogs/LineCalculatorDialog.h"
#include "dialogs/frmExpressionParse.h"
#include "expr/modConst.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// Types into a calculator and presses Enter.
void Compute(frmExpressionParse* calculator, const QString& expression) {
    QLineEdit* box = Named<QLineEdit>(calculator, "txtExpression");
    box->setText(expression);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

TEST(ExpressionCalculatorWindow, CaptionsCountEveryOpening) {
    AppFixture f;
    for (int i = 0; i < 3; ++i)
        f.main->Command().CalculateExpression->trigger();
    f.main->MdiArea()->subWindowList()[1]->close();
    f.main->Command().CalculateExpression->trigger();
    EXPECT_EQ(f.main->MdiArea()->currentSubWindow()->windowTitle(), "表达式计算器 4");
    EXPECT_EQ(f.main->MdiArea()->subWindowList().size(), 3);
}

TEST(ExpressionCalculatorWindow, ResultsErrorsSelectionAndCopy) {
    AppFixture f;
    frmExpressionParse* calculator = f.main->OpenCalculator();
    QLineEdit* expression = Named<QLineEdit>(calculator, "txtExpression");
    QLineEdit* result = Named<QLineEdit>(calculator, "txtResult");
    QClipboard* clipboard = QGuiApplication::clipboard();

    Compute(calculator, "2+*3");
    EXPECT_EQ(result->text(), "<语法错误>");
    EXPECT_EQ(expression->selectedText(), "*");
    Compute(calculator, "sin(1");
    EXPECT_FALSE(expression->hasSelectedText());
    EXPECT_EQ(expression->cursorPosition(), 5);
    // Copying after a syntax error leaves the clipboard alone.
    clipboard->setText("kept");
    ClickThroughWindow(calculator->findChild<QLabel*>("Label1"));
    EXPECT_EQ(clipboard->text(), "kept");

    Compute(calculator, "1+1");
    Compute(calculator, "sqr(-1)"); // the error keeps the last result
    EXPECT_EQ(f.messages.shown.size(), 3u);
    EXPECT_EQ(result->text(), "2.0");
    ClickThroughWindow(calculator->findChild<QLabel*>("Label1"));
    EXPECT_EQ(clipboard->text(), "2.0");

    // The user's constants are there, also those added while the window is open.
    modConst::AddUserConstant(f.context.Core, "g", 9.8);
    Named<QLineEdit>(calculator, "txtExpression")->setText("g*2");
    ClickThroughWindow(calculator->findChild<QPushButton*>("cmdParse"));
    EXPECT_EQ(result->text(), "19.6");
}

TEST(ExpressionCalculatorWindow, DocumentCommandsPassACalculatorBy) {
    AppFixture f;
    frmDocument* document = f.Open(f.Document("a.opd"));
    ASSERT_NE(document, nullptr);
    const float width = document->ViewState().ScaleWidth();
    f.main->OpenCalculator();
    for (const char* name : {"mnuFileClose", "mnuViewRefresh", "mnuZoomIn", "mnuFileSaveAs",
                             "mnuFileExport", "mnuFilePrint", "mnuFileProperties"})
        f.Action(name)->trigger();
    EXPECT_EQ(document->ViewState().ScaleWidth(), width);
    EXPECT_EQ(f.VisibleWindows(), 2);
    EXPECT_TRUE(f.messages.shown.empty() && f.dialogs.requests.empty());

    f.main->Command().FileSave->trigger();
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Number = 438")));
}

TEST(LineCalculatorDialogs, ComputeFocusSelectAndAbout) {
    AppFixture f;
    QString output, focused;
    WhenModal([&](QWidget* dialog) {
        EXPECT_EQ(Named<QLineEdit>(dialog, "txtOut")->text(), "请输入数值.");
        QTest::keyClicks(Named<QLineEdit>(dialog, "txtValue0"), "0,0");
        QTest::keyClicks(Named<QLineEdit>(dialog, "txtValue1"), "3");
        QTest::keyClicks(Named<QLineEdit>(dialog, "txtValue2"), "4");
        QTest::keyClicks(Named<QLineEdit>(dialog, "txtValue3"), "-10");
        ClickThroughWindow(dialog->findChild<QPushButton*>("cmdRun"));
        output = Named<QLineEdit>(dialog, "txtOut")->text();
        // A box emptied: reported, and the box has the focus.
        Named<QLineEdit>(dialog, "txtValue2")->clear();
        ClickThroughWindow(dialog->findChild<QPushButton*>("cmdRun"));
        focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "";
        // The right button on the background (a corner, a label, the gap left of the buttons)
        // shows the about box; over a button it does not (a box opens its own edit menu).
        const auto rightClick = [&](QWidget* over, QPoint at) {
            QTest::mouseClick(dialog->windowHandle(), Qt::RightButton, {}, over->mapTo(dialog, at));
        };
        QWidget* run = dialog->findChild<QPushButton*>("cmdRun");
        rightClick(dialog, QPoint(3, 3));
        rightClick(dialog->findChild<QLabel*>(), QPoint(2, 2));
        rightClick(run, QPoint(-10, run->height() / 2));
        rightClick(run, QPoint(5, 5));
        ClickThroughWindow(dialog->findChild<QPushButton*>("cmdClose"));
    });
    f.main->Command().CalculatePL->trigger();
    EXPECT_EQ(output, "点 P(0,0) 到直线 L:3*x+4*y-10=0 的距离为 2.0 。");
    EXPECT_EQ(focused, "txtValue2");
    const auto about = StartsWith("点线位置关系计算器 for Orbiplot\n\n版本 0.1\n");
    EXPECT_THAT(f.messages.Texts(), ElementsAre(_, about, about, about));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Each opening starts afresh; the second line's degenerate A box gets the focus with its
    // text selected, ready to be typed over.
    QString selectedText;
    WhenModal([&](QWidget* dialog) {
        for (auto [name, text] : {std::pair{"txtValue1", "1"},
                                  {"txtValue2", "1"},
                                  {"txtValue3", "1"},
                                  {"txtValue4", "0"},
                                  {"txtValue5", "0"},
                                  {"txtValue6", "5"}})
            Named<QLineEdit>(dialog, name)->setText(text);
        ClickThroughWindow(dialog->findChild<QPushButton*>("cmdRun"));
        QApplication::processEvents();
        focused = QApplication::focusWidget()->objectName();
        selectedText = qobject_cast<QLineEdit*>(QApplication::focusWidget())->selectedText();
        QTest::mouseClick(dialog->windowHandle(), Qt::RightButton, {},
                          QPoint(dialog->width() - 3, 3));
        dialog->close();
    });
    f.messages.shown.clear();
    f.main->Command().CalculateLL->trigger();
    EXPECT_EQ(focused, "txtValue4");
    EXPECT_EQ(selectedText, "0");
    EXPECT_THAT(f.messages.Texts(),
                ElementsAre(_, StartsWith("线线位置关系计算器 for Orbiplot\n")));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
