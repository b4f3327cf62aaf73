#include "RaisedNumber.h"
#include "ScriptedSeams.h"
#include "TempDir.h"

#include "base/AppError.h"
#include "base/AppSettings.h"
#include "base/Options.h"
#include "base/RecentDocuments.h"
#include "base/SliderRanges.h"
#include "base/TipOfDay.h"
#include "base/clsDialogs.h"
#include "base/clsINI.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace orbiplot;
using orbiplot::test::TempDir;

TEST(Settings, FirstRunFileByteForByte) {
    TempDir dir;
    SaveFirstRunSettings(dir.File("Orbiplot_Setting.ini"));
    EXPECT_EQ(dir.Read("Orbiplot_Setting.ini"),
              "[General]\r\nIsFirst=True\r\nIsShowTip=True\r\n\r\n"
              "[Grid]\r\nIsShow=True\r\nStyle=1\r\nColor=15132390\r\nIsPi=False\r\nUnit=1\r\n"
              "BackColor=16777215\r\n");
    EXPECT_EQ(LoadSettings(dir.File("Orbiplot_Setting.ini")).Style, 1);
}

TEST(Settings, ReadDefaultsDifferFromFirstRunValues) {
    TempDir dir;
    const std::string file = dir.Write("s.ini", "[MainPos]\r\nMainLeft=10\r\n");
    for (const std::string& path : {file, dir.File("missing.ini")}) {
        const AppSettings s = LoadSettings(path);
        EXPECT_TRUE(s.IsFirst && s.IsShowTip && s.IsShow && !s.IsPi);
        EXPECT_EQ(s.Style, 0);
    }
}

TEST(Settings, AMalformedOrOverLongUnitFailsLoading) {
    TempDir dir;
    const std::pair<std::string, int32_t> cases[] = {
        {"abc", ErrTypeMismatch},
        {"", ErrTypeMismatch},
        {"0." + std::string(29, '5'), ErrTypeMismatch}, // 31 characters fill the buffer
        {"1e50", ErrOverflow},
    };
    for (const auto& [unit, number] : cases) {
        const std::string file = dir.Write("s.ini", "[Grid]\r\nUnit=" + unit + "\r\n");
        EXPECT_EQ(test::RaisedNumber([&] { LoadSettings(file); }), number) << unit;
    }
    const std::string file =
        dir.Write("s.ini", "[Grid]\r\nUnit=0." + std::string(28, '5') + "\r\n");
    EXPECT_FLOAT_EQ(LoadSettings(file).Unit, 0.5555556f);
}

TEST(CommonDialogs, DefaultsAnswersAndCancel) {
    test::ScriptedDialogs seam;
    clsDialogs dialogs(seam, "/opt/orbiplot");
    EXPECT_EQ(dialogs.FileOpen(), "");
    const FileDialogRequest open = seam.requests.back();
    EXPECT_EQ(open.StartFolder, "/opt/orbiplot");
    ASSERT_EQ(open.Filters.size(), 1u);
    EXPECT_EQ(open.Filters[0].Pattern, "*.*");
    EXPECT_TRUE(open.MustExist && !open.Save);

    seam.files = {"/home/u/a.opd"};
    EXPECT_EQ(dialogs.FileSave("", "/home/u", ".opd", {{"Orbiplot 文档", "*.opd"}}, 2),
              "/home/u/a.opd");
    const FileDialogRequest save = seam.requests.back();
    EXPECT_TRUE(save.Save && save.ConfirmOverwrite && !save.MustExist);
    EXPECT_EQ(save.StartFolder, "/home/u");
    EXPECT_EQ(save.FilterIndex, 2);

    // The colour dialog starts on the colour passed, with sixteen greys; Cancel keeps it.
    EXPECT_EQ(dialogs.GetColor(0x00FF00), 0x00FF00u);
    EXPECT_EQ(seam.colourOffered.first, 0x00FF00u);
    EXPECT_EQ(seam.colourOffered.second[7], 0x7F7F7Fu);
    seam.colours = {0x123456};
    EXPECT_EQ(dialogs.GetColor(0x00FF00), 0x123456u);
}

