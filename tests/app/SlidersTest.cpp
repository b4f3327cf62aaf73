// The constants' sliders as a person uses them: dragging, typing a value, playing, editing a
// range, keeping a value and closing the panel.
#include "AppTestSupport.h"

#include "dialogs/frmConstSliders.h"
#include "expr/modConst.h"

#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// a is used by a wave, a parametric curve, an ellipse's parameter and a square root that
// fails beyond 5; b by a line only; the circle uses neither.
constexpr const char* Uses =
    "[General]\r\nOPMVer=1\r\nTitle=滑块\r\nC=6\r\n"
    "[0DATA]\r\nType=13\r\nExp1=a*sin(x)\r\nLC=255\r\n"
    "[1DATA]\r\nType=15\r\nExp1=a*cos(t)\r\nExp2=sin(t)\r\nA=False\r\nMi=0\r\nMa=6.3\r\n"
    "LC=16711680\r\n"
    "[2DATA]\r\nType=8\r\nSD1=A\r\nSD2=2\r\nLC=32768\r\n"
    "[3DATA]\r\nType=6\r\nSD1=0\r\nSD2=0\r\nSD3=1\r\nLC=8421376\r\n"
    "[4DATA]\r\nType=13\r\nExp1=b*x\r\nLC=8388736\r\n"
    "[5DATA]\r\nType=13\r\nExp1=sqr(5-a)\r\nLC=32896\r\n";

struct SliderFixture : AppFixture {
    SliderFixture() {
        modConst::AddUserConstant(context.Core, "a", 3);
        modConst::AddUserConstant(context.Core, "b", 1);
        EXPECT_TRUE(modConst::SaveUserConstants(context.Core));
        constantsFile = dir.Read("Orbiplot_Const.ini");
        main->resize(1200, 700);
    }
    frmConstSliders* Panel() {
        main->Command().CalculateSliders->trigger();
        return main->SlidersPanel();
    }
    template <class W> W* In(frmConstSliders* panel, const QString& name) {
        W* w = panel->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    std::string constantsFile;
};

// The slider held and moved to a position, as a drag does.
void Drag(QSlider* slider, int position) {
    slider->setSliderDown(true);
    slider->setValue(position);
}

void Release(QSlider* slider) { slider->setSliderDown(false); }

} // namespace

TEST(Sliders, ADragRedrawsExactlyTheCurvesUsingTheConstantAsAFreshRedrawWould) {
    SliderFixture f;
    frmDocument* d = f.Open(f.dir.Write("u.opd", Uses));
    ASSERT_NE(d, nullptr);
    frmConstSliders* panel = f.Panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowTitle(), "常数滑块");
    EXPECT_TRUE(f.main->Command().CalculateSliders->isChecked());
    ASSERT_EQ(panel->Rows(), 2);
    QSlider* a = f.In<QSlider>(panel, "sldValue1");
    // The default range: the value ± 10 in steps of 0.1, so 200 steps with 3 at 100.
    EXPECT_EQ(a->maximum(), 200);
    EXPECT_EQ(a->value(), 100);
    EXPECT_EQ(f.In<QLineEdit>(panel, "txtMin1")->text(), "-7");
    EXPECT_EQ(f.In<QLineEdit>(panel, "txtStep1")->text(), "0.1");

    // a to 4.5: the wave, the parametric curve, the ellipse and the root are worked out,
    // the circle and the line painted as they were; the document is not modified.
    Drag(a, 115);
    EXPECT_EQ(f.context.Core.Constants.Values[0], 4.5);
    EXPECT_EQ(f.context.Core.Parser.ParseExpression("a"), 4.5);
    EXPECT_EQ(d->LastCurvesWorkedOut(), 4);
    EXPECT_FALSE(d->Model().IsModified());
    EXPECT_EQ(d->Model().Curve(2).Data1, 4.5f); // the ellipse's a, from its text
    const QImage moved = d->Picture();
    // The same picture as everything drawn anew with a = 4.5.
    d->RefreshAll();
    EXPECT_EQ(d->LastCurvesWorkedOut(), 6);
    EXPECT_EQ(d->Picture(), moved);
    Release(a);
    EXPECT_TRUE(f.messages.shown.empty()) << f.messages.Texts().front();

    // b moves only the line; 123 steps of 0.1 from -9 are 3.3 exactly as typed.
    Drag(f.In<QSlider>(panel, "sldValue2"), 123);
    EXPECT_EQ(f.context.Core.Constants.Values[1], 3.3);
    EXPECT_EQ(d->LastCurvesWorkedOut(), 1);
    Release(f.In<QSlider>(panel, "sldValue2"));

    // The constants manager and the calculator see the values in memory; the file does not
    // change until a value is kept.
    EXPECT_EQ(modConst::GetUserConstantList(f.context.Core),
              (std::vector<std::string>{"a - 4.5", "b - 3.3"}));
    EXPECT_EQ(f.dir.Read("Orbiplot_Const.ini"), f.constantsFile);
}

