#include "AppTestSupport.h"

#include "dialogs/frmSplash.h"
#include "services/clsMultimedia.h"

#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// Answers "Status ... mode" with what the test says; records every command.
class ScriptedMci : public MciCommandSink {
public:
    std::vector<std::string> sent;
    std::string mode = "playing";
    std::string SendString(const std::string& command) override {
        sent.push_back(command);
        return command.rfind("Status", 0) == 0 ? mode : std::string();
    }
    int Count(const char* verb) const {
        int n = 0;
        for (const std::string& c : sent)
            n += c.rfind(verb, 0) == 0;
        return n;
    }
};

struct SplashFixture : AppFixture {
    ScriptedMci mci;
    std::vector<std::string> opened;
    SplashFixture() {
        context.Mci = &mci;
        context.OpenUrl = [this](const std::string& address) { opened.push_back(address); };
    }
    frmSplash* Splash() { return main->findChild<frmSplash*>(); }
    // One tick of the window's one-second timer, without waiting for it.
    static void Tick(frmSplash* splash) {
        QMetaObject::invokeMethod(splash->findChild<QTimer*>("Timer1"), "timeout");
    }
};

} // namespace

TEST(SplashWindow, ClosesAfterTwoTicksOrAtOnceOnAClick) {
    SplashFixture f;
    f.main->ShowSplash();
    QPointer<frmSplash> splash = f.Splash();
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());
    // Losing the focus does not close a splash.
    QEvent deactivate(QEvent::ActivationChange);
    QApplication::sendEvent(splash, &deactivate);
    f.Tick(splash);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(splash);
    f.Tick(splash);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(splash);
    EXPECT_TRUE(f.messages.shown.empty()); // no question when it closes by itself

    f.main->ShowSplash();
    splash = f.Splash();
    f.messages.answers = {MsgResult::No};
    QTest::mouseClick(splash, Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(splash);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].Title, "特别感谢");
    EXPECT_TRUE(f.opened.empty());
    EXPECT_EQ(f.mci.sent.size(), 0u); // a splash plays nothing
}

TEST(SplashWindow, TheAboutWindowLoopsItsMusicAndClosesOnAKey) {
    SplashFixture f;
    f.main->Command().HelpAbout->trigger();
    QPointer<frmSplash> about = f.Splash();
    ASSERT_TRUE(about);
    ASSERT_GE(f.mci.sent.size(), 2u);
    EXPECT_EQ(f.mci.sent[0].rfind("Open ", 0), 0u);
    EXPECT_NE(f.mci.sent[0].find("opabout.opm ALIAS opm"), std::string::npos);
    EXPECT_EQ(f.mci.sent[1].rfind("Play opm", 0), 0u);
    // The music's numbers are its own: RND in an expression draws the first number of the
    // program's source as seeded, neither reseeded nor advanced by the music.
    EXPECT_EQ(f.context.Core.Parser.ParseExpression("rnd(1)"),
              static_cast<double>(SeededRandom().Next()));

    f.Tick(about); // still playing: nothing restarts
    EXPECT_EQ(f.mci.Count("Open"), 1);
    f.mci.mode = "stopped";
    f.Tick(about); // the piece ended: again from the start
    EXPECT_EQ(f.mci.Count("Open"), 2);
    EXPECT_EQ(f.mci.Count("Play"), 2);
    EXPECT_EQ(f.mci.Count("Close"), 1);

    f.messages.answers = {MsgResult::Yes};
    QTest::keyClick(about, Qt::Key_A);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(about);
    EXPECT_EQ(f.mci.Count("Close"), 2); // the music stopped with the window
    EXPECT_EQ(f.opened, std::vector<std::string>{"https://forum.orbiplot.example.org/"});
}

TEST(SplashWindow, ClosingTheMainWindowStopsTheMusic) {
    SplashFixture f;
    f.main->ShowAbout();
    ASSERT_NE(f.Splash(), nullptr);
    f.main->close();
    EXPECT_EQ(f.mci.Count("Close"), 1);
    EXPECT_TRUE(f.messages.shown.empty());
}
