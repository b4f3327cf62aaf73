// Reading the graph as a person does: key points marked and listed, the list copied and used
// to move the view, trace following a curve, each command by key, menu item and button.
#include "AppTestSupport.h"

#include "dialogs/frmKeyPoints.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>

#include <gtest/gtest.h>

#include <cmath>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// y = x^3 - 2x in red, the unit circle in blue, x^2 - y^2 = 1 in green.
constexpr const char* Meeting =
    "[General]\r\nOPMVer=1\r\nTitle=交点\r\nC=3\r\n"
    "[0DATA]\r\nType=13\r\nExp1=x^3-2*x\r\nLC=255\r\nLW=1\r\n"
    "[1DATA]\r\nType=6\r\nSD1=0\r\nSD2=0\r\nSD3=1\r\nLC=16711680\r\nLW=1\r\n"
    "[2DATA]\r\nType=9\r\nSD1=1\r\nSD2=1\r\nLC=32768\r\nLW=1\r\n";

const std::string Cubic = "普通方程: y=x^3-2*x";

void Keys(AppFixture& f, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    f.main->activateWindow();
    QApplication::processEvents();
    QTest::keyClick(f.main->windowHandle(), key, modifiers);
}

void MoveTo(frmDocument* d, QPointF at) {
    QMouseEvent event(QEvent::MouseMove, at, d->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(d, &event);
}

QPointF At(const frmDocument* d, double x, double y) {
    const auto [px, py] = d->ViewState().ToPixels(x, y);
    return {px, py};
}

bool Found(frmDocument* d) {
    return QTest::qWaitFor([d] { return !d->IsFindingKeyPoints(); }, 60000);
}

// The document opened at 620 by 520 with its key points turned on by the menu item and
// found; none when it could not be opened or the search did not end.
frmDocument* OpenMarked(AppFixture& f, const char* name, const char* text) {
    frmDocument* d = f.Open(f.dir.Write(name, text));
    if (!d) return nullptr;
    d->parentWidget()->resize(620, 520);
    QApplication::processEvents();
    f.main->Command().CalculateKeyPoints->trigger();
    if (!Found(d)) return nullptr;
    QApplication::processEvents();
    return d;
}

// The point of the given kind and curve nearest x.
const KeyPoint* PointNear(const frmDocument* d, KeyPointKind kind, int32_t curve, double x) {
    const KeyPoint* best = nullptr;
    for (const KeyPoint& p : d->KeyPoints())
        if (p.Kind == kind && p.Curve == curve &&
            (!best || std::abs(p.X - x) < std::abs(best->X - x)))
            best = &p;
    return best;
}

bool Reddish(const QImage& image, QPointF around) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const QRgb p =
                image.pixel(int(std::lround(around.x())) + dx, int(std::lround(around.y())) + dy);
            if (qRed(p) > 150 && qGreen(p) < 130 && qBlue(p) < 130) return true;
        }
    return false;
}

} // namespace