TEST(Sliders, AFailingValueIsNotedWhileMovingAndBoxedOnceReleased) {
    SliderFixture f;
    frmDocument* d = f.Open(f.dir.Write("u.opd", Uses));
    ASSERT_NE(d, nullptr);
    frmConstSliders* panel = f.Panel();
    QSlider* a = f.In<QSlider>(panel, "sldValue1");
    QLabel* note = f.In<QLabel>(panel, "lblNote1");

    // a = 2 makes the ellipse's axes equal (refused as the curve dialog refuses it): left
    // undrawn, said beside the constant, no box while the slider is held.
    Drag(a, 90);
    EXPECT_EQ(f.context.Core.Constants.Values[0], 2);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(note->text().contains("椭圆")) << note->text().toStdString();
    // a = 6: the ellipse is drawn again, the root fails everywhere; still no box.
    Drag(a, 130);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_FALSE(note->text().contains("椭圆")) << note->text().toStdString();
    EXPECT_FALSE(note->isHidden());
    // Released there: the boxes of the Parts, as after any redraw.
    Release(a);
    ASSERT_FALSE(f.messages.shown.empty());
    EXPECT_EQ(f.messages.shown[0].Icon, MsgIcon::Critical);
    const size_t boxes = f.messages.shown.size();
    // b moved meanwhile: what a's curves said is not said again, nor noted beside b.
    QSlider* b = f.In<QSlider>(panel, "sldValue2");
    Drag(b, 115);
    Release(b);
    EXPECT_EQ(f.messages.shown.size(), boxes);
    EXPECT_TRUE(f.In<QLabel>(panel, "lblNote2")->isHidden());
    // Back to 3: nothing fails, the note goes.
    Drag(a, 100);
    Release(a);
    EXPECT_EQ(f.messages.shown.size(), boxes);
    EXPECT_TRUE(note->isHidden());
    EXPECT_EQ(f.dir.Read("Orbiplot_Const.ini"), f.constantsFile);
    (void)d;
}

