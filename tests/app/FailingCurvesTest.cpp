// Curves that fail at some of their samples, as a person meets them: one box when the curve
// comes, none again while moving around, and drawn where they are defined once asked to.
#include "AppTestSupport.h"

#include "analysis/KeyPoints.h"
#include "base/AppSettings.h"

#include <QCheckBox>
#include <QStatusBar>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// sqr x fails left of 0; foo is no function at all.
constexpr const char* Failing = "[General]\r\nOPMVer=1\r\nTitle=定义域\r\nC=3\r\n"
                                "[0DATA]\r\nType=13\r\nExp1=sqr(x)\r\nLC=255\r\nLW=2\r\n"
                                "[1DATA]\r\nType=6\r\nSD1=1\r\nSD2=-1\r\nSD3=2\r\nLC=32768\r\n"
                                "[2DATA]\r\nType=13\r\nExp1=foo(x)\r\nLC=16711680\r\n";

std::string Notice(const AppFixture& f) {
    return f.main->statusBar()->currentMessage().toStdString();
}

void Settle() { QTest::qWait(frmDocument::GesturePauseMilliseconds * 3); }

// Whether the picture has a pixel of the colour within a few pixels of a world point.
bool Drawn(const frmDocument* d, double x, double y, QColor colour) {
    const auto [px, py] = d->ViewState().ToPixels(x, y);
    const QImage& picture = d->Picture();
    const double ratio = picture.devicePixelRatio();
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const QPoint p(static_cast<int>(px * ratio) + dx, static_cast<int>(py * ratio) + dy);
            if (picture.rect().contains(p) && picture.pixelColor(p) == colour) return true;
        }
    return false;
}

} // namespace

