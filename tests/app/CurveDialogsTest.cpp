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

TEST(CurveDialog, EachColourChooserOpensOnItsSwatchsColour) {
    AppFixture f;
    frmDocument* document = f.Open(f.dir.Write(
        "c.opd", "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=9\r\nSD1=2\r\nSD2=1\r\n"
                 "LC=12599360\r\nExLC=2138128\r\nExL1=True\r\nExL2=True\r\n"));
    ASSERT_NE(document, nullptr);
    // The curve's colour (0xC04040) and its auxiliary lines' (0x20A010): each chooser opens
    // on its own swatch, and once changed on the colour chosen.
    f.dialogs.colours = {0x00FF00, std::nullopt, std::nullopt};
    std::vector<Rgb> offered;
    ThroughDialog(
        f, *document, 0,
        [&](Controls& d) {
            d.Get<QPushButton>("picFunLineColor0")->click();
            offered.push_back(f.dialogs.colourOffered.first);
            d.Get<QPushButton>("picFunLineColor0")->click();
            offered.push_back(f.dialogs.colourOffered.first);
            d.Get<QPushButton>("picFunLineColor1")->click();
            offered.push_back(f.dialogs.colourOffered.first);
        },
        0);
    EXPECT_EQ(offered, (std::vector<Rgb>{0xC04040, 0x00FF00, 0x20A010}));
    EXPECT_EQ(document->Model().Curve(0).LineColor, 0x00FF00u);
    EXPECT_EQ(document->Model().Curve(0).ExLineColor, 0x20A010u);

    // The options dialog's two swatches the same way: the grid's colour and the background.
    f.context.Core.Settings.Color = 0x123456;
    f.context.Core.Settings.BackColor = 0xFEDCBA;
    offered.clear();
    WhenModal([&](QWidget* w) {
        Named<QPushButton>(w, "picColor")->click();
        offered.push_back(f.dialogs.colourOffered.first);
        Named<QPushButton>(w, "picBackColor")->click();
        offered.push_back(f.dialogs.colourOffered.first);
        Named<QPushButton>(w, "cmdCancel")->click();
    });
    f.main->Command().ToolsOptions->trigger();
    EXPECT_EQ(offered, (std::vector<Rgb>{0x123456, 0xFEDCBA}));
}

TEST(CurveDialog, ANoteUnderEachExpressionBoxSaysWhyItsTextCannotBeRead) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    ASSERT_NE(document, nullptr);
    ThroughDialog(f, *document, CurveGeneralY, [&](Controls& d) {
        QLineEdit* g = d.Get("txtExpressionG");
        QLabel* note = d.Get<QLabel>("lblNoteG");
        const auto type = [&](const char* text) {
            g->selectAll();
            QTest::keyClicks(g, text);
            return note->text().toStdString();
        };
        EXPECT_EQ(type("sin(x"), "缺少 ')' (位置 6)");
        EXPECT_EQ(type("sin(x)"), "");
        EXPECT_EQ(type("1/(x-1)"), ""); // fails at x = 1 only: no fault of the text
        EXPECT_EQ(type("foo(x)*2"), "函数 foo 不存在 (位置 7)");
        EXPECT_EQ(type("2+*x"), "表达式语法错误 (位置 3)");
        EXPECT_EQ(type("y+1"), "常数 y 不存在 (位置 2)");
        // As X=f(Y) the letter is y.
        d.SelectType(CurveGeneralX);
        EXPECT_EQ(type("y+1"), "");
        EXPECT_EQ(type("x+1"), "常数 x 不存在 (位置 2)");
        // The parametric boxes, each on its own, with t; the polar box with z.
        d.SelectType(CurveParameter);
        QLineEdit* p0 = d.Get("txtExpressionP0");
        QLineEdit* p1 = d.Get("txtExpressionP1");
        p0->selectAll();
        QTest::keyClicks(p0, "cos(t");
        p1->selectAll();
        QTest::keyClicks(p1, "t^2");
        EXPECT_EQ(d.Get<QLabel>("lblNoteP0")->text().toStdString(), "缺少 ')' (位置 6)");
        EXPECT_EQ(d.Get<QLabel>("lblNoteP1")->text().toStdString(), "");
        p0->selectAll();
        QTest::keyClicks(p0, "cos(t)");
        p1->selectAll();
        QTest::keyClicks(p1, "t^");
        EXPECT_EQ(d.Get<QLabel>("lblNoteP0")->text().toStdString(), "");
        EXPECT_EQ(d.Get<QLabel>("lblNoteP1")->text().toStdString(), "表达式语法错误 (位置 3)");
        d.SelectType(Polar);
        QLineEdit* j = d.Get("txtExpressionJ");
        j->selectAll();
        QTest::keyClicks(j, "1+t");
        EXPECT_EQ(d.Get<QLabel>("lblNoteJ")->text().toStdString(), "常数 t 不存在 (位置 4)");
        j->selectAll();
        QTest::keyClicks(j, "1+z");
        EXPECT_EQ(d.Get<QLabel>("lblNoteJ")->text().toStdString(), "");
        // OK is as ever: a text that cannot be read is stored and reported when drawn.
        d.SelectType(CurveGeneralY);
        type("sqr(x");
    });
    ASSERT_EQ(document->Model().CurveCount(), 1);
    EXPECT_EQ(document->Model().Curve(0).Expression1, "sqr(x");
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("缺少 ')'")));
}