TEST(Sliders, RangesAreKeptInTheSettingsAndValuesOnlyWhenTheUserKeepsThem) {
    SliderFixture f;
    ASSERT_NE(f.Open(f.dir.Write("u.opd", Uses)), nullptr);
    const std::string settingsBefore = f.dir.Read("Orbiplot_Setting.ini");
    frmConstSliders* panel = f.Panel();

    // A range of its own for a: 0 to 10 in steps of 0.5; a range that runs backwards is
    // refused and the boxes show the one in use.
    QLineEdit* min = f.In<QLineEdit>(panel, "txtMin1");
    QLineEdit* max = f.In<QLineEdit>(panel, "txtMax1");
    QLineEdit* step = f.In<QLineEdit>(panel, "txtStep1");
    min->setText("0");
    emit min->editingFinished();
    max->setText("10");
    emit max->editingFinished();
    step->setText("0.5");
    emit step->editingFinished();
    QSlider* a = f.In<QSlider>(panel, "sldValue1");
    EXPECT_EQ(a->maximum(), 20);
    EXPECT_EQ(a->value(), 6);
    max->setText("-1");
    emit max->editingFinished();
    EXPECT_EQ(max->text(), "10");
    const std::string settings = f.dir.Read("Orbiplot_Setting.ini");
    EXPECT_NE(settings.find("[Sliders]\r\nA=0;10;0.5\r\n"), std::string::npos) << settings;
    // The rest of the settings file is as it was.
    EXPECT_EQ(settings.substr(0, settingsBefore.size()), settingsBefore);

    // Typed values: a to 4, b to 5; 保存 for a writes a's value and b's from the file.
    QDoubleSpinBox* valueA = f.In<QDoubleSpinBox>(panel, "txtValue1");
    valueA->setValue(4);
    f.In<QDoubleSpinBox>(panel, "txtValue2")->setValue(5);
    EXPECT_EQ(f.context.Core.Parser.ParseExpression("a+b"), 9);
    EXPECT_EQ(f.dir.Read("Orbiplot_Const.ini"), f.constantsFile);
    ClickThroughWindow(f.In<QPushButton>(panel, "cmdSave1"));
    {
        CoreContext reread(f.messages, f.dialogs, f.random, f.dir.Path());
        modConst::LoadUserConstants(reread);
        EXPECT_EQ(reread.Constants.Values, (std::vector<double>{4, 1}));
    }
    EXPECT_EQ(f.context.Core.Constants.Values, (std::vector<double>{4, 5})); // memory as moved

    // Closing asks about b; Cancel keeps the panel, No puts the file's 1 back.
    f.messages.answers = {MsgResult::Cancel};
    panel->close();
    EXPECT_TRUE(panel->isVisible());
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].Title, "常数滑块");
    f.messages.answers = {MsgResult::No};
    f.main->Command().CalculateSliders->trigger();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(f.main->Command().CalculateSliders->isChecked());
    EXPECT_EQ(f.context.Core.Constants.Values, (std::vector<double>{4, 1}));
    EXPECT_EQ(f.context.Core.Parser.ParseExpression("b"), 1);

    // Opened again: the range kept; closing with nothing changed asks nothing.
    f.main->Command().CalculateSliders->trigger();
    EXPECT_EQ(f.In<QSlider>(panel, "sldValue1")->maximum(), 20);
    const size_t asked = f.messages.shown.size();
    f.main->Command().CalculateSliders->trigger();
    EXPECT_EQ(f.messages.shown.size(), asked);
}

TEST(Sliders, PlayingSweepsBackAndForthWithoutHoldingTheWindow) {
    SliderFixture f;
    frmDocument* d = f.Open(f.dir.Write("u.opd", Uses));
    ASSERT_NE(d, nullptr);
    frmConstSliders* panel = f.Panel();
    // A narrow range, so that the sweep meets both ends in a few ticks.
    QLineEdit* min = f.In<QLineEdit>(panel, "txtMin1");
    QLineEdit* max = f.In<QLineEdit>(panel, "txtMax1");
    min->setText("2.8");
    emit min->editingFinished();
    max->setText("3.2");
    emit max->editingFinished();
    QToolButton* play = f.In<QToolButton>(panel, "cmdPlay1");
    ClickThroughWindow(play);
    ASSERT_TRUE(panel->IsPlaying(0));
    std::vector<double> seen;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000 && seen.size() < 12) {
        QTest::qWait(frmConstSliders::TickMilliseconds);
        const double v = f.context.Core.Constants.Values[0];
        if (seen.empty() || seen.back() != v) seen.push_back(v);
    }
    ClickThroughWindow(play);
    EXPECT_FALSE(panel->IsPlaying(0));
    ASSERT_GE(seen.size(), 8u);
    // Up to 3.2, down to 2.8, within the range all the while.
    EXPECT_NE(std::find(seen.begin(), seen.end(), 3.2), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), 2.8), seen.end());
    for (const double v : seen) {
        EXPECT_GE(v, 2.8);
        EXPECT_LE(v, 3.2);
    }
    // The window answered all along: the curves drawn at the last value.
    EXPECT_FALSE(d->IsRedrawing());
    EXPECT_EQ(d->Model().Curve(2).Data1, static_cast<float>(f.context.Core.Constants.Values[0]));
}

