#include "AppTestSupport.h"

#include "base/AppSettings.h"
#include "dialogs/frmSplash.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

// A context with scripted seams and no main window yet.
struct StartFixture : AppSeams {
    // Without first-start tips unless asked for: then there is no settings file at all.
    explicit StartFixture(bool firstStart = false) {
        if (!firstStart) dir.Write("Orbiplot_Setting.ini", "[General]\r\nIsShowTip=False\r\n");
    }
    void Start(const std::string& commandLine) { main = modMain::StartUp(context, commandLine); }
};

} // namespace

TEST(StartUp, AFirstStartWritesTheSettingsThenOffersANewDocument) {
    StartFixture f(true);
    // The tip of the day comes first, then the new-document dialog.
    QStringList shown;
    WhenModal([&](QWidget* tip) {
        shown << tip->objectName();
        WhenModal([&](QWidget* newDocument) {
            shown << newDocument->windowTitle();
            qobject_cast<QDialog*>(newDocument)->reject();
        });
        tip->close();
    });
    f.Start("");
    EXPECT_EQ(shown, QStringList({"frmTip", "新建文档"}));
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_NE(f.dir.Read("Orbiplot_Setting.ini").find("Style=1\r\n"), std::string::npos);
    EXPECT_EQ(f.context.Core.Settings.Style, 1);
    ASSERT_TRUE(f.main);
    EXPECT_FALSE(f.main->Command().FileSave->isEnabled());
}

TEST(StartUp, ADocumentOnTheCommandLineOpensWithoutTheDialog) {
    StartFixture f;
    f.dir.Write("Orbiplot_Const.ini", "[Data]\r\nM=1\r\nN1=r\r\nV1=2\r\n");
    const std::string path =
        f.dir.Write("my graph.opd", "[General]\r\nOPMVer=1\r\nTitle=图\r\nC=1\r\n[0DATA]\r\nType="
                                    "6\r\nSD1=0\r\nSD2=0\r\nSD3=r\r\n");
    f.Start(path);
    ASSERT_EQ(f.main->Documents().size(), 1);
    EXPECT_EQ(f.main->ActiveDocument()->windowTitle(), "图");
    EXPECT_EQ(f.main->ActiveDocument()->Model().Curve(0).Data3,
              2.0f); // user constants are loaded first
    EXPECT_EQ(f.context.DocumentCounter, 1);
    EXPECT_TRUE(f.main->Command().FileSave->isEnabled());
}

TEST(StartUp, SwitchesAndTheUnknownArgumentMessage) {
    StartFixture f;
    WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    f.Start("/? /nosplash word /help");
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[1].Title, "Orbiplot 初始化错误");
    EXPECT_EQ(f.messages.shown[1].Text, "未知的命令行或打开的文件不存在");
}

TEST(StartUp, AMalformedUnitEndsStartUpWithTwoMessages) {
    StartFixture f;
    f.dir.Write("Orbiplot_Setting.ini", "[Grid]\r\nUnit=abc\r\n");
    try {
        f.Start("");
        FAIL() << "start-up went on";
    } catch (...) {
        modMain::ReportStartUpFailure(f.context);
    }
    EXPECT_FALSE(f.main);
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Number = 13\n"), _));
}

TEST(StartUp, TitlesStayExactAndTheToolkitSpeaksChinese) {
    modMain::SetUpApplication();
    // Without a display name of its own the toolkit appends nothing to a title.
    QApplication::setApplicationName("probe");
    EXPECT_EQ(QApplication::applicationDisplayName(), "probe");
    QApplication::setApplicationName("Orbiplot");

    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "取消");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), "打开");

    // The new document's note proposes the date in the Chinese form in any locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    StartFixture f;
    const QString now = AppContext(f.messages, f.dialogs, f.random, f.clock, f.dir.Path()).Now();
    QLocale::setDefault(QLocale::system());
    EXPECT_TRUE(QRegularExpression("^20\\d\\d/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d\\d:\\d\\d$").match(now).hasMatch())
        << now.toStdString();
}

TEST(StartUp, TheSplashUnlessNoSplash) {
    for (const char* line : {"", "/nosplash"}) {
        StartFixture f;
        WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        f.Start(line);
        ASSERT_TRUE(f.main);
        EXPECT_EQ(f.main->findChild<frmSplash*>() != nullptr, *line == '\0') << line;
    }
}
