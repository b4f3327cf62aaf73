#include "AppTestSupport.h"

#include "dialogs/frmFunAdd.h"
#include "dialogs/frmFunManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
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
    QLineEdit* Edit(const char* name, int index) const {
        return Get(name + QString::number(index));
    }
    int Type() const { return Get<QComboBox>("cboFunType")->currentIndex(); }
    void SelectType(int type) const { Get<QComboBox>("cboFunType")->setCurrentIndex(type); }
    void Ok() const { Get<QPushButton>("cmdOK")->click(); }
    void Cancel() const { Get<QPushButton>("cmdCancel")->click(); }
};

// Opens the dialog for a new curve (or on curve modify), lets act() work it, then presses OK
// if it is still open; a dialog left open is a failure.
void ThroughDialog(AppFixture& f, frmDocument& document, int32_t type,
                   const std::function<void(Controls&)>& act, int32_t modify = -1) {
    WhenModal([&](QWidget* w) {
        Controls d{w};
        act(d);
        if (w->isVisible()) d.Ok();
        if (w->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            qobject_cast<QDialog*>(w)->reject();
        }
    });
    frmFunAdd dialog(f.context.Core, f.context.Dialogs, document, f.main.get());
    if (modify < 0)
        dialog.NewFun(type);
    else
        dialog.ModifyFun(modify);
}

} // namespace

TEST(CurveDialog, EveryTypeCanBeAdded) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    ASSERT_NE(document, nullptr);
    const char* const values[][4] = {
        {"1", "2", "0", "0"}, {"1", "2", "3", "0"}, {"1", "1", "2", "0"}, {"2", "1", "0", "0"},
        {"0", "0", "1", "2"}, {"2", "3", "0", "0"}, {"1", "1", "2", "0"}, {"2", "-2", "-2", "0"},
        {"3", "2", "0", "0"}, {"1", "1", "0", "0"}, {"2", "1", "0", "0"}, {"1", "0", "0", "0"},
        {"1", "0", "0", "0"},
    };
    for (int32_t type = 0; type < CurveTypeCount; ++type) {
        ThroughDialog(f, *document, type, [&](Controls& d) {
            EXPECT_EQ(d.Type(), type);
            if (type < CurveGeneralY)
                for (int i = 0; i < 4; ++i)
                    d.Edit("txtValue", i)->setText(values[type][i]);
        });
    }
    EXPECT_TRUE(f.messages.shown.empty())
        << (f.messages.shown.empty() ? "" : f.messages.shown[0].Text);
    ASSERT_EQ(document->GetLastCountAdd1(), CurveTypeCount);
    EXPECT_EQ(document->GetFunList()[15], "参数方程: x=t, y=2*t");
    EXPECT_EQ(document->Model().Curve(Ellipse).LineColor,
              document->Model().Curve(Ellipse).ExLineColor);
}

