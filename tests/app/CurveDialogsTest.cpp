#include "AppTestSupport.h"

#include "dialogs/frmFunAdd.h"
#include "dialogs/frmFunManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <QToolBar>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

frmDocument* EmptyDocument(AppFixture& f) {
    return f.Open(f.dir.Write("empty.opd", "[General]\r\nOPMVer=1\r\nC=0\r\n"));
}

// Opens the dialog for a new curve, lets fill() set the controls, then presses OK.
void AddThroughDialog(AppFixture& f, frmDocument& document, int32_t type,
                      const std::function<void(frmFunAdd&)>& fill, bool thenCancel = false) {
    WhenModal([&, thenCancel](QWidget* w) {
        auto* dialog = qobject_cast<frmFunAdd*>(w);
        ASSERT_NE(dialog, nullptr);
        fill(*dialog);
        if (dialog->isVisible()) dialog->cmdOK->click();
        if (thenCancel && dialog->isVisible()) dialog->cmdCancel->click();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog->reject();
        }
    });
    frmFunAdd(f.context.Core, f.context.Dialogs, document, f.main.get()).NewFun(type);
}

} // namespace

TEST(CurveDialog, EveryTypeCanBeAdded) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    ASSERT_NE(document, nullptr);
    const std::array<std::string, 4> values[] = {
        {"1", "2", "0", "0"}, {"1", "2", "3", "0"}, {"1", "1", "2", "0"}, {"2", "1", "0", "0"},
        {"0", "0", "1", "2"}, {"2", "3", "0", "0"}, {"1", "1", "2", "0"}, {"2", "-2", "-2", "0"},
        {"3", "2", "0", "0"}, {"1", "1", "0", "0"}, {"2", "1", "0", "0"}, {"1", "0", "0", "0"},
        {"1", "0", "0", "0"},
    };
    for (int32_t type = 0; type < CurveTypeCount; ++type) {
        AddThroughDialog(f, *document, type, [&](frmFunAdd& d) {
            EXPECT_EQ(d.SelectedType(), type);
            EXPECT_EQ(d.windowTitle(), "添加曲线");
            if (type < CurveGeneralY)
                for (int i = 0; i < 4; ++i)
                    d.txtValue[i]->setText(
                        QString::fromStdString(values[type][static_cast<size_t>(i)]));
        });
    }
    EXPECT_TRUE(f.messages.shown.empty())
        << (f.messages.shown.empty() ? "" : f.messages.shown[0].Text);
    ASSERT_EQ(document->GetLastCountAdd1(), CurveTypeCount);
    const auto list = document->GetFunList();
    EXPECT_EQ(list[4], "直线: (y-(0))/((2)-(0))=(x-(0))/((1)-(0))");
    EXPECT_EQ(list[13], "普通方程: y=2*x");
    EXPECT_EQ(list[14], "普通方程: x=2*y");
    EXPECT_EQ(list[15], "参数方程: x=t, y=2*t");
    EXPECT_EQ(list[16], "普通方程(极坐标): r=3*sin(7*z)");
    EXPECT_EQ(document->Model().Curve(Ellipse).LineColor,
              document->Model().Curve(Ellipse).ExLineColor);
    EXPECT_NE(document->Model().Curve(0).LineColor, f.context.Core.Settings.BackColor);
}

TEST(CurveDialog, ValidationKeepsTheDialogOpenOnTheOffendingBox) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    QString selected;
    bool focusedOnValue = false;
    bool stillOpen = false;
    AddThroughDialog(f, *document, Ellipse, [&](frmFunAdd& d) {
        d.txtValue[0]->setText("2");
        d.txtValue[1]->setText("4/2");
        d.cmdOK->click();
        stillOpen = d.isVisible();
        selected = d.txtValue[0]->selectedText();
        focusedOnValue = d.focusWidget() == d.txtValue[0];
        d.cmdCancel->click();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(selected, "2");
    EXPECT_TRUE(focusedOnValue);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].Text, "表达式结果会导致除数为零错误");
    EXPECT_EQ(document->GetLastCountAdd1(), 0);

    // The polar type's disabled shift is still checked.
    f.messages.shown.clear();
    AddThroughDialog(f, *document, Polar, [&](frmFunAdd& d) {
        EXPECT_FALSE(d.fraCT->isEnabled());
        d.txtCT[1]->setText("abc");
        d.cmdOK->click();
        selected = d.txtCT[1]->selectedText();
        d.cmdCancel->click();
    });
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].Text, "数据错误或包含非法字符");
    EXPECT_EQ(selected, "abc");

    // auto in one range box and a number in the other.
    f.messages.shown.clear();
    AddThroughDialog(f, *document, CurveGeneralY, [&](frmFunAdd& d) {
        d.txtFirstLast[1]->setText("5");
        d.cmdOK->click();
        selected = d.txtFirstLast[0]->selectedText();
        d.cmdCancel->click();
    });
    EXPECT_EQ(selected, "auto");
    EXPECT_EQ(f.messages.shown.size(), 1u);
}

