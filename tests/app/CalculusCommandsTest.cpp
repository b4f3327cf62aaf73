// Calculus on the graph as a person does it: the menu items and the plot's menu, the area
// dialog and its drag, the panel, undo; values worked out by hand.
#include "AppTestSupport.h"

#include "dialogs/frmAreas.h"
#include "dialogs/frmKeyPoints.h"
#include "expr/clsExpressionParser.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cmath>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// y = x^2 in green, y = 2 - x^2 in blue.
constexpr const char* Parabolas =
    "[General]\r\nOPMVer=1\r\nTitle=面积\r\nC=2\r\n"
    "[0DATA]\r\nType=13\r\nExp1=x^2\r\nLC=32768\r\nLW=1\r\n"
    "[1DATA]\r\nType=13\r\nExp1=2-x^2\r\nLC=16711680\r\nLW=1\r\n";

frmDocument* OpenSized(AppFixture& f, const char* name, const std::string& text) {
    frmDocument* d = f.Open(f.dir.Write(name, text));
    if (!d) return nullptr;
    d->parentWidget()->resize(620, 520);
    QApplication::processEvents();
    return d;
}

QPointF At(const frmDocument* d, double x, double y) {
    const auto [px, py] = d->ViewState().ToPixels(x, y);
    return {px, py};
}

// Whether the picture is tinted green at the world point: the area's quarter of green over
// white.
bool Green(const frmDocument* d, double x, double y) {
    const QPointF p = At(d, x, y);
    const QRgb c = d->Picture().pixel(int(p.x()), int(p.y()));
    return qGreen(c) > qRed(c) + 20 && qGreen(c) > qBlue(c) + 20 && qRed(c) > 120;
}

double Number(const QString& text) { return text.toDouble(); }

// A curve's expression worked out at x by the program's own reader.
double ValueAt(AppFixture& f, const std::string& expression, const char* var, double x) {
    return f.context.Core.Parser.ParseExpression(
        SubstituteVariable(expression, var, "(" + std::to_string(x) + ")"));
}

void Release(QWidget* w, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &move);
}