TEST(KeyPointsWindow, MarksLabelsTipsAndTheCommandsOnEveryWay) {
    AppFixture f;
    frmDocument* d = f.Open(f.dir.Write("m.opd", Meeting));
    ASSERT_NE(d, nullptr);
    d->parentWidget()->resize(620, 520);
    QApplication::processEvents();
    const QImage plain = d->grab().toImage();
    QAction* command = f.main->Command().CalculateKeyPoints;
    EXPECT_EQ(command->text(), "关键点(&K)");

    // The menu item turns the points on and opens the panel.
    command->trigger();
    EXPECT_TRUE(command->isChecked());
    ASSERT_TRUE(Found(d));
    ASSERT_NE(f.main->KeyPointsPanel(), nullptr);
    EXPECT_TRUE(f.main->KeyPointsPanel()->isVisible());

    // The cubic's zeros at 0 and ±sqrt 2, its turning points at ±sqrt(2/3) with values
    // ∓(4/3)sqrt(2/3); the circle and the hyperbola meet at (±1, 0).
    const KeyPoint* zero = PointNear(d, KeyPointKind::Zero, 0, 1.4);
    ASSERT_NE(zero, nullptr);
    EXPECT_NEAR(zero->X, std::sqrt(2.0),
                4 * (std::nextafter(std::sqrt(2.0), 2.0) - std::sqrt(2.0)));
    const KeyPoint* max = PointNear(d, KeyPointKind::Maximum, 0, -0.8);
    ASSERT_NE(max, nullptr);
    EXPECT_NEAR(max->X, -std::sqrt(2.0 / 3), 4e-16); // where the slope 3x^2 - 2 is zero
    EXPECT_NEAR(max->Y, 4.0 / 3 * std::sqrt(2.0 / 3), 1e-12);
    const KeyPoint* meet = PointNear(d, KeyPointKind::Intersection, 1, 1);
    ASSERT_NE(meet, nullptr);
    EXPECT_EQ(meet->Other, 2);
    EXPECT_EQ(meet->X, 1);
    EXPECT_EQ(meet->Y, 0);

    // A ring in the curve's colour around the maximum, above the curve where there was none.
    QApplication::processEvents();
    const QImage marked = d->grab().toImage();
    const QPointF top = At(d, max->X, max->Y) - QPointF(0, 3.5);
    EXPECT_FALSE(Reddish(plain, top));
    EXPECT_TRUE(Reddish(marked, top));

    // Labels: the isolated ones are placed, none covers another label or another ring.
    EXPECT_FALSE(d->LabelRect(static_cast<size_t>(max - d->KeyPoints().data())).isEmpty());
    EXPECT_FALSE(d->LabelRect(static_cast<size_t>(zero - d->KeyPoints().data())).isEmpty());
    int placed = 0;
    for (size_t i = 0; i < d->KeyPoints().size(); ++i) {
        const QRectF label = d->LabelRect(i);
        if (label.isEmpty()) continue;
        ++placed;
        EXPECT_TRUE(QRectF(d->rect()).contains(label));
        for (size_t j = 0; j < d->KeyPoints().size(); ++j) {
            if (j == i) continue;
            EXPECT_FALSE(label.intersects(d->LabelRect(j))) << i << " over label " << j;
            const QPointF ring = At(d, d->KeyPoints()[j].X, d->KeyPoints()[j].Y);
            EXPECT_FALSE(label.intersects(QRectF(ring - QPointF(3, 3), QSizeF(6, 6))))
                << i << " over ring " << j;
        }
    }
    EXPECT_GE(placed, 8);

    // Hovering a mark tells the full values and the curve.
    MoveTo(d, At(d, zero->X, zero->Y) + QPointF(2, 1));
    const QStringList tip = QToolTip::text().split('\n');
    ASSERT_EQ(tip.size(), 4) << QToolTip::text().toStdString();
    EXPECT_EQ(tip[0], "零点");
    EXPECT_TRUE(tip[1].startsWith("x = 1.4142135623730") || tip[1] == "x = 1.4142135623731")
        << tip[1].toStdString(); // 15 digits of a root within 4 ulps of sqrt 2
    EXPECT_EQ(tip[2], "y = 0");
    EXPECT_EQ(tip[3].toStdString(), Cubic);
    EXPECT_TRUE(QToolTip::isVisible());
    MoveTo(d, QPointF(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));

    // The marks follow a pan: the maximum is found again where the view moved it.
    const std::vector<KeyPoint> before = d->KeyPoints();
    const double maxX = max->X; // the list is replaced by the search that follows
    d->CentreOn(-0.5, 0.5);
    ASSERT_TRUE(Found(d));
    const KeyPoint* again = PointNear(d, KeyPointKind::Maximum, 0, -0.8);
    ASSERT_NE(again, nullptr);
    EXPECT_NEAR(again->X, maxX, 1e-7);
    QApplication::processEvents();
    EXPECT_TRUE(Reddish(d->grab().toImage(), At(d, again->X, again->Y) - QPointF(0, 3.5)));

    // The key turns them off: no marks, an empty panel, the picture as before.
    d->CentreOn(0, 0);
    ASSERT_TRUE(Found(d));
    Keys(f, Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(command->isChecked());
    EXPECT_TRUE(d->KeyPoints().empty());
    EXPECT_EQ(f.main->KeyPointsPanel()->Table()->model()->rowCount(), 0);
    QApplication::processEvents();
    EXPECT_EQ(d->grab().toImage(), plain);

    // The toolbar button turns them on again.
    QToolBar* bar = f.main->findChild<QToolBar*>("tbToolBarView");
    ASSERT_NE(bar, nullptr);
    ClickThroughWindow(bar->widgetForAction(command));
    EXPECT_TRUE(command->isChecked());
    ASSERT_TRUE(Found(d));
    EXPECT_EQ(d->KeyPoints().size(), before.size());
    MoveTo(d, QPointF(5, 5)); // the window still answers
}

TEST(KeyPointsWindow, PointsAtOnePlaceShareTheirLabelAndTip) {
    AppFixture f;
    // y = 2x crosses the x axis where it meets the y axis: a zero and a y-intercept at (0, 0).
    frmDocument* d = OpenMarked(f, "o.opd",
                                "[General]\r\nOPMVer=1\r\nTitle=原点\r\nC=1\r\n"
                                "[0DATA]\r\nType=13\r\nExp1=2*x\r\nLC=255\r\nLW=1\r\n");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->KeyPoints().size(), 2u);
    for (const KeyPoint& p : d->KeyPoints()) {
        EXPECT_EQ(p.X, 0);
        EXPECT_EQ(p.Y, 0);
    }
    EXPECT_NE(d->KeyPoints()[0].Kind, d->KeyPoints()[1].Kind);
    // One label, beside the ring; the other point's would say the same over it.
    EXPECT_NE(d->LabelRect(0).isEmpty(), d->LabelRect(1).isEmpty());
    MoveTo(d, At(d, 0, 0) + QPointF(-1, 2));
    EXPECT_EQ(QToolTip::text().toStdString(), "零点、y 截距\nx = 0\ny = 0\n普通方程: y=2*x");
    MoveTo(d, QPointF(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    // The window still answers: the command turns the points off again.
    f.main->Command().CalculateKeyPoints->trigger();
    EXPECT_FALSE(d->KeyPointsShown());

    // The rose r = 3 sin 7z: the tip of its lowest petal is found as the lowest point at z
    // near 3 pi/2, where x is -5.5e-16, and as the y-intercept at x = 0: two points an ulp
    // apart, one label, one tip.
    frmDocument* e = OpenMarked(f, "e.opd",
                                "[General]\r\nOPMVer=1\r\nTitle=玫瑰\r\nC=1\r\n"
                                "[0DATA]\r\nType=16\r\nExp1=3*sin(7*z)\r\nLC=255\r\nLW=1\r\n");
    ASSERT_NE(e, nullptr);
    std::vector<size_t> bottom;
    for (size_t i = 0; i < e->KeyPoints().size(); ++i)
        if (std::hypot(e->KeyPoints()[i].X, e->KeyPoints()[i].Y + 3) < 1e-9) bottom.push_back(i);
    ASSERT_EQ(bottom.size(), 2u);
    EXPECT_NE(e->KeyPoints()[bottom[0]].X, e->KeyPoints()[bottom[1]].X); // not the same double
    EXPECT_NE(e->LabelRect(bottom[0]).isEmpty(), e->LabelRect(bottom[1]).isEmpty());
    MoveTo(e, At(e, 0, -3) + QPointF(1, -2));
    EXPECT_TRUE(QToolTip::text().startsWith("y 截距、极小值\nx = "))
        << QToolTip::text().toStdString();
    EXPECT_TRUE(QToolTip::text().contains("\ny = -3\n普通方程(极坐标)"))
        << QToolTip::text().toStdString();
    MoveTo(e, QPointF(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

TEST(KeyPointsWindow, ThePanelListsCopiesCentresAndFollowsTheActiveDocument) {
    AppFixture f;
    frmDocument* first = f.Open(f.dir.Write("m.opd", Meeting));
    ASSERT_NE(first, nullptr);
    first->parentWidget()->resize(620, 520);
    f.main->Command().CalculateKeyPoints->trigger();
    ASSERT_TRUE(Found(first));
    frmKeyPoints* panel = f.main->KeyPointsPanel();
    QTableView* table = panel->Table();
    const auto cell = [&](int row, int column) {
        return table->model()->index(row, column).data().toString();
    };
    const auto rows = [&] { return table->model()->rowCount(); };
    ASSERT_EQ(static_cast<size_t>(rows()), first->KeyPoints().size());

    // The rows in the document's order, each with its kind, curves and full values.
    const auto rowOf = [&](KeyPointKind kind, int32_t curve, double x) {
        const KeyPoint* p = PointNear(first, kind, curve, x);
        return p ? static_cast<int>(p - first->KeyPoints().data()) : -1;
    };
    const int zero = rowOf(KeyPointKind::Zero, 0, 1.4),
              meet = rowOf(KeyPointKind::Intersection, 1, -1);
    ASSERT_GE(zero, 0);
    ASSERT_GE(meet, 0);
    EXPECT_EQ(cell(meet, 0), "交点");
    EXPECT_EQ(cell(meet, 1).toStdString(),
              "圆: (x-(0))^2+(y-(0))^2=(1)^2 ∩ 双曲线: x^2/(1)^2-y^2/(1)^2=1");
    EXPECT_EQ(cell(meet, 2), "-1");
    EXPECT_EQ(cell(meet, 3), "0");
    EXPECT_FALSE(table->model()->index(zero, 1).data(Qt::DecorationRole).isNull()); // its colour

    // One row chosen: the view centres on its point; the row stays chosen as the points
    // are found anew for the moved view.
    const double zeroX = first->KeyPoints()[static_cast<size_t>(zero)].X;
    table->selectRow(zero);
    EXPECT_EQ(first->ViewState().CentreX(), zeroX);
    EXPECT_EQ(first->ViewState().CentreY(), 0);
    ASSERT_TRUE(Found(first));
    QApplication::processEvents();
    const int moved = rowOf(KeyPointKind::Zero, 0, 1.4);
    ASSERT_GE(moved, 0);
    EXPECT_TRUE(table->selectionModel()->isRowSelected(moved));
    EXPECT_EQ(first->ViewState().CentreX(), zeroX); // not moved again

    // Ctrl+C in the table copies the chosen rows, and opens no constants manager.
    const QString zeroLine =
        "零点\t" + QString::fromStdString(Cubic) + "\t" + QString::number(zeroX, 'g', 15) + "\t0\n";
    QApplication::clipboard()->clear();
    table->setFocus();
    QString opened; // a window the key opened by mistake is closed, not waited for
    QTimer::singleShot(300, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->objectName();
            modal->close();
        }
    });
    Keys(f, Qt::Key_C, Qt::ControlModifier);
    QTest::qWait(350);
    EXPECT_EQ(opened, "");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), zeroLine.toStdString());

    // Two rows by the button, in the table's order; several rows chosen move nothing.
    const double centre = first->ViewState().CentreX();
    const int max = rowOf(KeyPointKind::Maximum, 0, -0.8);
    ASSERT_GE(max, 0);
    table->selectionModel()->select(table->model()->index(max, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(first->ViewState().CentreX(), centre);
    ClickThroughWindow(panel->findChild<QPushButton*>("cmdCopy"));
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ((lines[moved < max ? 0 : 1] + "\n").toStdString(), zeroLine.toStdString());
    EXPECT_TRUE(lines[moved < max ? 1 : 0].startsWith("极大值\t" + QString::fromStdString(Cubic) +
                                                      "\t-0.81649658"));

    // A second document without key points: the command and the panel follow it, and back.
    frmDocument* second = f.Open(f.Document("b.opd"));
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(f.main->Command().CalculateKeyPoints->isChecked());
    EXPECT_EQ(panel->Document(), second);
    EXPECT_EQ(rows(), 0);
    f.main->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    EXPECT_TRUE(f.main->Command().CalculateKeyPoints->isChecked());
    EXPECT_EQ(static_cast<size_t>(rows()), first->KeyPoints().size());

    // Closing the document empties the panel.
    first->Model().SetModified(false);
    first->parentWidget()->close();
    QApplication::processEvents();
    EXPECT_NE(panel->Document(), first);
}

TEST(TraceWindow, SnapsWithinEightPixelsAndGivesTheReadoutBackWhenOff) {
    AppFixture f;
    frmDocument* d = f.Open(f.dir.Write("m.opd", Meeting));
    ASSERT_NE(d, nullptr);
    d->parentWidget()->resize(620, 520);
    QAction* trace = f.main->Command().CalculateTrace;
    EXPECT_EQ(trace->text(), "跟踪(&T)");
    Keys(f, Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(trace->isChecked());
    ASSERT_TRUE(d->Tracing());

    // Beside the cubic at (2, 4), 5 pixels off: the marker sits on the cubic, no farther
    // than (2, 4) itself, and the read-out names the curve.
    const QPointF on = At(d, 2, 4), pointer = on + QPointF(5, 0);
    MoveTo(d, pointer);
    ASSERT_TRUE(d->Traced().has_value());
    const TracedPoint t = *d->Traced();
    EXPECT_EQ(t.Curve, 0);
    EXPECT_NEAR(t.Y, t.X * t.X * t.X - 2 * t.X, 1e-9);
    const QPointF marker = At(d, t.X, t.Y);
    EXPECT_LE(QLineF(marker, pointer).length(), 5 + 1e-9);
    EXPECT_EQ(f.StatusText(StatusPanel::Readout).toStdString(),
              Cubic + "  " + PointLabel(t.X, t.Y));
    // The marker is drawn there, in the curve's colour.
    QApplication::processEvents();
    EXPECT_TRUE(Reddish(d->grab().toImage(), marker));

    // Near the circle's top: the circle, not the cubic.
    MoveTo(d, At(d, 0, 1) + QPointF(0, -6));
    ASSERT_TRUE(d->Traced().has_value());
    EXPECT_EQ(d->Traced()->Curve, 1);
    EXPECT_NEAR(d->Traced()->X, 0, 1e-6);
    EXPECT_NEAR(d->Traced()->Y, 1, 1e-9);

    // At (-4, 3), where the nearest curve (the hyperbola's branch at x = -sqrt 10) is more
    // than half a unit away: the Part's read-out.
    const QPointF away = At(d, -4, 3);
    ASSERT_GT(d->width() / double(d->ViewState().ScaleWidth()) * 0.8, 8);
    MoveTo(d, away);
    EXPECT_FALSE(d->Traced().has_value());
    EXPECT_EQ(f.StatusText(StatusPanel::Readout).toStdString(), PointerReadout(-4, 3));

    // A curve hidden and the document drawn again: trace follows what is shown now.
    d->Model().SetFunListShowHide(0, false);
    d->RefreshAll();
    MoveTo(d, pointer);
    EXPECT_FALSE(d->Traced().has_value());
    d->Model().SetFunListShowHide(0, true);
    d->RefreshAll();

    // The menu item turns it off: the curve's name leaves the read-out at once, and the
    // read-out is the Part's again at the same place.
    MoveTo(d, pointer);
    ASSERT_TRUE(d->Traced().has_value());
    trace->trigger();
    EXPECT_FALSE(d->Tracing());
    EXPECT_FALSE(f.StatusText(StatusPanel::Readout).startsWith(QString::fromStdString(Cubic)));
    MoveTo(d, pointer);
    const float x = d->ViewState().ScaleLeft() +
                    static_cast<float>(pointer.x() / d->width()) * d->ViewState().ScaleWidth();
    const float y = d->ViewState().ScaleTop() +
                    static_cast<float>(pointer.y() / d->height()) * d->ViewState().ScaleHeight();
    EXPECT_EQ(f.StatusText(StatusPanel::Readout).toStdString(), PointerReadout(x, y));
}

TEST(TraceWindow, SamplingASlowCurveNeverHoldsTheWindowAndThePointerSnapsOnceItIsDone) {
    AppFixture f;
    f.context.RedrawWaitMilliseconds = 10;
    // sin(8 x y) = cos(3 x + y) in red, whose sampling for trace takes a tenth of a second
    // and more, and y = x/2 - 1 in blue.
    frmDocument* d = f.Open(f.dir.Write(
        "w.opd", "[General]\r\nOPMVer=1\r\nC=2\r\n[0DATA]\r\nType=100\r\n"
                 "Exp1=sin(8*x*y)=cos(3*x+y)\r\nLC=255\r\n[1DATA]\r\nType=13\r\nExp1=x/2-1\r\n"
                 "LC=16711680\r\n"));
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->IsRedrawing(); }, 60000));
    const auto onACurve = [d](const TracedPoint& t) {
        return t.Curve == 0 ? std::fabs(std::sin(8 * t.X * t.Y) - std::cos(3 * t.X + t.Y)) < 1e-9
                            : t.Curve == 1 && std::fabs(t.Y - (t.X / 2 - 1)) < 1e-12;
    };
    // Trace turned on by its key starts the sampling, and turned off at once by the menu item
    // stops it at once.
    Keys(f, Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(d->Tracing());
    EXPECT_TRUE(d->IsSamplingForTrace());
    QTest::qWait(30); // well into the red curve
    ASSERT_TRUE(d->IsSamplingForTrace());
    QElapsedTimer clock;
    clock.start();
    f.main->Command().CalculateTrace->trigger();
    EXPECT_FALSE(d->Tracing());
    EXPECT_FALSE(d->IsSamplingForTrace());
    EXPECT_LT(clock.elapsed(), 50 * SlowBuildFactor());
    Keys(f, Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(d->Tracing());
    EXPECT_TRUE(d->IsSamplingForTrace());
    // The pointer moves while the curves are sampled: each move is answered at once.
    const QPointF pointer = At(d, 3.1, 0.5);
    for (const QPointF& at : {pointer + QPointF(4, 3), pointer}) {
        clock.restart();
        MoveTo(d, at);
        EXPECT_LT(clock.elapsed(), 40 * SlowBuildFactor());
        EXPECT_TRUE(!d->Traced() || onACurve(*d->Traced()));
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // Once they are sampled, the pointer snaps where it rests, without moving again.
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->IsSamplingForTrace(); }, 60000));
    ASSERT_TRUE(d->Traced().has_value());
    EXPECT_TRUE(onACurve(*d->Traced()));
    EXPECT_LE(QLineF(At(d, d->Traced()->X, d->Traced()->Y), pointer).length(),
              frmDocument::TraceReach + 1e-9);
    // A new view is sampled anew after its redraw.
    Key(d, Qt::Key_Minus);
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->IsRedrawing(); }, 60000));
    EXPECT_TRUE(d->IsSamplingForTrace());
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->IsSamplingForTrace(); }, 60000));
    MoveTo(d, pointer);
    EXPECT_TRUE(d->Traced().has_value());
    EXPECT_EQ(f.VisibleWindows(), 1);
}