TEST(CurveDialog, StoredValuesWidthsCaseAndRange) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    AddThroughDialog(f, *document, CurveGeneralY, [&](frmFunAdd& d) {
        d.txtFirstLast[0]->setText("AUTO");
        d.txtFirstLast[1]->setText("auto");
        d.txtLineWidth[0]->setText("2.5");
        // The upper arrow widens, the lower one narrows, as a person clicks them.
        const auto clickArrow = [&](bool upper) {
            QScrollBar* bar = d.fsbWidth[0];
            const QPoint at(bar->width() / 2, upper ? 3 : bar->height() - 3);
            QTest::mouseClick(d.windowHandle(), Qt::LeftButton, {}, bar->mapTo(&d, at));
        };
        d.txtLineWidth[0]->setText("1");
        clickArrow(true);
        clickArrow(true);
        EXPECT_EQ(d.txtLineWidth[0]->text(), "3");
        clickArrow(false);
        EXPECT_EQ(d.txtLineWidth[0]->text(), "2");
        const QSize size = d.size();
        d.SelectType(Ellipse);
        EXPECT_EQ(d.size(), size); // one size for every type
        d.SelectType(CurveGeneralY);
        d.txtExpressionG->setText("SIN(X)*X");
        d.txtLineWidth[0]->setText("2.5");
        d.chkHide->setChecked(true);
    });
    ASSERT_EQ(document->GetLastCountAdd1(), 1);
    const CurveRecord& c = document->Model().Curve(0);
    EXPECT_EQ(c.Expression1, "sin(x)*x");
    EXPECT_TRUE(c.IsAuto);
    EXPECT_EQ(c.LineWidth, 2);
    EXPECT_FALSE(c.ShowHide);
    EXPECT_TRUE(document->Model().IsModified());

    // Modifying shows "Auto" and keeps the form locked; confirming keeps the range mode.
    QString first, title;
    bool parametricEnabled = true, typeEnabled = true;
    WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<frmFunAdd*>(w);
        first = d->txtFirstLast[0]->text();
        title = d->windowTitle();
        parametricEnabled = d->optParameter->isEnabled();
        typeEnabled = d->cboFunType->isEnabled();
        d->txtExpressionG->setText("x");
        d->cmdOK->click();
    });
    frmFunAdd(f.context.Core, f.context.Dialogs, *document, f.main.get()).ModifyFun(0);
    EXPECT_EQ(first, "Auto");
    EXPECT_EQ(title, "修改曲线");
    EXPECT_FALSE(parametricEnabled);
    EXPECT_FALSE(typeEnabled);
    EXPECT_EQ(document->GetLastCountAdd1(), 1);
    EXPECT_EQ(document->Model().Curve(0).Expression1, "x");
    EXPECT_TRUE(document->Model().Curve(0).IsAuto);
}

TEST(CurveDialog, TheTwoFormsToggleBetweenTypes) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<frmFunAdd*>(w);
        EXPECT_TRUE(d->optGeneral->isChecked());
        d->optParameter->click();
        EXPECT_EQ(d->SelectedType(), CurveParameter);
        EXPECT_EQ(d->frmFrameFL->title(), "T 取值范围");
        EXPECT_FALSE(d->txtExpressionG->isEnabled());
        d->optGeneral->click();
        EXPECT_EQ(d->SelectedType(), CurveGeneralY);
        EXPECT_EQ(d->txtExpressionG->text(), "2*X");
        d->SelectType(CurveGeneralX);
        EXPECT_EQ(d->lblLabel4[0]->text(), "Y 最小值:");
        d->SelectType(HyperbolaX);
        EXPECT_TRUE(d->fraFunSetting1->isVisibleTo(d));
        EXPECT_TRUE(d->chkExLine[1]->isVisibleTo(d));
        EXPECT_FALSE(d->txtValue[2]->isVisibleTo(d));
        EXPECT_EQ(d->lblLabel[1]->text(), "b 取值:");
        d->cmdCancel->click();
    });
    frmFunAdd(f.context.Core, f.context.Dialogs, *document, f.main.get()).NewFun(CurveGeneralY);
    EXPECT_EQ(document->GetLastCountAdd1(), 0);
}