// The item of the menu that is open, chosen with the keys.
void ChooseFromOpenMenu(const char* name) {
    QTimer::singleShot(0, [name] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no menu open";
        QAction* item = nullptr;
        for (QAction* a : menu->actions())
            if (a->objectName() == name) item = a;
        ASSERT_NE(item, nullptr) << name;
        menu->setActiveAction(item);
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

} // namespace

TEST(Calculus, TheAreaBetweenTwoCurvesIsShadedListedAndUndone) {
    AppFixture f;
    frmDocument* d = OpenSized(f, "p.opd", Parabolas);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(Green(d, 0.3, 1.3));
    WhenModal([](QWidget* w) {
        auto* other = Named<QComboBox>(w, "cboOther");
        other->setCurrentIndex(other->findData(1));
        // Between consecutive intersections, of themselves.
        EXPECT_EQ(Named<QLineEdit>(w, "txtFrom")->text(), "-1");
        EXPECT_EQ(Named<QLineEdit>(w, "txtTo")->text(), "1");
        EXPECT_TRUE(Named<QComboBox>(w, "cboInterval")->currentText().contains("相邻交点"));
        Named(w, "cmdOK")->click();
    });
    f.Action("mnuCalculateArea")->trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(d->Model().Areas().size(), 1U);
    const AreaRecord& area = d->Model().Areas()[0];
    EXPECT_EQ(area.Curve, 0);
    EXPECT_EQ(area.Other, 1);
    EXPECT_EQ(area.From, -1);
    EXPECT_EQ(area.To, 1);
    EXPECT_TRUE(d->Model().IsModified());
    QApplication::processEvents();
    EXPECT_TRUE(Green(d, 0.3, 1.3));
    EXPECT_FALSE(Green(d, 0.3, 2.3));
    EXPECT_FALSE(Green(d, 1.3, 1.3));

    // The panel lists it with 15 digits: x^2 - (2 - x^2) is below zero on (-1, 1).
    frmAreas* panel = f.main->AreasPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(f.Action("mnuCalculateAreas")->isChecked());
    QTableWidget* table = panel->Table();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 1)->text(), "面积: y=x^2 与 y=2-x^2, x从-1到1");
    EXPECT_EQ(table->item(0, 2)->text(), "-2.66666666666667");
    EXPECT_EQ(table->item(0, 3)->text(), "2.66666666666667");
    table->selectRow(0);
    panel->CopySelected();
    EXPECT_EQ(QApplication::clipboard()->text(),
              "面积: y=x^2 与 y=2-x^2, x从-1到1\t-2.66666666666667\t2.66666666666667");

    // Hidden by its box, shown again by undo.
    table->item(0, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(d->Model().Areas()[0].Shown);
    QApplication::processEvents();
    EXPECT_FALSE(Green(d, 0.3, 1.3));
    QAction* undo = f.main->Command().CurveUndo;
    EXPECT_TRUE(undo->text().startsWith("撤销 隐藏面积")) << undo->text().toStdString();
    undo->trigger();
    EXPECT_TRUE(d->Model().Areas()[0].Shown);
    EXPECT_EQ(table->item(0, 0)->checkState(), Qt::Checked);

    // Undone whole, made again.
    undo->trigger();
    EXPECT_TRUE(d->Model().Areas().empty());
    EXPECT_EQ(table->rowCount(), 0);
    QApplication::processEvents();
    EXPECT_FALSE(Green(d, 0.3, 1.3));
    f.main->Command().CurveRedo->trigger();
    EXPECT_EQ(d->Model().Areas().size(), 1U);
    QApplication::processEvents();
    EXPECT_TRUE(Green(d, 0.3, 1.3));

    // Del in the table deletes it; the window goes on answering.
    table->setFocus();
    table->selectRow(0);
    QTest::keyClick(table, Qt::Key_Delete);
    EXPECT_TRUE(d->Model().Areas().empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    Release(d, QPointF(10, 10));
}

TEST(Calculus, TheDialogSaysWhyThereIsNoValueAndStaysOpen) {
    AppFixture f;
    frmDocument* d = OpenSized(f, "r.opd",
                               "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=13\r\nExp1=1/x\r\n");
    ASSERT_NE(d, nullptr);
    WhenModal([](QWidget* w) {
        auto* from = Named<QLineEdit>(w, "txtFrom");
        auto* to = Named<QLineEdit>(w, "txtTo");
        QLabel* problem = Named<QLabel>(w, "lblProblem");
        from->setText("-1");
        to->setText("1");
        Named(w, "cmdOK")->click();
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(problem->text().startsWith("发散")) << problem->text().toStdString();
        to->setText("1+");
        Named(w, "cmdOK")->click();
        EXPECT_TRUE(problem->text().startsWith("端点无法计算")) << problem->text().toStdString();
        to->setText("-1");
        Named(w, "cmdOK")->click();
        EXPECT_EQ(problem->text(), "两端相同, 区间为空");
        // 1/x from 1 to e^2 is 2.
        from->setText("1");
        to->setText("exp(2)");
        Named(w, "cmdOK")->click();
        EXPECT_FALSE(w->isVisible());
    });
    f.Action("mnuCalculateArea")->trigger();
    ASSERT_EQ(d->Model().Areas().size(), 1U);
    EXPECT_EQ(Number(f.main->AreasPanel()->Table()->item(0, 2)->text()), 2);
    EXPECT_TRUE(f.main->statusBar()->currentMessage().startsWith("面积=2"));

    // Cancel adds nothing.
    WhenModal([](QWidget* w) { Named(w, "cmdCancel")->click(); });
    f.Action("mnuCalculateLength")->trigger();
    EXPECT_EQ(d->Model().Areas().size(), 1U);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Calculus, AnIntervalIsDraggedAcrossTheGraphAndEscGivesUpThePick) {
    AppFixture f;
    frmDocument* d = OpenSized(f, "p.opd", Parabolas);
    ASSERT_NE(d, nullptr);
    const auto startPick = [&] {
        WhenModal([](QWidget* w) { Named(w, "cmdPick")->click(); });
        f.Action("mnuCalculateArea")->trigger();
    };
    // Esc gives up the pick, not the window.
    startPick();
    EXPECT_TRUE(d->IsPickingInterval());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    Key(d, Qt::Key_Escape);
    EXPECT_FALSE(d->IsPickingInterval());
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(f.VisibleWindows(), 1);

    // A left drag from x = 0.5 to x = 1.5 now chooses instead of moving the view.
    startPick();
    const View before = d->ViewState();
    const double unit = At(d, 1, 0).x() - At(d, 0, 0).x();
    QString from, to;
    WhenModal([&](QWidget* w) {
        from = Named<QLineEdit>(w, "txtFrom")->text();
        to = Named<QLineEdit>(w, "txtTo")->text();
        Named(w, "cmdOK")->click();
    });
    Drag(d, At(d, 1.5, 3), At(d, 0.5, -1), Qt::LeftButton);
    QTest::qWait(50); // the dialog opens again after the mouse's event
    EXPECT_FALSE(d->IsPickingInterval());
    EXPECT_EQ(d->ViewState().ScaleLeft(), before.ScaleLeft());
    EXPECT_NEAR(Number(from), 0.5, 1 / unit);
    EXPECT_NEAR(Number(to), 1.5, 1 / unit);
    ASSERT_EQ(d->Model().Areas().size(), 1U);
    const AreaRecord& a = d->Model().Areas()[0];
    // The first curve alone, against the axis: x^3/3 between the ends.
    EXPECT_EQ(a.Other, -1);
    const double expected = (std::pow(a.To, 3) - std::pow(a.From, 3)) / 3;
    EXPECT_NEAR(Number(f.main->AreasPanel()->Table()->item(0, 2)->text()), expected, 1e-13);
    // Afterwards the left button moves the view again.
    Drag(d, QPointF(300, 200), QPointF(340, 200), Qt::LeftButton);
    EXPECT_NE(d->ViewState().ScaleLeft(), before.ScaleLeft());
}

TEST(Calculus, TwoKeyPointsChosenGiveTheInterval) {
    AppFixture f;
    frmDocument* d = OpenSized(f, "p.opd", Parabolas);
    ASSERT_NE(d, nullptr);
    f.main->Command().CalculateKeyPoints->trigger();
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->IsFindingKeyPoints(); }, 60000));
    QTableView* table = f.main->KeyPointsPanel()->Table();
    // The two intersections of the parabolas.
    table->clearSelection();
    for (size_t i = 0; i < d->KeyPoints().size(); ++i)
        if (d->KeyPoints()[i].Kind == KeyPointKind::Intersection)
            table->selectionModel()->select(table->model()->index(static_cast<int>(i), 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(f.main->KeyPointsPanel()->SelectedPoints().size(), 2U);
    WhenModal([](QWidget* w) {
        EXPECT_EQ(Named<QComboBox>(w, "cboOther")->currentData().toInt(), 1);
        EXPECT_EQ(Named<QLineEdit>(w, "txtFrom")->text(), "-1");
        EXPECT_EQ(Named<QLineEdit>(w, "txtTo")->text(), "1");
        Named(w, "cmdOK")->click();
    });
    f.Action("mnuCalculateArea")->trigger();
    ASSERT_EQ(d->Model().Areas().size(), 1U);
    EXPECT_EQ(d->Model().Areas()[0].Other, 1);
}

TEST(Calculus, DerivativeCurvesAreAddedFollowingTheTranslationAndUndone) {
    AppFixture f;
    // y = sin(x)*x + 2 shifted by (1, 5), alone: the command takes it without asking.
    frmDocument* d = OpenSized(f, "s.opd",
                               "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=13\r\n"
                               "Exp1=sin(x)*x+2\r\nCTh=1\r\nCTk=5\r\nLC=255\r\nLW=2\r\n");
    ASSERT_NE(d, nullptr);
    f.Action("mnuCalculateDerivative")->trigger();
    ASSERT_EQ(d->Model().CurveCount(), 2);
    const CurveRecord& first = d->Model().Curve(1);
    EXPECT_EQ(first.FType, CurveGeneralY);
    EXPECT_EQ(first.Expression1, "cos(x)*x+sin(x)");
    EXPECT_EQ(first.CTh, 1);
    EXPECT_EQ(first.CTk, 0);
    EXPECT_TRUE(first.ShowHide);
    EXPECT_TRUE(f.main->statusBar()->currentMessage().contains("cos(x)*x+sin(x)"));

    // Two curves now: the person chooses the derivative, which gives the second.
    WhenModal([](QWidget* w) {
        auto* combo = w->findChild<QComboBox*>();
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->count(), 2);
        combo->setCurrentIndex(1);
        qobject_cast<QDialog*>(w)->accept();
    });
    f.Action("mnuCalculateDerivative")->trigger();
    ASSERT_EQ(d->Model().CurveCount(), 3);
    const std::string second = d->Model().Curve(2).Expression1;
    for (double x : {-2.5, 0.3, 1.7}) // (x sin x)'' = 2 cos x - x sin x
        EXPECT_NEAR(ValueAt(f, second, "x", x), 2 * std::cos(x) - x * std::sin(x), 1e-12) << x;

    // Undo takes the derivatives back, one each.
    f.main->Command().CurveUndo->trigger();
    f.main->Command().CurveUndo->trigger();
    EXPECT_EQ(d->Model().CurveCount(), 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Calculus, DerivativesOfXCurvesAndTextsWithoutOne) {
    AppFixture f;
    // x = y^3 shifted by (2, -1), and y = rnd(1)*x, which has none.
    frmDocument* d = OpenSized(f, "x.opd",
                               "[General]\r\nOPMVer=1\r\nC=2\r\n[0DATA]\r\nType=14\r\n"
                               "Exp1=y^3\r\nCTh=2\r\nCTk=-1\r\n[1DATA]\r\nType=13\r\n"
                               "Exp1=rnd(1)*x\r\n");
    ASSERT_NE(d, nullptr);
    WhenModal([](QWidget* w) {
        w->findChild<QComboBox*>()->setCurrentIndex(0);
        qobject_cast<QDialog*>(w)->accept();
    });
    f.Action("mnuCalculateDerivative")->trigger();
    ASSERT_EQ(d->Model().CurveCount(), 3);
    const CurveRecord& made = d->Model().Curve(2);
    EXPECT_EQ(made.FType, CurveGeneralX);
    EXPECT_EQ(made.CTh, 0);
    EXPECT_EQ(made.CTk, -1);
    EXPECT_NEAR(ValueAt(f, made.Expression1, "y", 0.7), 3 * 0.49, 1e-12);

    f.messages.shown.clear();
    WhenModal([](QWidget* w) {
        w->findChild<QComboBox*>()->setCurrentIndex(1);
        qobject_cast<QDialog*>(w)->accept();
    });
    f.Action("mnuCalculateDerivative")->trigger();
    EXPECT_EQ(d->Model().CurveCount(), 3);
    ASSERT_EQ(f.messages.shown.size(), 1U);
    EXPECT_NE(f.messages.shown[0].Text.find("RND"), std::string::npos);
}

TEST(Calculus, TangentsAndNormalsAtTheTracedPointTheMenusPointAndAKeyPoint) {
    AppFixture f;
    frmDocument* d = OpenSized(f, "q.opd",
                               "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=13\r\n"
                               "Exp1=x^2\r\nLC=255\r\n");
    ASSERT_NE(d, nullptr);
    // No point yet: the command says how to give one.
    f.Action("mnuCalculateTangent")->trigger();
    ASSERT_EQ(f.messages.shown.size(), 1U);
    EXPECT_NE(f.messages.shown[0].Text.find("跟踪"), std::string::npos);
    EXPECT_EQ(d->Model().CurveCount(), 1);

    const auto line = [&](int32_t i) {
        const CurveRecord& c = d->Model().Curve(i);
        EXPECT_EQ(c.FType, LinePS);
        return std::array{std::stod(c.SData1), std::stod(c.SData2), std::stod(c.SData3)};
    };
    // Traced near (1, 1): the tangent through the curve's point there, with slope 2x.
    f.main->Command().CalculateTrace->trigger();
    Release(d, At(d, 1, 1) + QPointF(1, 2));
    ASSERT_TRUE(d->Traced().has_value());
    f.Action("mnuCalculateTangent")->trigger();
    ASSERT_EQ(d->Model().CurveCount(), 2);
    auto [x1, y1, k] = line(1);
    EXPECT_NEAR(x1, 1, 0.05);
    EXPECT_NEAR(y1, x1 * x1, 1e-12);
    EXPECT_NEAR(k, 2 * x1, 1e-12);
    EXPECT_TRUE(f.main->statusBar()->currentMessage().startsWith("切线 y="));
    // The normal at the same point: slope -1/(2x).
    f.Action("mnuCalculateNormal")->trigger();
    ASSERT_EQ(d->Model().CurveCount(), 3);
    auto [nx, ny, nk] = line(2);
    EXPECT_EQ(nx, x1);
    EXPECT_NEAR(nk, -1 / (2 * x1), 1e-12);
    f.main->Command().CalculateTrace->trigger();

    // The plot's menu at (-1.5, 2.25): the tangent there, slope -3.
    ChooseFromOpenMenu("mnuCalculateTangent");
    const QPointF at = At(d, -1.5, 2.25);
    Mouse(d, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    Mouse(d, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    ASSERT_EQ(d->Model().CurveCount(), 4);
    auto [mx, my, mk] = line(3);
    EXPECT_NEAR(mx, -1.5, 0.05);
    EXPECT_NEAR(mk, 2 * mx, 1e-12);
    EXPECT_NEAR(my, mx * mx, 1e-12);

    // The minimum chosen in the key points panel: the tangent is level through the origin.
    f.main->Command().CalculateKeyPoints->trigger();
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->IsFindingKeyPoints(); }, 60000));
    QTableView* table = f.main->KeyPointsPanel()->Table();
    for (size_t i = 0; i < d->KeyPoints().size(); ++i)
        if (d->KeyPoints()[i].Kind == KeyPointKind::Minimum && d->KeyPoints()[i].Curve == 0)
            table->selectRow(static_cast<int>(i));
    ASSERT_EQ(f.main->KeyPointsPanel()->SelectedPoints().size(), 1U);
    f.Action("mnuCalculateTangent")->trigger();
    ASSERT_EQ(d->Model().CurveCount(), 5);
    auto [zx, zy, zk] = line(4);
    EXPECT_EQ(zx, 0);
    EXPECT_EQ(zy, 0);
    EXPECT_EQ(zk, 0);
    // Its normal is upright: the general form x = 0.
    f.Action("mnuCalculateNormal")->trigger();
    ASSERT_EQ(d->Model().CurveCount(), 6);
    EXPECT_EQ(d->Model().Curve(5).FType, LineGeneral);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Calculus, ACurveDeletedTakesItsAreasAndUndoPutsThemBack) {
    AppFixture f;
    frmDocument* d = OpenSized(f, "three.opd",
                               "[General]\r\nOPMVer=1\r\nC=3\r\n"
                               "[0DATA]\r\nType=13\r\nExp1=x^2\r\n[1DATA]\r\nType=13\r\nExp1=2-x^2\r\n"
                               "[2DATA]\r\nType=13\r\nExp1=sin(x)\r\n");
    ASSERT_NE(d, nullptr);
    AreaRecord between{AreaRecord::Kind::Area, 0, 1, -1, 1, true};
    AreaRecord sine{AreaRecord::Kind::Area, 2, -1, 0, 3, true};
    AreaRecord arc{AreaRecord::Kind::Length, 1, -1, -0.5, 2, false};
    d->AddArea(between);
    d->AddArea(sine);
    d->AddArea(arc);
    d->DeleteFun(1);
    ASSERT_EQ(d->Model().Areas().size(), 1U);
    EXPECT_EQ(d->Model().Areas()[0].Curve, 1); // the sine moved up a place
    d->UndoStack().undo();
    ASSERT_EQ(d->Model().Areas().size(), 3U);
    EXPECT_EQ(d->Model().Areas()[0], between);
    EXPECT_EQ(d->Model().Areas()[1], sine);
    EXPECT_EQ(d->Model().Areas()[2], arc);
    d->UndoStack().redo();
    EXPECT_EQ(d->Model().Areas().size(), 1U);
}