TEST(CurveDialog, ValidationKeepsTheDialogOpenOnTheOffendingBox) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    QString selected;
    bool stillOpen = false;
    ThroughDialog(f, *document, Ellipse, [&](Controls& d) {
        d.Edit("txtValue", 0)->setText("2");
        d.Edit("txtValue", 1)->setText("4/2");
        d.Ok();
        stillOpen = d.dialog->isVisible();
        selected = d.dialog->focusWidget() == d.Edit("txtValue", 0)
                       ? d.Edit("txtValue", 0)->selectedText()
                       : "";
        d.Cancel();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(selected, "2");
    EXPECT_EQ(f.messages.shown.size(), 1u);

    // The polar type's disabled shift is still checked.
    ThroughDialog(f, *document, Polar, [&](Controls& d) {
        EXPECT_FALSE(d.Get<QGroupBox>("fraCT")->isEnabled());
        d.Edit("txtCT", 1)->setText("abc");
        d.Ok();
        selected = d.Edit("txtCT", 1)->selectedText();
        d.Cancel();
    });
    EXPECT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(selected, "abc");
    EXPECT_EQ(document->GetLastCountAdd1(), 0);
}

TEST(CurveDialog, StoredValuesWidthArrowsAndTheLockedForm) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    ThroughDialog(f, *document, CurveGeneralY, [&](Controls& d) {
        d.Edit("txtFirstLast", 0)->setText("AUTO");
        // The upper arrow widens, the lower one narrows, as a person clicks them.
        for (bool upper : {true, true, false})
            ClickArrow(d.Get<QScrollBar>("fsbWidth0"), upper);
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

    // Modifying shows "Auto" and keeps the form locked; confirming keeps the range mode.
    ThroughDialog(
        f, *document, 0,
        [&](Controls& d) {
            EXPECT_EQ(d.Edit("txtFirstLast", 0)->text(), "Auto");
            EXPECT_FALSE(d.Get<QRadioButton>("optParameter")->isEnabled() ||
                         d.Get<QComboBox>("cboFunType")->isEnabled());
            d.Get("txtExpressionG")->setText("x");
        },
        0);
    EXPECT_EQ(document->Model().Curve(0).Expression1, "x");
    EXPECT_TRUE(document->Model().Curve(0).IsAuto);
}

TEST(CurveDialog, TheTwoFormsToggleBetweenTypes) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    // Opened on the parametric type, the disabled general row keeps its first texts.
    ThroughDialog(f, *document, CurveParameter, [&](Controls& d) {
        EXPECT_EQ(d.Get<QLabel>("lblLabel20")->text(), "Y=F(X)=");
        EXPECT_EQ(d.Get("txtExpressionG")->text(), "2*X");
        EXPECT_FALSE(d.Get("txtExpressionG")->isEnabled());
        d.Get<QRadioButton>("optGeneral")->click();
        EXPECT_EQ(d.Get<QLabel>("lblLabel20")->text(), "Y=f(X)");
        d.Cancel();
    });
    ThroughDialog(f, *document, CurveGeneralY, [&](Controls& d) {
        d.Get<QRadioButton>("optParameter")->click();
        EXPECT_EQ(d.Type(), CurveParameter);
        EXPECT_EQ(d.Get<QGroupBox>("frmFrameFL")->title(), "T 取值范围");
        EXPECT_FALSE(d.Get("txtExpressionG")->isEnabled());
        d.Get<QRadioButton>("optGeneral")->click();
        EXPECT_EQ(d.Type(), CurveGeneralY);
        d.SelectType(HyperbolaX);
        EXPECT_TRUE(d.Get<QGroupBox>("fraFunSetting1")->isVisibleTo(d.dialog));
        EXPECT_FALSE(d.Edit("txtValue", 2)->isVisibleTo(d.dialog));
        d.Cancel();
    });
    EXPECT_EQ(document->GetLastCountAdd1(), 0);
}

TEST(CurveManager, ListChecksAndLayout) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    frmFunManager manager(f.context.Core, f.context.Dialogs, *document, f.main.get());
    auto* list = manager.findChild<QListWidget*>("lstFunList");
    const auto button = [&](const char* name) { return manager.findChild<QPushButton*>(name); };
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "(无)");
    EXPECT_FALSE(list->isEnabled() || button("cmdEdit")->isEnabled() ||
                 button("cmdRefresh")->isEnabled());

    CurveRecord shown;
    shown.FType = CurveGeneralY;
    shown.Expression1 = "x*x";
    shown.ShowHide = true;
    document->ModifyFun(shown, 0, true);
    shown.ShowHide = false;
    document->ModifyFun(shown, 1, true);
    document->Model().SetModified(false);
    manager.RefreshFunList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "普通方程: y=x*x");
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(document->Model().Curve(0).ShowHide); // filling the list changed nothing
    EXPECT_FALSE(button("cmdEdit")->isEnabled());     // nothing selected yet
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(document->Model().Curve(1).ShowHide);
    EXPECT_TRUE(document->Model().IsModified()); // a change like any other: it can be lost
    list->setCurrentRow(0);
    EXPECT_TRUE(button("cmdEdit")->isEnabled() && button("cmdDelete")->isEnabled());

    // However small it is made, the buttons stay whole beside the list.
    manager.show();
    manager.resize(10, 10);
    QApplication::processEvents();
    EXPECT_GE(list->width(), 100);
    EXPECT_LE(button("cmdClose")->geometry().bottom(), manager.height());
    EXPECT_GT(button("cmdAdd")->x(), list->geometry().right());
}

TEST(CurveCommands, MenuItemsAndToolbarButtonsOpenTheirType) {
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
    EXPECT_EQ(shownType(f.Action("mnuCurveAddLineII")), LineII);
    EXPECT_EQ(shownType(f.Action("mnuCurveAddPolar")), Polar);
    // The curve toolbar after its manager button, in order.
    std::vector<int32_t> buttons;
    for (QAction* action : f.main->findChild<QToolBar*>("tbToolBar2")->actions())
        if (!action->isSeparator() && action != f.main->Command().CurveManager)
            buttons.push_back(shownType(action));
    EXPECT_EQ(buttons, (std::vector<int32_t>{13, 0, 1, 6, 8, 10, 12}));
}
