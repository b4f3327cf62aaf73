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

// The curve dialog's controls, found by name as a person finds them by caption.
struct Controls {
    QWidget* dialog;
    template <class W = QLineEdit> W* Get(const QString& name) const {
        W* widget = dialog->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLineEdit* Edit(const char* name, int index) const { return Get(name + QString::number(index)); }
    int Type() const { return Get<QComboBox>("cboFunType")->currentIndex(); }
    void SelectType(int type) const { Get<QComboBox>("cboFunType")->setCurrentIndex(type); }
    void Ok() const { Get<QPushButton>("cmdOK")->click(); }
    void Cancel() const { Get<QPushButton>("cmdCancel")->click(); }
};

// Opens the dialog for a new curve, lets fill() set the controls, then presses OK.
void AddThroughDialog(AppFixture& f, frmDocument& document, int32_t type, const std::function<void(Controls&)>& fill,
                      bool thenCancel = false) {
    WhenModal([&, thenCancel](QWidget* w) {
        Controls d{w};
        fill(d);
        if (w->isVisible()) d.Ok();
        if (thenCancel && w->isVisible()) d.Cancel();
        if (w->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            qobject_cast<QDialog*>(w)->reject();
        }
    });
    frmFunAdd(f.context.Core, f.context.Dialogs, document, f.main.get()).NewFun(type);
}

// Opens the dialog on a curve of the document and lets act() work it.
void ModifyThroughDialog(AppFixture& f, frmDocument& document, int32_t num, const std::function<void(Controls&)>& act) {
    WhenModal([&](QWidget* w) {
        Controls d{w};
        act(d);
    });
    frmFunAdd(f.context.Core, f.context.Dialogs, document, f.main.get()).ModifyFun(num);
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
        AddThroughDialog(f, *document, type, [&](Controls& d) {
            EXPECT_EQ(d.Type(), type);
            EXPECT_EQ(d.dialog->windowTitle(), "添加曲线");
            if (type < CurveGeneralY)
                for (int i = 0; i < 4; ++i)
                    d.Edit("txtValue", i)->setText(
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
    AddThroughDialog(f, *document, Ellipse, [&](Controls& d) {
        d.Edit("txtValue", 0)->setText("2");
        d.Edit("txtValue", 1)->setText("4/2");
        d.Ok();
        stillOpen = d.dialog->isVisible();
        selected = d.Edit("txtValue", 0)->selectedText();
        focusedOnValue = d.dialog->focusWidget() == d.Edit("txtValue", 0);
        d.Cancel();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(selected, "2");
    EXPECT_TRUE(focusedOnValue);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].Text, "表达式结果会导致除数为零错误");
    EXPECT_EQ(document->GetLastCountAdd1(), 0);

    // The polar type's disabled shift is still checked.
    f.messages.shown.clear();
    AddThroughDialog(f, *document, Polar, [&](Controls& d) {
        EXPECT_FALSE(d.Get<QGroupBox>("fraCT")->isEnabled());
        d.Edit("txtCT", 1)->setText("abc");
        d.Ok();
        selected = d.Edit("txtCT", 1)->selectedText();
        d.Cancel();
    });
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].Text, "数据错误或包含非法字符");
    EXPECT_EQ(selected, "abc");
}

TEST(CurveDialog, StoredValuesWidthsCaseAndRange) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    AddThroughDialog(f, *document, CurveGeneralY, [&](Controls& d) {
        d.Edit("txtFirstLast", 0)->setText("AUTO");
        d.Edit("txtFirstLast", 1)->setText("auto");
        d.Edit("txtLineWidth", 0)->setText("2.5");
        // The upper arrow widens, the lower one narrows, as a person clicks them.
        const auto clickArrow = [&](bool upper) {
            QScrollBar* bar = d.Get<QScrollBar>("fsbWidth0");
            const QPoint at(bar->width() / 2, upper ? 3 : bar->height() - 3);
            QTest::mouseClick(d.dialog->windowHandle(), Qt::LeftButton, {}, bar->mapTo(d.dialog, at));
        };
        d.Edit("txtLineWidth", 0)->setText("1");
        clickArrow(true);
        clickArrow(true);
        EXPECT_EQ(d.Edit("txtLineWidth", 0)->text(), "3");
        clickArrow(false);
        EXPECT_EQ(d.Edit("txtLineWidth", 0)->text(), "2");
        const QSize size = d.dialog->size();
        d.SelectType(Ellipse);
        EXPECT_EQ(d.dialog->size(), size); // one size for every type
        d.SelectType(CurveGeneralY);
        d.Get("txtExpressionG")->setText("SIN(X)*X");
        d.Edit("txtLineWidth", 0)->setText("2.5");
        d.Get<QCheckBox>("chkHide")->setChecked(true);
    });
    ASSERT_EQ(document->GetLastCountAdd1(), 1);
    const CurveRecord& c = document->Model().Curve(0);
    EXPECT_EQ(c.Expression1, "sin(x)*x");
    EXPECT_TRUE(c.IsAuto);
    EXPECT_EQ(c.LineWidth, 2);
    EXPECT_FALSE(c.ShowHide);
    EXPECT_TRUE(document->Model().IsModified());

    // Modifying shows "Auto" and keeps the form locked; confirming keeps the range mode.
    QString first;
    bool parametricEnabled = true, typeEnabled = true;
    ModifyThroughDialog(f, *document, 0, [&](Controls& d) {
        first = d.Edit("txtFirstLast", 0)->text();
        parametricEnabled = d.Get<QRadioButton>("optParameter")->isEnabled();
        typeEnabled = d.Get<QComboBox>("cboFunType")->isEnabled();
        d.Get("txtExpressionG")->setText("x");
        d.Ok();
    });
    EXPECT_EQ(first, "Auto");
    EXPECT_FALSE(parametricEnabled);
    EXPECT_FALSE(typeEnabled);

    EXPECT_TRUE(document->Model().Curve(0).IsAuto);
}

TEST(CurveDialog, TheTwoFormsToggleBetweenTypes) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    AddThroughDialog(f, *document, CurveGeneralY, [&](Controls& d) {
        EXPECT_TRUE(d.Get<QRadioButton>("optGeneral")->isChecked());
        d.Get<QRadioButton>("optParameter")->click();
        EXPECT_EQ(d.Type(), CurveParameter);
        EXPECT_EQ(d.Get<QGroupBox>("frmFrameFL")->title(), "T 取值范围");
        EXPECT_FALSE(d.Get("txtExpressionG")->isEnabled());
        d.Get<QRadioButton>("optGeneral")->click();
        EXPECT_EQ(d.Type(), CurveGeneralY);
        EXPECT_EQ(d.Get("txtExpressionG")->text(), "2*X");
        d.SelectType(CurveGeneralX);
        EXPECT_EQ(d.Get<QLabel>("lblLabel40")->text(), "Y 最小值:");
        d.SelectType(HyperbolaX);
        EXPECT_TRUE(d.Get<QGroupBox>("fraFunSetting1")->isVisibleTo(d.dialog));
        EXPECT_TRUE(d.Get<QCheckBox>("chkExLine1")->isVisibleTo(d.dialog));
        EXPECT_FALSE(d.Edit("txtValue", 2)->isVisibleTo(d.dialog));
        EXPECT_EQ(d.Get<QLabel>("lblLabel1")->text(), "b 取值:");
        d.Cancel();
    });
    EXPECT_EQ(document->GetLastCountAdd1(), 0);
}