TEST(CurveDialog, TheDirectrixAndTheAsymptoteBoxesAreEachKeptOnTheirOwn) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    ASSERT_NE(document, nullptr);
    // Hyperbolas along X and along Y: each box stored alone, read back alone, saved alone.
    for (const int32_t type : {HyperbolaX, HyperbolaY}) {
        const int32_t n = document->Model().CurveCount();
        for (const bool directrix : {true, false}) {
            const auto choose = [&](Controls& d) {
                auto* first = d.Get<QCheckBox>("chkExLine0");
                auto* second = d.Get<QCheckBox>("chkExLine1");
                EXPECT_TRUE(first->isVisible() && second->isVisible()) << type;
                EXPECT_EQ(first->text(), "显示准线");
                EXPECT_EQ(second->text(), "显示渐进线");
                first->setChecked(directrix);
                second->setChecked(!directrix);
            };
            if (directrix) {
                ThroughDialog(f, *document, type, [&](Controls& d) {
                    d.Edit("txtValue", 0)->setText("2");
                    d.Edit("txtValue", 1)->setText("3");
                    choose(d);
                });
            } else {
                ThroughDialog(f, *document, type, choose, n);
            }
            const CurveRecord& c = document->Model().Curve(n);
            EXPECT_EQ(c.FType, type);
            EXPECT_EQ(c.ExLine1, directrix) << type;
            EXPECT_EQ(c.ExLine2, !directrix) << type;
            // Read back: the dialog shows the boxes as stored.
            ThroughDialog(
                f, *document, type,
                [&](Controls& d) {
                    EXPECT_EQ(d.Get<QCheckBox>("chkExLine0")->isChecked(), directrix);
                    EXPECT_EQ(d.Get<QCheckBox>("chkExLine1")->isChecked(), !directrix);
                    d.Cancel();
                },
                n);
        }
    }
    // In the file and back: the X hyperbola with its asymptotes alone, the Y one too.
    ASSERT_TRUE(document->SaveDoc(f.dir.File("aux.opd")));
    const std::string saved = f.dir.Read("aux.opd");
    EXPECT_NE(saved.find("[0DATA]\r\nType=9\r\n"), std::string::npos);
    DocumentModel again(f.context.Core);
    ASSERT_TRUE(again.LoadDoc(f.dir.File("aux.opd")));
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(again.Curve(i).ExLine1) << i;
        EXPECT_TRUE(again.Curve(i).ExLine2) << i;
    }
}

TEST(CurveDialog, AnImplicitCurveFromTheMenuItemItsBoxAndItsNotes) {
    AppFixture f;
    frmDocument* document = EmptyDocument(f);
    ASSERT_NE(document, nullptr);
    QAction* item = f.Action("mnuCurveAddCurveImplicit");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "隐函数 F(X,Y)=0(&I)");
    WhenModal([&](QWidget* w) {
        Controls d{w};
        // The eighteenth entry, after the seventeen, with a box of its own.
        EXPECT_EQ(d.Type(), CurveTypeCount);
        EXPECT_EQ(d.Get<QComboBox>("cboFunType")->currentText(), "一般曲线 - 隐函数 F(X,Y)=0");
        EXPECT_TRUE(d.Get<QGroupBox>("fraFunSetting4")->isVisible());
        EXPECT_FALSE(d.Get<QGroupBox>("fraFunSetting2")->isVisible());
        QLineEdit* box = d.Get("txtExpressionI");
        box->setText("x^2+y^2=");
        EXPECT_EQ(d.Get<QLabel>("lblNoteI")->text(), "只能有一个等号, 且两边都不能为空");
        box->setText("x^2+y^2=4+");
        EXPECT_TRUE(d.Get<QLabel>("lblNoteI")->text().contains("(位置 11)"))
            << d.Get<QLabel>("lblNoteI")->text().toStdString();
        // Two equals signs: said, and the dialog stays.
        box->setText("x=y=1");
        d.Ok();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(f.messages.shown.size(), 1U);
        box->setText("X^2+Y^2=4");
        EXPECT_EQ(d.Get<QLabel>("lblNoteI")->text(), "");
        d.Get("txtCT0")->setText("1");
        d.Ok();
    });
    item->trigger();
    ASSERT_EQ(document->Model().CurveCount(), 1);
    const CurveRecord& c = document->Model().Curve(0);
    EXPECT_EQ(c.FType, Implicit);
    EXPECT_EQ(c.Expression1, "x^2+y^2=4");
    EXPECT_EQ(c.CTh, 1);
    // Edited again: the same box, its text as stored, the type fixed.
    WhenModal([&](QWidget* w) {
        Controls d{w};
        EXPECT_EQ(d.Type(), CurveTypeCount);
        EXPECT_FALSE(d.Get<QComboBox>("cboFunType")->isEnabled());
        EXPECT_EQ(d.Get("txtExpressionI")->text(), "x^2+y^2=4");
        d.Cancel();
    });
    frmFunAdd(f.context.Core, f.context.Dialogs, *document, f.main.get()).ModifyFun(0);
    // Drawn: the circle about (1, 0) passes its rightmost point (3, 0).
    QApplication::processEvents();
    const auto [px, py] = document->ViewState().ToPixels(3, 0);
    bool red = false;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            const QRgb p = document->Picture().pixel(int(px) + dx, int(py) + dy);
            red = red || (qRed(p) > 150 && qGreen(p) < 120 && qBlue(p) < 120) ||
                  (qBlue(p) > 150 && qRed(p) < 120) || (qGreen(p) > 150 && qRed(p) < 120);
        }
    EXPECT_TRUE(red);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