TEST(CurveDialog, TheTwoHundredFiftyFifthCurveIsRefusedWithTwoReports) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    CurveRecord point;
    point.ShowHide = true;
    for (int32_t i = 0; i < MaxCurves; ++i)
        document->Model().ModifyFun(point, i, true);
    AddThroughDialog(f, *document, Point, [](frmFunAdd&) {});
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_NE(f.messages.shown[0].Text.find("下标越界"), std::string::npos);
    EXPECT_EQ(f.messages.shown[1].Text, "添加或修改曲线发生错误");
    EXPECT_EQ(document->GetLastCountAdd1(), MaxCurves);
}

TEST(CurveManager, ListChecksDeleteAndTheEmptyState) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    frmFunManager manager(
        f.context.Core, f.context.Dialogs, [&] { return f.main->ActiveDocument(); }, f.main.get());
    ASSERT_EQ(manager.lstFunList->count(), 1);
    EXPECT_EQ(manager.lstFunList->item(0)->text(), "(无)");
    EXPECT_FALSE(manager.lstFunList->isEnabled());
    EXPECT_FALSE(manager.cmdEdit->isEnabled() || manager.cmdDelete->isEnabled() ||
                 manager.cmdRefresh->isEnabled());
    EXPECT_TRUE(manager.cmdAdd->isEnabled());

    CurveRecord shown;
    shown.FType = CurveGeneralY;
    shown.Expression1 = "x*x";
    shown.ShowHide = true;
    CurveRecord hidden = shown;
    hidden.Expression1 = "x";
    hidden.ShowHide = false;
    document->ModifyFun(shown, 0, true);
    document->ModifyFun(hidden, 1, true);
    document->Model().SetModified(false);
    manager.RefreshFunList();
    ASSERT_EQ(manager.lstFunList->count(), 2);
    EXPECT_EQ(manager.lstFunList->item(0)->text(), "普通方程: y=x*x");
    EXPECT_EQ(manager.lstFunList->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(manager.lstFunList->item(1)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(document->Model().Curve(0).ShowHide); // filling the list changed nothing
    EXPECT_FALSE(manager.cmdEdit->isEnabled());       // nothing selected yet

    manager.lstFunList->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(document->Model().Curve(1).ShowHide);
    EXPECT_FALSE(document->Model().IsModified());

    manager.lstFunList->setCurrentRow(0);
    EXPECT_TRUE(manager.cmdEdit->isEnabled() && manager.cmdDelete->isEnabled());
    f.messages.answers = {MsgResult::No};
    manager.cmdDelete_Click();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].Text, "是否真要删除“普通方程: y=x*x”曲线？");
    EXPECT_EQ(f.messages.shown[0].DefaultButton, MsgResult::No);
    EXPECT_EQ(f.messages.shown[0].Buttons, MsgButtons::YesNo);
    EXPECT_EQ(document->GetLastCountAdd1(), 2);

    manager.lstFunList->setCurrentRow(0);
    f.messages.answers = {MsgResult::Yes};
    manager.cmdDelete_Click();
    EXPECT_EQ(document->GetLastCountAdd1(), 1);
    ASSERT_EQ(manager.lstFunList->count(), 1);
    EXPECT_EQ(manager.lstFunList->item(0)->text(), "普通方程: y=x");

    manager.resize(10, 10);
    EXPECT_GE(manager.width(), frmFunManager::MinimumWidthTwips / TwipsPerPixel);
    EXPECT_GE(manager.height(), frmFunManager::MinimumHeightTwips / TwipsPerPixel);
}

TEST(CurveCommands, MenuItemsAndToolbarButtons) {
    AppFixture f;
    ASSERT_NE(EmptyDocument(f), nullptr);
    const auto shownType = [](QAction* command) {
        int32_t shown = -1;
        WhenModal([&shown](QWidget* w) {
            auto* d = qobject_cast<frmFunAdd*>(w);
            ASSERT_NE(d, nullptr);
            shown = d->SelectedType();
            d->cmdCancel->click();
        });
        command->trigger();
        return shown;
    };
    const std::pair<const char*, int32_t> items[] = {
        {"mnuCurveAddPoint", 0},          {"mnuCurveAddLineII", 5},          {"mnuCurveAddCircleGeneral", 7},
        {"mnuCurveAddHyperbolaY", 10},    {"mnuCurveAddParabolaX", 11},      {"mnuCurveAddCurveParameter", 15},
        {"mnuCurveAddPolar", 16},
    };
    for (const auto& [name, type] : items) EXPECT_EQ(shownType(f.Action(name)), type) << name;
    // The curve toolbar after its manager button, in order.
    std::vector<int32_t> buttons;
    for (QAction* action : f.main->findChild<QToolBar*>("tbToolBar2")->actions())
        if (!action->isSeparator() && action != f.main->Command().CurveManager) buttons.push_back(shownType(action));
    EXPECT_EQ(buttons, (std::vector<int32_t>{13, 0, 1, 6, 8, 10, 12}));
}