TEST(CurveManager, ListChecksDeleteAndTheEmptyState) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    frmFunManager manager(
        f.context.Core, f.context.Dialogs, [&] { return f.main->ActiveDocument(); }, f.main.get());
    auto* list = manager.findChild<QListWidget*>("lstFunList");
    const auto button = [&](const char* name) { return manager.findChild<QPushButton*>(name); };
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "(无)");
    EXPECT_FALSE(list->isEnabled());
    EXPECT_FALSE(button("cmdEdit")->isEnabled() || button("cmdDelete")->isEnabled() ||
                 button("cmdRefresh")->isEnabled());
    EXPECT_TRUE(button("cmdAdd")->isEnabled());

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
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "普通方程: y=x*x");
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(document->Model().Curve(0).ShowHide); // filling the list changed nothing
    EXPECT_FALSE(button("cmdEdit")->isEnabled());       // nothing selected yet

    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(document->Model().Curve(1).ShowHide);
    EXPECT_FALSE(document->Model().IsModified());

    list->setCurrentRow(0);
    EXPECT_TRUE(button("cmdEdit")->isEnabled() && button("cmdDelete")->isEnabled());
    // However small it is made, the buttons stay whole beside the list.
    manager.show();
    manager.resize(10, 10);
    QApplication::processEvents();
    EXPECT_GE(list->width(), 100);
    EXPECT_GE(button("cmdClose")->geometry().bottom(), button("cmdRefresh")->geometry().bottom());
    EXPECT_LE(button("cmdClose")->geometry().bottom(), manager.height());
    EXPECT_GT(button("cmdAdd")->x(), list->geometry().right());
}

TEST(CurveCommands, MenuItemsAndToolbarButtons) {
    AppFixture f;
    ASSERT_NE(EmptyDocument(f), nullptr);
    const auto shownType = [](QAction* command) {
        int32_t shown = -1;
        WhenModal([&shown](QWidget* w) {
            Controls d{w};
            shown = d.Type();
            d.Cancel();
        });
        command->trigger();
        return shown;
    };
    const std::pair<const char*, int32_t> items[] = {
        {"mnuCurveAddLineII", 5}, {"mnuCurveAddCurveParameter", 15}, {"mnuCurveAddPolar", 16}};
    for (const auto& [name, type] : items) EXPECT_EQ(shownType(f.Action(name)), type) << name;
    // The curve toolbar after its manager button, in order.
    std::vector<int32_t> buttons;
    for (QAction* action : f.main->findChild<QToolBar*>("tbToolBar2")->actions())
        if (!action->isSeparator() && action != f.main->Command().CurveManager) buttons.push_back(shownType(action));
    EXPECT_EQ(buttons, (std::vector<int32_t>{13, 0, 1, 6, 8, 10, 12}));
}