TEST(FailingCurves, AFailureBoxedOnceIsOnlyNotedWhileMovingAround) {
    AppFixture f;
    frmDocument* d = f.Open(f.dir.Write("f.opd", Failing));
    ASSERT_NE(d, nullptr);
    d->parentWidget()->resize(560, 420);
    QApplication::processEvents();
    // Opening and the resize are the Part's redraws: each failing curve boxed each time.
    ASSERT_GE(f.messages.shown.size(), 2u);
    EXPECT_THAT(f.messages.shown[0].Text, HasSubstr("Err.Number = 5"));
    EXPECT_THAT(f.messages.shown[1].Text, HasSubstr("函数 foo 不存在"));
    const size_t opened = f.messages.shown.size();

    // Twenty steps of a drag, ten wheel notches, the view commands beyond the zoom items:
    // no box, a note over the status bar naming each curve and why, the panels as they were.
    Drag(d, QPointF(300, 200), QPointF(180, 260), Qt::LeftButton, {}, 20);
    Settle();
    EXPECT_EQ(f.messages.shown.size(), opened);
    EXPECT_EQ(Notice(f), "y=sqr(x): 部分取值处无定义, 可在选项中选择只画有定义的部分; "
                         "普通方程: y=foo(x) - 函数 foo 不存在");
    EXPECT_TRUE(f.StatusText(StatusPanel::Readout).startsWith("计算用时: "));
    for (int i = 0; i < 10; ++i)
        Wheel(d, QPointF(200 + 10 * i, 150), i % 3 == 2 ? -1 : 1);
    Settle();
    for (QAction* command : {f.main->Command().ViewReset, f.main->Command().ViewEqualScale,
                             f.main->Command().ViewCentre})
        command->trigger();
    Settle();
    EXPECT_EQ(f.messages.shown.size(), opened);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The Part's own commands box as always: the zoom item, its key, refresh.
    f.main->Command().ZoomIn->trigger();
    EXPECT_EQ(f.messages.shown.size(), opened + 2);
    Key(d, Qt::Key_Minus);
    EXPECT_EQ(f.messages.shown.size(), opened + 4);
    f.main->Command().ViewRefresh->trigger();
    EXPECT_EQ(f.messages.shown.size(), opened + 6);

    // A curve changed is a new failure: boxed once by its change, then noted again. Taken
    // back, it changed once more: boxed again.
    CurveRecord log = d->Model().Curve(0);
    log.Expression1 = "log(x)";
    ASSERT_TRUE(d->ModifyFun(log, 0, false));
    EXPECT_EQ(f.messages.shown.size(), opened + 7); // the curve edited is drawn over
    Drag(d, QPointF(100, 100), QPointF(140, 120), Qt::LeftButton);
    EXPECT_EQ(f.messages.shown.size(), opened + 7);
    EXPECT_THAT(Notice(f), HasSubstr("y=log(x): 部分取值处无定义"));
    d->UndoStack().undo();
    EXPECT_EQ(d->Model().Curve(0).Expression1, "sqr(x)");
    EXPECT_EQ(f.messages.shown.size(), opened + 8); // only sqr x: foo was not changed
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(FailingCurves, DrawnWhereDefinedOnceTheOptionIsChosen) {
    AppFixture f;
    frmDocument* d =
        f.Open(f.dir.Write("d.opd", "[General]\r\nOPMVer=1\r\nTitle=d\r\nC=4\r\n"
                                    "[0DATA]\r\nType=13\r\nExp1=sqr(x)\r\nLC=255\r\nLW=2\r\n"
                                    "[1DATA]\r\nType=13\r\nExp1=log(x)\r\nLC=16711680\r\nLW=2\r\n"
                                    "[2DATA]\r\nType=13\r\nExp1=arcsin(x/5)\r\nLC=32768\r\nLW=2\r\n"
                                    "[3DATA]\r\nType=13\r\nExp1=tan(x)\r\nLC=8388736\r\nLW=2\r\n"));
    ASSERT_NE(d, nullptr);
    const size_t boxes = f.messages.shown.size();
    EXPECT_EQ(boxes, 3u); // tan x has a value at every sample
    EXPECT_EQ(Notice(f), "y=sqr(x)、y=log(x)、y=arcsin(x/5): 部分取值处无定义, "
                         "可在选项中选择只画有定义的部分");
    EXPECT_FALSE(Drawn(d, 4, 2, Qt::red));

    WhenModal([](QWidget* w) {
        auto* box = Named<QCheckBox>(w, "chkDefinedOnly");
        EXPECT_EQ(box->text(), "只画函数有定义的部分(&D)");
        EXPECT_FALSE(box->isChecked());
        box->click();
        Named<QPushButton>(w, "cmdOk")->click();
    });
    f.main->Command().ToolsOptions->trigger();
    EXPECT_TRUE(f.context.Core.Settings.DefinedOnly);
    EXPECT_THAT(f.dir.Read("Orbiplot_Setting.ini"), HasSubstr("[Drawing]\r\nDefinedOnly=True\r\n"));
    // Drawn on their domains, with no box and no note.
    EXPECT_EQ(f.messages.shown.size(), boxes);
    EXPECT_EQ(Notice(f), "");
    EXPECT_TRUE(Drawn(d, 4, 2, Qt::red));
    EXPECT_TRUE(Drawn(d, 1, 0, Qt::blue));
    EXPECT_TRUE(Drawn(d, std::exp(1.0), 1, Qt::blue));
    EXPECT_TRUE(Drawn(d, -4, std::asin(-0.8), QColor(0, 128, 0)));
    EXPECT_FALSE(Drawn(d, -4, std::asin(-0.8) + 0.3, QColor(0, 128, 0)));

    // The key points of the drawn parts: the zeros of sqr x, log x and arcsin(x/5).
    f.main->Command().CalculateKeyPoints->trigger();
    ASSERT_TRUE(QTest::qWaitFor([d] { return !d->IsFindingKeyPoints(); }, 60000));
    const auto has = [&](int32_t curve, double x) {
        return std::any_of(d->KeyPoints().begin(), d->KeyPoints().end(), [&](const KeyPoint& p) {
            return p.Kind == KeyPointKind::Zero && p.Curve == curve && p.X == x && p.Y == 0;
        });
    };
    EXPECT_TRUE(has(0, 0));
    EXPECT_TRUE(has(1, 1));
    EXPECT_TRUE(has(2, 0));

    // The choice is shown again, and taken back the Part's way returns with its boxes.
    WhenModal([](QWidget* w) {
        auto* box = Named<QCheckBox>(w, "chkDefinedOnly");
        EXPECT_TRUE(box->isChecked());
        box->click();
        Named<QPushButton>(w, "cmdOk")->click();
    });
    f.main->Command().ToolsOptions->trigger();
    EXPECT_FALSE(LoadSettings(f.context.Core.SettingsFile()).DefinedOnly);
    EXPECT_EQ(f.messages.shown.size(), boxes + 3);
    EXPECT_FALSE(Drawn(d, 4, 2, Qt::red));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
