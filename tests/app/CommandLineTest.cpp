#include "AppTestSupport.h"
#include "TempDir.h"

#include "app/modMain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace orbiplot;
using namespace orbiplot::modMain;
using orbiplot::test::TempDir;

TEST(CommandLine, SwitchesAreSplitAtSingleBlanksAndUnknownsStopTheHandling) {
    const auto none = [](const std::string&) { return false; };
    const std::tuple<std::string, bool, std::vector<Switch>> cases[] = {
        {"", true, {}},
        {"/nosplash /news", false, {Switch::News}},
        {"/NoSplash", true, {Switch::Unknown}},
        {"/nosplash word /help", false, {Switch::Unknown}},
        {"/?", true, {Switch::Help}},
        {"/help /help", true, {Switch::Help, Switch::Help}},
        {"/winabout", true, {Switch::WinAbout}},
        {"/nosplash  /help", false, {Switch::Unknown}}, // the empty argument between two blanks
        {"/HELP", true, {Switch::Unknown}},
    };
    for (const auto& [text, splash, actions] : cases) {
        const CommandLine line = ParseCommandLine(text, none);
        EXPECT_FALSE(line.OpenFromCommandLine) << text;
        EXPECT_EQ(line.ShowSplash, splash) << text;
        EXPECT_EQ(line.Actions, actions) << text;
    }
}

TEST(CommandLine, TheWholeTextMayNameADocument) {
    TempDir dir;
    const std::string spaced = dir.Write("my graph.opd", "[General]\r\nOPMVer=1\r\n");
    const std::string upper = dir.Write("GRAPH.OPD", "");
    std::filesystem::create_directory(dir.File("folder.opd"));

    const CommandLine line = ParseCommandLine(spaced, IsDocumentFile);
    EXPECT_TRUE(line.OpenFromCommandLine);
    EXPECT_EQ(line.DocumentPath, spaced);
    EXPECT_TRUE(line.Actions.empty());

    EXPECT_TRUE(IsDocumentFile(spaced));
    EXPECT_TRUE(IsDocumentFile(dir.File("folder.opd")));
    EXPECT_FALSE(IsDocumentFile(upper));
    EXPECT_FALSE(IsDocumentFile(dir.File("missing.opd")));
    EXPECT_FALSE(IsDocumentFile(""));
    EXPECT_EQ(ParseCommandLine(upper, IsDocumentFile).Actions,
              std::vector<Switch>{Switch::Unknown});
    EXPECT_EQ(ParseCommandLine("\"" + spaced + "\"", IsDocumentFile).Actions.size(), 1u);
}

TEST(CommandLine, TheNewsAreKeptWholeOrTheFailureIsSaid) {
    orbiplot::test::AppSeams seams;
    const std::string news = seams.dir.File("Orbiplot_News.txt");
    StoreNews(seams.context, "第一条\r\n");
    StoreNews(seams.context, "第二条\r\n");
    std::ifstream in(news, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "第二条\r\n");
    EXPECT_TRUE(seams.messages.shown.empty());
    // Where no file can be written (a folder stands in its place): said, and left as it was.
    std::filesystem::remove(news);
    std::filesystem::create_directory(news);
    StoreNews(seams.context, "第三条\r\n");
    ASSERT_EQ(seams.messages.shown.size(), 1u);
    EXPECT_EQ(seams.messages.shown[0].Icon, MsgIcon::Critical);
    EXPECT_NE(seams.messages.shown[0].Text.find("Orbiplot_News.txt"), std::string::npos)
        << seams.messages.shown[0].Text;
    EXPECT_TRUE(std::filesystem::is_directory(news));
}