TEST(KeyPointsWindow, ThirtyCurvesAreSearchedWithoutHoldingTheWindow) {
    AppFixture f;
    std::string text = "[General]\r\nOPMVer=1\r\nTitle=多\r\nC=30\r\n";
    for (int i = 0; i < 30; ++i)
        text += "[" + std::to_string(i) + "DATA]\r\nType=13\r\nExp1=sin(" + std::to_string(i + 1) +
                "*x)*x/" + std::to_string(i + 2) + "\r\n";
    frmDocument* d = f.Open(f.dir.Write("many.opd", text));
    ASSERT_NE(d, nullptr);
    QElapsedTimer clock;
    clock.start();
    f.main->Command().CalculateKeyPoints->trigger();
    EXPECT_LT(clock.elapsed(), 100 * SlowBuildFactor());
    EXPECT_TRUE(d->IsFindingKeyPoints());
    EXPECT_EQ(f.main->KeyPointsPanel()->findChild<QLabel*>("lblState")->text(), "正在查找...");
    ASSERT_TRUE(Found(d));
    EXPECT_GT(d->KeyPoints().size(), 400u); // 30 curves, 435 pairs
    // Closing the window while a search runs stops it.
    d->CentreOn(1, 1);
    EXPECT_TRUE(d->IsFindingKeyPoints());
    d->parentWidget()->close();
    QApplication::processEvents();
    EXPECT_TRUE(f.main->Documents().isEmpty());
}

