// Moving around the plane as a person does: dragging, turning the wheel, drawing a band, the
// view commands by key, menu item and toolbar button, and redraws that never hold the window.
#include "AppTestSupport.h"

#include "docwin/frmProgress.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// Where a world point lies on the surface now.
QPointF At(const frmDocument* d, std::pair<double, double> world) {
    const auto [x, y] = d->ViewState().ToPixels(world.first, world.second);
    return {x, y};
}

void ExpectNear(QPointF a, QPointF b, const char* what) {
    EXPECT_NEAR(a.x(), b.x(), 1e-3) << what;
    EXPECT_NEAR(a.y(), b.y(), 1e-3) << what;
}

} // namespace

TEST(ViewGestures, DragPansWheelZoomsAboutThePointerAndABandZoomsToItsRectangle) {
    AppFixture f;
    frmDocument* d = f.Open(f.Document("a.opd"));
    ASSERT_NE(d, nullptr);
    d->parentWidget()->resize(500, 330); // wider than tall
    const View& v = d->ViewState();

    // A drag: the point under the pointer at the press stays under it at every move, back
    // and forth, and is the one read out all along.
    const QPointF from(50, 80), to(230, 140);
    const auto grabbed = v.FromPixels(from.x(), from.y());
    Mouse(d, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (const QPointF at : {QPointF(120, 60), QPointF(300, 200), QPointF(10, 250), to}) {
        Mouse(d, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        ExpectNear(At(d, grabbed), at, "dragging");
        EXPECT_EQ(
            f.StatusText(StatusPanel::Readout).toStdString(),
            PointerReadout(static_cast<float>(grabbed.first), static_cast<float>(grabbed.second)));
    }
    Mouse(d, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    ExpectNear(At(d, grabbed), to, "dragged");
    EXPECT_NE(v.CentreX(), 0);
    EXPECT_NE(v.CentreY(), 0);

    // The wheel: two notches in, one out, at a point right of and above the middle.
    const QPointF here(380, 60);
    const auto under = v.FromPixels(here.x(), here.y());
    const float width = v.ScaleWidth(), height = v.ScaleHeight();
    Wheel(d, here, 1);
    Wheel(d, here, 1);
    Wheel(d, here, -1);
    ExpectNear(At(d, under), here, "wheel");
    EXPECT_FLOAT_EQ(v.ScaleWidth(), width * 0.9f * 0.9f * 1.1f);
    EXPECT_FLOAT_EQ(v.ScaleHeight(), height * 0.9f * 0.9f * 1.1f);
    EXPECT_EQ(f.StatusText(StatusPanel::Zoom), "缩放:(89.1%)");
    // Ctrl: along X only; Shift: along Y only.
    Wheel(d, here, 1, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(v.ScaleHeight(), height * 0.9f * 0.9f * 1.1f);
    EXPECT_EQ(f.StatusText(StatusPanel::Zoom), "缩放:(X:80.19%; Y:89.1%)");
    Wheel(d, here, -2, Qt::ShiftModifier);
    EXPECT_EQ(f.StatusText(StatusPanel::Zoom), "缩放:(X:80.19%; Y:107.81%)");
    ExpectNear(At(d, under), here, "wheel along one axis");

    // A band drawn with the right button, wider than tall: it fills the surface, each axis
    // on its own.
    const QRectF band(QPointF(40, 30), QPointF(240, 130));
    const auto topLeft = v.FromPixels(band.left(), band.top());
    const auto bottomRight = v.FromPixels(band.right(), band.bottom());
    const double zoomX = v.ZoomX() * (bottomRight.first - topLeft.first) / v.ScaleWidth();
    const double zoomY = v.ZoomY() * (topLeft.second - bottomRight.second) / -v.ScaleHeight();
    Drag(d, band.topLeft(), band.bottomRight(), Qt::RightButton);
    ExpectNear(At(d, topLeft), QPointF(0, 0), "band's corner");
    ExpectNear(At(d, bottomRight), QPointF(d->width(), d->height()), "band's other corner");
    EXPECT_NEAR(v.ZoomX(), zoomX, 1e-3);
    EXPECT_NEAR(v.ZoomY(), zoomY, 1e-3);
    EXPECT_NE(v.ZoomX(), v.ZoomY());

    // Shift and the left button draw a band too; Esc during it, or during a drag, undoes it;
    // a right click alone changes nothing.
    const float left = v.ScaleLeft(), top = v.ScaleTop(), w = v.ScaleWidth();
    Mouse(d, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    Mouse(d, QEvent::MouseMove, {200, 120}, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    Key(d, Qt::Key_Escape);
    Mouse(d, QEvent::MouseButtonRelease, {200, 120}, Qt::LeftButton, Qt::NoButton,
          Qt::ShiftModifier);
    Mouse(d, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
    Mouse(d, QEvent::MouseMove, {200, 120}, Qt::NoButton, Qt::LeftButton);
    Key(d, Qt::Key_Escape);
    Mouse(d, QEvent::MouseButtonRelease, {200, 120}, Qt::LeftButton, Qt::NoButton);
    // A right click alone opens the document's menu and zooms nothing.
    QStringList menu;
    QTimer::singleShot(0, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            for (QAction* action : popup->actions())
                menu << action->text();
            popup->close();
        }
    });
    Drag(d, {90, 90}, {91, 90}, Qt::RightButton);
    EXPECT_TRUE(menu.contains("复制图形(&G)")) << menu.join("|").toStdString();
    EXPECT_EQ(std::tuple(v.ScaleLeft(), v.ScaleTop(), v.ScaleWidth()), std::tuple(left, top, w));
    EXPECT_EQ(f.VisibleWindows(), 1); // Esc closed nothing while it undid a drag
    Drag(d, {20, 20}, {200, 120}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_LT(v.ScaleWidth(), w);
}

TEST(ViewGestures, ResetEqualScaleAndCentreByKeyMenuItemAndToolbarButton) {
    AppFixture f;
    frmDocument* d = f.Open(f.Document("a.opd"));
    ASSERT_NE(d, nullptr);
    d->parentWidget()->resize(500, 330);
    const View& v = d->ViewState();
    const View fresh(v.ClientWidthTwips(), v.ClientHeightTwips());
    QToolBar* bar = f.main->findChild<QToolBar*>("tbToolBarView");
    ASSERT_NE(bar, nullptr);
    const auto button = [&](const char* name) { return bar->widgetForAction(f.Action(name)); };
    const auto disturb = [&] {
        Wheel(d, {400, 50}, 2, Qt::ControlModifier);
        Drag(d, {100, 100}, {160, 40}, Qt::LeftButton);
    };
    const auto isFresh = [&] {
        return v.ScaleLeft() == fresh.ScaleLeft() && v.ScaleTop() == fresh.ScaleTop() &&
               v.ScaleWidth() == fresh.ScaleWidth() && v.ScaleHeight() == fresh.ScaleHeight() &&
               f.StatusText(StatusPanel::Zoom) == "缩放:(100.0%)";
    };
    for (const auto& [how, act] : std::vector<std::pair<const char*, std::function<void()>>>{
             {"Home", [&] { Key(d, Qt::Key_Home); }},
             {"menu", [&] { f.Action("mnuZoomReset")->trigger(); }},
             {"button", [&] { ClickThroughWindow(button("mnuZoomReset")); }}}) {
        disturb();
        ASSERT_FALSE(isFresh()) << how;
        act();
        EXPECT_TRUE(isFresh()) << how;
    }
    // Equal scale: y's unit made x's about the centre; the centre kept.
    for (const auto& [how, act] : std::vector<std::pair<const char*, std::function<void()>>>{
             {"menu", [&] { f.Action("mnuZoomEqualScale")->trigger(); }},
             {"button", [&] { ClickThroughWindow(button("mnuZoomEqualScale")); }}}) {
        disturb();
        const double cx = v.CentreX(), cy = v.CentreY();
        act();
        EXPECT_NEAR(-v.ScaleHeight() / double(d->height()), v.ScaleWidth() / double(d->width()),
                    1e-6)
            << how;
        EXPECT_DOUBLE_EQ(v.CentreX(), cx) << how;
        EXPECT_DOUBLE_EQ(v.CentreY(), cy) << how;
        EXPECT_FLOAT_EQ(v.ZoomX(), v.ZoomY()) << how;
        EXPECT_EQ(f.StatusText(StatusPanel::Zoom).count('%'), 1) << how;
    }
    for (const auto& [how, act] : std::vector<std::pair<const char*, std::function<void()>>>{
             {"menu", [&] { f.Action("mnuZoomCentre")->trigger(); }},
             {"button", [&] { ClickThroughWindow(button("mnuZoomCentre")); }}}) {
        disturb();
        const float w = v.ScaleWidth();
        act();
        EXPECT_EQ(std::pair(v.CentreX(), v.CentreY()), std::pair(0.0, 0.0)) << how;
        EXPECT_EQ(v.ScaleWidth(), w) << how;
    }
}

TEST(ViewGestures, AGestureShowsTheLastPictureMovedAndRedrawsOnceItRests) {
    AppFixture f;
    frmDocument* d = f.Open(f.Document("a.opd"));
    ASSERT_NE(d, nullptr);
    const qint64 before = d->Picture().cacheKey();
    Wheel(d, {60, 60}, 1);
    Wheel(d, {60, 60}, 1);
    EXPECT_EQ(d->Picture().cacheKey(), before); // not drawn anew while the wheel turns
    QTest::qWait(frmDocument::GesturePauseMilliseconds * 3);
    EXPECT_NE(d->Picture().cacheKey(), before);
}

TEST(ViewGestures, ASlowRedrawNeverHoldsTheWindowAndCanBeStopped) {
    AppFixture f;
    // A red circle, then a blue wave over x from -30000 to 30000 (45 million samples) and a
    // blue parametric circle traced thousands of times.
    const std::string slow = f.dir.Write(
        "slow.opd",
        "[General]\r\nOPMVer=1\r\nC=3\r\n[0DATA]\r\nType=6\r\nSD1=0\r\nSD2=0\r\nSD3=1\r\n"
        "LC=255\r\n[1DATA]\r\nType=13\r\nExp1=sin(x)\r\nA=False\r\nMi=-30000\r\nMa=30000\r\n"
        "LC=16711680\r\n[2DATA]\r\nType=15\r\nExp1=2*cos(t)\r\nExp2=2*sin(t)\r\nA=False\r\n"
        "Mi=-16000\r\nMa=16000\r\nLC=16711680\r\n");
    frmDocument* d = f.Open(f.Document("a.opd"));
    ASSERT_NE(d, nullptr);
    f.context.RedrawWaitMilliseconds = 10;
    ASSERT_TRUE(d->LoadDoc(slow));
    ASSERT_TRUE(d->IsRedrawing()); // not waited for
    EXPECT_TRUE(f.main->Progress().isVisible());
    // The window answers meanwhile: a key zooms at once and its redraw supersedes the other.
    const float width = d->ViewState().ScaleWidth();
    Key(d, Qt::Key_Minus);
    EXPECT_GT(d->ViewState().ScaleWidth(), width);
    ASSERT_TRUE(d->IsRedrawing());
    // Stopped a moment later, wherever the drawing is: it ends soon and the picture holds what
    // was finished, the red circle, and nothing of the curves not finished.
    for (const int after : {50, 400, 900}) {
        Key(d, Qt::Key_Minus);
        QTest::qWait(after);
        if (!d->IsRedrawing()) continue;
        QElapsedTimer waited;
        waited.start();
        ClickThroughWindow(f.main->Progress().findChild<QPushButton*>("cmdStop"));
        while (d->IsRedrawing() && waited.elapsed() < 30000)
            QTest::qWait(5);
        // Curves finished before the stop are still painted whole: a few tenths of a second
        // for the circle traced thousands of times, none when only the red one is.
        EXPECT_LT(waited.elapsed(), (after == 50 ? 100 : 600) * SlowBuildFactor()) << after;
        EXPECT_FALSE(f.main->Progress().isVisible());
        EXPECT_TRUE(f.messages.shown.empty());
        const QImage& picture = d->Picture();
        // Below the legend, whose lines are in the curves' colours.
        int red = 0, blue = 0;
        for (int y = picture.height() / 3; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                red += qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
                blue += qBlue(p) > 200 && qGreen(p) < 80 && qRed(p) < 80;
            }
        EXPECT_GT(red, 30) << after;
        // Stopped early, neither blue curve was finished (each takes seconds).
        if (after == 50) {
            EXPECT_EQ(blue, 0);
        }
    }
    EXPECT_EQ(f.VisibleWindows(), 1);
}

TEST(ViewGestures, RedrawsDrawnInParallelReportFailuresInCurveOrder) {
    AppFixture f;
    const std::string path = f.dir.Write(
        "bad.opd", "[General]\r\nOPMVer=1\r\nC=3\r\n[0DATA]\r\nType=13\r\nExp1=sqr(x)\r\n"
                   "[1DATA]\r\nType=13\r\nExp1=x*x\r\n[2DATA]\r\nType=13\r\nExp1=10^400*x\r\n");
    ASSERT_NE(f.Open(path), nullptr);
    EXPECT_THAT(f.messages.Texts(),
                ElementsAre(HasSubstr("Err.Number = 5\n"), HasSubstr("Err.Number = 6\n")));
}
