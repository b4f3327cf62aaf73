#include "AppTestSupport.h"

#include "base/AppSettings.h"
#include "base/clsINI.h"
#include "dialogs/frmHelp.h"
#include "dialogs/frmTip.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <set>

using namespace orbiplot;
using namespace orbiplot::test;

TEST(TipWindow, TipsTheSwitchAndItsHint) {
    AppFixture f;
    f.context.Core.Settings.IsShowTip = false;
    QString tip, missing;
    bool boxTicked = true;
    WhenModal([&](QWidget* w) {
        boxTicked = w->findChild<QCheckBox*>("chkLoadTipsAtStartup")->isChecked();
        tip = w->findChild<QLabel*>("lblTipText")->text();
        auto* box = w->findChild<QCheckBox*>("chkLoadTipsAtStartup");
        box->click(); // ticked: written as 1, nothing said
        EXPECT_EQ(f.messages.shown.size(), 0u);
        EXPECT_EQ(IniDocument::Load(f.context.Core.SettingsFile()).Get("General", "IsShowTip"),
                  "1");
        box->click(); // cleared: written as 0, with the hint
        w->findChild<QPushButton*>("cmdNextTip")->click();
        w->findChild<QPushButton*>("cmdOK")->click();
    });
    f.main->Command().HelpTip->trigger();
    EXPECT_FALSE(boxTicked); // tips disabled: the box shows it
    EXPECT_FALSE(tip.isEmpty());
    EXPECT_THAT(f.messages.Texts(),
                ElementsAre("要再次启用此功能，在Orbiplot选项(工具->选项->一般)中修改。"));
    EXPECT_EQ(IniDocument::Load(f.context.Core.SettingsFile()).Get("General", "IsShowTip"), "0");
    EXPECT_FALSE(f.context.Core.Settings.IsShowTip);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(TipWindow, TheFirstAndTheLastTipAreReachedEitherWay) {
    ScriptedFolder folder;
    ScriptedRandom random;
    CoreContext context(folder.messages, folder.dialogs, random, folder.dir.Path());
    const std::string tips = folder.dir.Write("tips.txt", "第一条\r\n第二条\r\n第三条\r\n");
    // The draws: the lowest (the first tip), the highest below 1 (the last), the lowest again.
    random.values = {0.0f, std::nextafter(1.0f, 0.0f), 0.0f, 0.5f};
    frmTip tip(context, tips);
    auto* text = tip.findChild<QLabel*>("lblTipText");
    auto* next = tip.findChild<QPushButton*>("cmdNextTip");
    ASSERT_TRUE(text && next);
    EXPECT_EQ(text->text(), "第一条");
    next->click();
    EXPECT_EQ(text->text(), "第三条");
    next->click();
    EXPECT_EQ(text->text(), "第一条");
    next->click();
    EXPECT_EQ(text->text(), "第二条");
    // The window reseeds from the clock once, when it opens.
    EXPECT_EQ(random.seeds.size(), 1u);
}

TEST(SystemTools, TheFirstFoundStartsAndNoneIsReported) {
    AppFixture f;
    std::vector<std::string> started;
    std::set<std::string> installed{"kate", "galculator"};
    f.context.FindProgram = [&](const std::string& name) {
        return installed.count(name) ? "/usr/bin/" + name : std::string();
    };
    f.context.StartProgram = [&](const std::string& program, const std::vector<std::string>& args) {
        started.push_back(program + (args.empty() ? "" : " " + args[0]));
        return true;
    };
    f.main->Command().ToolsNote->trigger();
    f.main->Command().ToolsCalc->trigger();
    EXPECT_EQ(started, (std::vector<std::string>{"/usr/bin/kate", "/usr/bin/galculator"}));

    f.main->Command().ToolsExplorer->trigger(); // no file manager, no opener
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("应用程序未找到, 请确认是否安装.")));
    installed.insert("xdg-open");
    f.main->Command().ToolsExplorer->trigger(); // the desktop opens the home folder
    EXPECT_EQ(started.back().rfind("/usr/bin/xdg-open ", 0), 0u);
}

TEST(HelpWindow, OpensAtItsStartPageAndFollowsLinks) {
    AppFixture f;
    f.main->Command().HelpContents->trigger();
    auto* help = f.main->findChild<frmHelp*>();
    ASSERT_NE(help, nullptr);
    auto* page = help->findChild<QTextBrowser*>("txtPage");
    EXPECT_TRUE(page->source().toString().endsWith("help/index.html"));
    EXPECT_EQ(page->documentTitle(), "Orbiplot 帮助");
    auto* contents = help->findChild<QListWidget*>("lstContents");
    ASSERT_GE(contents->count(), 11);
    const auto current = [&] {
        return contents->currentItem() ? contents->currentItem()->text() : "";
    };
    EXPECT_EQ(current(), "目录"); // the list shows where the reader is, from the start
    emit contents->itemClicked(contents->item(3));
    EXPECT_EQ(page->documentTitle(), contents->item(3)->text());
    EXPECT_EQ(current(), contents->item(3)->text());
    page->setSource(page->source().resolved(QUrl("expressions.html#constants")));
    EXPECT_EQ(page->documentTitle(), "表达式语言");
    EXPECT_EQ(current(), "表达式语言"); // a link, to a place inside a page
    EXPECT_NE(page->toPlainText().indexOf("常数名使用了保留字符"), -1);
    page->backward();
    EXPECT_EQ(page->documentTitle(), contents->item(3)->text());
    EXPECT_EQ(current(), contents->item(3)->text());
    page->forward();
    EXPECT_EQ(current(), "表达式语言");
    // Asked again: the same window.
    f.main->Command().HelpContents->trigger();
    EXPECT_EQ(f.main->findChildren<frmHelp*>().size(), 1);
}

// Every link and picture of every page leads somewhere, and every page can be reached
// from the start page.
TEST(HelpWindow, EveryLinkOfEveryPageResolves) {
    const QString start = QString::fromStdString(FindDataFile("help/index.html"));
    ASSERT_FALSE(start.isEmpty());
    const QDir folder = QFileInfo(start).dir();
    static const QRegularExpression target("(?:href|src)=\"([^\"#]+)");
    std::set<QString> reached{"index.html"};
    std::vector<QString> queue{"index.html"};
    int links = 0;
    while (!queue.empty()) {
        const QString name = queue.back();
        queue.pop_back();
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        for (auto m = target.globalMatch(html); m.hasNext();) {
            const QString link = m.next().captured(1);
            if (link.contains(':')) continue; // outside addresses
            ++links;
            EXPECT_TRUE(QFileInfo::exists(folder.filePath(link)))
                << name.toStdString() << " -> " << link.toStdString();
            if (link.endsWith(".html") && reached.insert(link).second) queue.push_back(link);
        }
    }
    EXPECT_GT(links, 40);
    for (const QString& page : folder.entryList({"*.html"}))
        EXPECT_TRUE(reached.count(page)) << page.toStdString() << " cannot be reached";
}