TEST(KeyPointsWindow, ThePanelSaysWhichCurvesHaveNoPoints) {
    AppFixture f;
    // y = x; y = rnd(1)*0 + x, whose numbers are not fixed; the same, hidden.
    frmDocument* d = f.Open(f.dir.Write(
        "r.opd", "[General]\r\nOPMVer=1\r\nTitle=随机\r\nC=3\r\n"
                 "[0DATA]\r\nType=13\r\nExp1=x\r\nLC=255\r\nLW=1\r\n"
                 "[1DATA]\r\nType=13\r\nExp1=rnd(1)*0+x\r\nLC=255\r\nLW=1\r\n"
                 "[2DATA]\r\nType=13\r\nExp1=rnd(1)*0+2*x\r\nSH=False\r\nLC=255\r\nLW=1\r\n"));
    ASSERT_NE(d, nullptr);
    f.main->Command().CalculateKeyPoints->trigger();
    ASSERT_TRUE(Found(d));
    QApplication::processEvents();
    EXPECT_EQ(d->CurvesLeftOut(), std::vector<int32_t>{1});
    const QLabel* state = f.main->KeyPointsPanel()->findChild<QLabel*>("lblState");
    EXPECT_EQ(state->text(), "2 个关键点，1 条曲线无法计算");
    EXPECT_TRUE(state->toolTip().endsWith("\n普通方程: y=rnd(1)*0+x"))
        << state->toolTip().toStdString();
    // Hiding it leaves nothing out; the window still answers the command.
    d->Model().SetFunListShowHide(1, false);
    d->RefreshAll();
    ASSERT_TRUE(Found(d));
    QApplication::processEvents();
    EXPECT_TRUE(d->CurvesLeftOut().empty());
    EXPECT_EQ(state->text(), "2 个关键点");
    EXPECT_TRUE(state->toolTip().isEmpty());
    f.main->Command().CalculateKeyPoints->trigger();
    EXPECT_FALSE(d->KeyPointsShown());
}