TEST(Options, TheUnitCheckAndTheArrows) {
    const auto check = [](const char* text) { return CheckUnitText(text); };
    EXPECT_EQ(check("99").Text, "99");
    EXPECT_FALSE(check("0.05").Replaced);
    for (const char* outside : {"0", "100", "-1", "1e39"}) {
        EXPECT_EQ(check(outside).Text, "1.00") << outside;
        EXPECT_TRUE(check(outside).ShowMessage) << outside;
    }
    for (const char* silent : {"", "abc", ".", "1,5"}) {
        EXPECT_EQ(check(silent).Text, "1.00") << silent;
        EXPECT_FALSE(check(silent).ShowMessage) << silent;
    }
    EXPECT_EQ(StepUnitText(StepUnitText("1.00", true), true), "1.1");
    EXPECT_EQ(StepUnitText("0.05", false), "0");
    EXPECT_TRUE(check(StepUnitText("0.05", false).c_str()).ShowMessage);
    EXPECT_EQ(ShownGridStyle(6), 1);
}

TEST(Options, OkStoresInMemoryAndWritesEveryKeyAtOnce) {
    TempDir dir;
    const std::string file = dir.Write("Orbiplot_Setting.ini", "[MainPos]\r\nMainLeft=15\r\n");
    AppSettings settings;
    settings.Style = 0;
    EXPECT_EQ(ChoiceFromSettings(settings).Style, 1);
    ApplyOptions(settings, {false, 3, 0x0000FF, 0x102030, true, "2.5", false}, file);
    EXPECT_FALSE(settings.IsFirst || settings.IsShow || settings.IsShowTip);
    EXPECT_EQ(settings.Unit, 2.5f);
    EXPECT_EQ(
        dir.Read("Orbiplot_Setting.ini"),
        "[MainPos]\r\nMainLeft=15\r\n\r\n[General]\r\nIsFirst=False\r\nIsShowTip=False\r\n\r\n"
        "[Grid]\r\nIsShow=False\r\nStyle=3\r\nColor=255\r\nIsPi=True\r\nUnit=2.5\r\n"
        "BackColor=1056816\r\n");
}

TEST(Options, TheDrawingChoiceHasAKeyOfItsOwnWrittenOnceChosen) {
    TempDir dir;
    const std::string file = dir.Write("Orbiplot_Setting.ini", "[MainPos]\r\nMainLeft=15\r\n");
    AppSettings settings;
    OptionsChoice choice = ChoiceFromSettings(settings);
    EXPECT_FALSE(choice.DefinedOnly);
    choice.DefinedOnly = true;
    ApplyOptions(settings, choice, file);
    EXPECT_TRUE(settings.DefinedOnly);
    const std::string eight = "[MainPos]\r\nMainLeft=15\r\n\r\n[General]\r\nIsFirst=False\r\n"
                              "IsShowTip=True\r\n\r\n[Grid]\r\nIsShow=True\r\nStyle=1\r\n"
                              "Color=15132390\r\nIsPi=False\r\nUnit=1\r\nBackColor=16777215\r\n";
    EXPECT_EQ(dir.Read("Orbiplot_Setting.ini"), eight + "\r\n[Drawing]\r\nDefinedOnly=True\r\n");
    EXPECT_TRUE(LoadSettings(file).DefinedOnly);
    EXPECT_TRUE(ChoiceFromSettings(LoadSettings(file)).DefinedOnly);
    // Taken back, the key says so; a file that never had it reads as off.
    choice.DefinedOnly = false;
    ApplyOptions(settings, choice, file);
    EXPECT_EQ(dir.Read("Orbiplot_Setting.ini"), eight + "\r\n[Drawing]\r\nDefinedOnly=False\r\n");
    EXPECT_FALSE(LoadSettings(file).DefinedOnly);
    EXPECT_FALSE(
        LoadSettings(dir.Write("other.ini", "[Drawing]\r\nDefinedOnly=maybe\r\n")).DefinedOnly);
    // The first run's file holds the eight keys alone.
    SaveFirstRunSettings(dir.File("first.ini"));
    EXPECT_EQ(dir.Read("first.ini").find("Drawing"), std::string::npos);
}

TEST(TipFile, LinesAsTheyStandInAnyEnding) {
    TempDir dir;
    // GBK with CR LF, the last line without an end, an empty line kept.
    const std::string gbk = "\xb5\xda\xd2\xbb\r\n\r\nlast";
    auto tips = LoadTips(dir.Write("tips.txt", gbk));
    ASSERT_TRUE(tips);
    EXPECT_EQ(*tips, (std::vector<std::string>{"第一", "", "last"}));
    EXPECT_EQ(*LoadTips(dir.Write("lf.txt", "a \nb\n")), (std::vector<std::string>{"a ", "b"}));
    EXPECT_FALSE(LoadTips(dir.File("missing.txt")));
    EXPECT_FALSE(LoadTips(dir.Path())); // a folder is no tip file
}