TEST(Sliders, TheRangesEndsAreTheDecimalsAndTheLastPositionIsTheMaximum) {
    AppFixture f;
    f.main->resize(1200, 700);
    modConst::AddUserConstant(f.context.Core, "G", 9.8);
    ASSERT_NE(f.Open(f.Document("g.opd")), nullptr);
    f.main->Command().CalculateSliders->trigger();
    frmConstSliders* panel = f.main->SlidersPanel();
    ASSERT_NE(panel, nullptr);
    // 9.8 - 10 is shown as the decimals say it, and reads back as the range in use.
    auto* min = panel->findChild<QLineEdit*>("txtMin1");
    auto* max = panel->findChild<QLineEdit*>("txtMax1");
    auto* step = panel->findChild<QLineEdit*>("txtStep1");
    ASSERT_TRUE(min && max && step);
    EXPECT_EQ(min->text(), "-0.2");
    EXPECT_EQ(max->text(), "19.8");
    EXPECT_EQ(step->text(), "0.1");
    QSlider* g = panel->findChild<QSlider*>("sldValue1");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->value(), 100);
    // 0 to 1 in steps of 0.3: every multiple, then exactly 1 at the end.
    min->setText("0");
    emit min->editingFinished();
    max->setText("1");
    emit max->editingFinished();
    step->setText("0.3");
    emit step->editingFinished();
    // G = 9.8 lies beyond the new range: the slider stands at its end.
    ASSERT_EQ(g->maximum(), 4);
    EXPECT_EQ(g->value(), 4);
    const double expected[] = {0, 0.3, 0.6, 0.9, 1};
    for (int position = 0; position <= 4; ++position) {
        Drag(g, position);
        EXPECT_EQ(f.context.Core.Constants.Values[0], expected[position]) << position;
        Release(g);
    }
    EXPECT_EQ(f.context.Core.Parser.ParseExpression("G"), 1);
}

TEST(Sliders, AConstantInALinesLaterParameterAndANameEndingInDigits) {
    AppFixture f;
    f.main->resize(1200, 700);
    // The line through (0, 0) and (1, K1), and y = K*x: K1 is not K.
    modConst::AddUserConstant(f.context.Core, "K", 1);
    modConst::AddUserConstant(f.context.Core, "K1", 2);
    frmDocument* d = f.Open(
        f.dir.Write("k.opd", "[General]\r\nOPMVer=1\r\nTitle=k\r\nC=2\r\n"
                             "[0DATA]\r\nType=4\r\nSD1=0\r\nSD2=0\r\nSD3=1\r\nSD4=K1\r\nLC=255\r\n"
                             "[1DATA]\r\nType=13\r\nExp1=K*x\r\nLC=16711680\r\n"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Model().Curve(0).Data4, 2.0f);
    f.main->Command().CalculateSliders->trigger();
    frmConstSliders* panel = f.main->SlidersPanel();
    ASSERT_NE(panel, nullptr);
    QSlider* k = panel->findChild<QSlider*>("sldValue1");
    QSlider* k1 = panel->findChild<QSlider*>("sldValue2");
    ASSERT_TRUE(k && k1);
    // K1 to 3: the line alone, its y2 from its text.
    Drag(k1, 110);
    Release(k1);
    EXPECT_EQ(f.context.Core.Constants.Values[1], 3);
    EXPECT_EQ(d->LastCurvesWorkedOut(), 1);
    EXPECT_EQ(d->Model().Curve(0).Data4, 3.0f);
    const QImage moved = d->Picture();
    d->RefreshAll();
    EXPECT_EQ(d->Picture(), moved);
    // K to 0.5: the other curve alone; the line keeps its y2.
    Drag(k, 95);
    Release(k);
    EXPECT_EQ(f.context.Core.Constants.Values[0], 0.5);
    EXPECT_EQ(d->LastCurvesWorkedOut(), 1);
    EXPECT_EQ(d->Model().Curve(0).Data4, 3.0f);
    EXPECT_TRUE(f.messages.shown.empty());
}