TEST(KeyPointsWindow, ShiftAndCtrlChooseRangesAndSetsThatOutlastTheSearch) {
    AppFixture f;
    f.main->resize(1100, 800);
    frmDocument* d = f.Open(f.dir.Write("m.opd", Meeting));
    ASSERT_NE(d, nullptr);
    d->parentWidget()->resize(620, 520);
    f.main->Command().CalculateKeyPoints->trigger();
    ASSERT_TRUE(Found(d));
    QTableView* table = f.main->KeyPointsPanel()->Table();
    ASSERT_GE(table->model()->rowCount(), 6);
    QApplication::processEvents();
    const auto click = [&](int row, Qt::KeyboardModifiers keys = {}) {
        table->scrollTo(table->model()->index(row, 2));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, keys,
                          table->visualRect(table->model()->index(row, 2)).center());
    };
    const auto chosen = [&] {
        std::vector<KeyPoint> points;
        for (const QModelIndex& index : table->selectionModel()->selectedRows())
            points.push_back(d->KeyPoints()[static_cast<size_t>(index.row())]);
        std::sort(points.begin(), points.end(), [](const KeyPoint& a, const KeyPoint& b) {
            return std::tie(a.Kind, a.Curve, a.X) < std::tie(b.Kind, b.Curve, b.X);
        });
        return points;
    };
    // A click on one row centres the view on its point and finds the points anew; a
    // Shift+click before that search ends takes the range, and keeps it when the list comes.
    const KeyPoint first = d->KeyPoints()[1];
    click(1);
    EXPECT_EQ(d->ViewState().CentreX(), first.X);
    EXPECT_EQ(d->ViewState().CentreY(), first.Y);
    click(3, Qt::ShiftModifier);
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 3);
    const std::vector<KeyPoint> range = chosen();
    ASSERT_TRUE(Found(d));
    QApplication::processEvents();
    EXPECT_EQ(chosen(), range);
    // Several rows chosen move nothing; Ctrl adds a row and takes one away.
    EXPECT_EQ(d->ViewState().CentreX(), first.X);
    const int last = table->model()->rowCount() - 1;
    click(last, Qt::ControlModifier);
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 4);
    click(2, Qt::ControlModifier);
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 3);
    EXPECT_FALSE(table->selectionModel()->isRowSelected(2));
    EXPECT_EQ(d->ViewState().CentreX(), first.X);
    EXPECT_FALSE(d->IsFindingKeyPoints());
    // The set outlasts a search for a moved view too, where its points are found again.
    const std::vector<KeyPoint> set = chosen();
    d->CentreOn(first.X + 0.01, first.Y);
    ASSERT_TRUE(Found(d));
    QApplication::processEvents();
    EXPECT_EQ(chosen(), set);
    // A plain click chooses one row again and centres on it.
    const KeyPoint other = d->KeyPoints()[static_cast<size_t>(last)];
    click(last);
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(d->ViewState().CentreX(), other.X);
    ASSERT_TRUE(Found(d));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