TEST(Settings, AnInstalledProgramReadsShareAndWritesToItsConfigFolder) {
    TempDir dir;
    const std::string bin = dir.File("usr/bin");
    std::filesystem::create_directories(bin);
    EXPECT_EQ(ApplicationFolder(bin), bin); // a writable folder of its own: portable
    EXPECT_EQ(FindDataFile("splash.svg", bin), "");
    std::filesystem::create_directories(dir.File("usr/share/orbiplot/help"));
    dir.Write("usr/share/orbiplot/help/index.html", "<html/>");
    EXPECT_EQ(FindDataFile("help/index.html", bin), bin + "/../share/orbiplot/help/index.html");
    dir.Write("usr/bin/help/index.html", "");
    // Installed: the config folder, even where the program's folder could be written.
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    std::filesystem::create_directories(dir.File("config"));
    EXPECT_EQ(ApplicationFolder(bin), dir.File("config/Orbiplot"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("config/Orbiplot")));
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(RecentDocumentsList, NewestFirstWithoutRepeatsAndKeptInASectionOfItsOwn) {
    std::vector<std::string> list;
    for (const char* path : {"/a.opd", "/b.opd", "/c.opd"})
        list = orbiplot::WithRecent(list, path);
    EXPECT_EQ(list, (std::vector<std::string>{"/c.opd", "/b.opd", "/a.opd"}));
    list = orbiplot::WithRecent(list, "/a.opd"); // moved up, not doubled
    EXPECT_EQ(list, (std::vector<std::string>{"/a.opd", "/c.opd", "/b.opd"}));
    for (int i = 0; i < 9; ++i)
        list = orbiplot::WithRecent(list, "/n" + std::to_string(i) + ".opd");
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(list.front(), "/n8.opd");
    EXPECT_EQ(list.back(), "/n1.opd");
    EXPECT_EQ(orbiplot::WithoutRecent(list, "/n4.opd").size(), 7u);
    EXPECT_EQ(orbiplot::WithoutRecent(list, "/none.opd"), list);

    TempDir dir;
    const std::string file = dir.Write("s.ini", "[Grid]\r\nStyle=2\r\n");
    SaveRecentDocuments(file, {"/x y.opd", "/中文.opd"});
    EXPECT_EQ(LoadRecentDocuments(file), (std::vector<std::string>{"/x y.opd", "/中文.opd"}));
    SaveRecentDocuments(file, {"/z.opd"});
    EXPECT_EQ(LoadRecentDocuments(file), (std::vector<std::string>{"/z.opd"}));
    EXPECT_EQ(dir.Read("s.ini").substr(0, 27), "[Grid]\r\nStyle=2\r\n\r\n[Recent]");
    // A hand-made list with gaps and repeats reads as the entries there are, once each.
    const std::string edited =
        dir.Write("e.ini", "[Recent]\r\nFile1=/p.opd\r\nFile2=\r\nFile3=/q.opd\r\nFile4=/p.opd\r\n"
                           "File9=/beyond.opd\r\n");
    EXPECT_EQ(LoadRecentDocuments(edited), (std::vector<std::string>{"/p.opd", "/q.opd"}));
    EXPECT_TRUE(LoadRecentDocuments(dir.File("missing.ini")).empty());
}

TEST(SliderRangesFile, ReadBackExactlyAndOnlyWhenUsable) {
    TempDir dir;
    const std::string file = dir.Write(
        "s.ini", "[Grid]\r\nStyle=2\r\n[Sliders]\r\nB=1;0;0.5\r\nC=x;1;2\r\nD=0;1;0.25\r\n"
                 "E=0;1;2\r\nF=0;1e300;1e-300\r\nG=0; 1 ;0.5\r\n");
    const auto ranges = orbiplot::LoadSliderRanges(file, {"a", "b", "c", "d", "e", "f", "g"});
    // Backwards, not a number, a step longer than the range, too many steps: the default.
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges.at("D"), (orbiplot::SliderRange{0, 1, 0.25}));
    EXPECT_EQ(ranges.at("G"), (orbiplot::SliderRange{0, 1, 0.5}));
    // Written to 17 digits: a third of a step comes back the same double.
    orbiplot::SaveSliderRange(file, " a ", {-1.0 / 3, 2.5, 1.0 / 3});
    EXPECT_EQ(orbiplot::LoadSliderRanges(file, {"A"}).at("A"),
              (orbiplot::SliderRange{-1.0 / 3, 2.5, 1.0 / 3}));
    EXPECT_EQ(dir.Read("s.ini").substr(0, 17), "[Grid]\r\nStyle=2\r\n");
    EXPECT_EQ(orbiplot::DefaultSliderRange(3), (orbiplot::SliderRange{-7, 13, 0.1}));
}
