#include "DocTestSupport.h"

#include "base/AppError.h"
#include "expr/modConst.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

std::string Report(const DocFixture& f) {
    return f.messages.shown.empty() ? "" : f.messages.shown.back().Text;
}

} // namespace

TEST(DocumentFile, EveryTypeRoundTripsWithValuesRecomputedFromTexts) {
    DocFixture f;
    f.doc.NewDoc({"函数 1", "作者", "note = with equals", "0"});
    for (int32_t type = 0; type < CurveTypeCount; ++type) {
        CurveRecord c = SampleCurve(type, type + 1);
        c.ExLine1 = c.ExLine2 = c.ShowHide = c.IsAuto =
            true; // every field written, whatever the type
        f.doc.ModifyFun(c, type, true);
    }
    ASSERT_TRUE(f.doc.SaveDoc(f.dir.File("all.opd")));
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.doc.GetIPath(), f.dir.File("all.opd"));

    DocumentModel loaded = f.Fresh();
    ASSERT_TRUE(loaded.LoadDoc(f.dir.File("all.opd"))) << Report(f);
    EXPECT_EQ(loaded.GetDocInfo(), f.doc.GetDocInfo());
    EXPECT_EQ(loaded.CurveCount(), CurveTypeCount);
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(loaded.GetIPath(), f.dir.File("all.opd"));
    for (int32_t i = 0; i < CurveTypeCount; ++i) {
        // Values come from the texts: 1/3 narrowed to the nearest single, pi/2 of the PI literal;
        // the expression curves have none.
        const float values[] = {static_cast<float>((i + 1) / 3.0), static_cast<float>(3.14159265358979 / (i + 2)),
                                static_cast<float>(i + 3), static_cast<float>(-(i + 4))};
        CurveRecord expected = f.doc.Curve(i);
        for (int k = 1; k <= 4; ++k) expected.Data(k) = k <= ParameterCount(i) ? values[k - 1] : 0.0f;
        EXPECT_EQ(loaded.Curve(i), expected) << i;
    }
    EXPECT_EQ(loaded.GetFunList(), f.doc.GetFunList());
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(DocumentFile, TheWrittenFileKeyForKey) {
    DocFixture f;
    f.doc.NewDoc({"函数", "", "", "2"});
    CurveRecord point;
    point.SData1 = "1/4";
    point.SData2 = "2";
    point.ShowHide = true;
    point.LineWidth = 2;
    point.LineColor = 255;
    f.doc.ModifyFun(point, 0, true);
    ASSERT_TRUE(f.doc.SaveDoc(f.dir.File("p.opd")));
    EXPECT_EQ(
        f.dir.Read("p.opd"),
        "[General]\r\nOPMVer=1\r\nTitle=\xBA\xAF\xCA\xFD\r\nAuthor=\r\nNote=\r\nCoo=2\r\nC="
        "1\r\n\r\n"
        "[0DATA]\r\nType=0\r\nExp1=\r\nExp2=\r\nSD1=1/4\r\nSD2=2\r\nSD3=\r\nSD4=\r\nCTh=0\r\n"
        "CTk=0\r\nSH=True\r\nExL1=False\r\nExL2=False\r\nLW=2\r\nExLW=0\r\nLC=255\r\nExLC=0\r\n"
        "Mi=0\r\nMa=0\r\nA=False\r\n");
    DocumentModel loaded = f.Fresh();
    ASSERT_TRUE(loaded.LoadDoc(f.dir.File("p.opd")));
    EXPECT_EQ(loaded.Curve(0).Data1, 0.25f);
    EXPECT_EQ(loaded.Curve(0).SData1, "1/4");
}

TEST(DocumentFile, RefusedFilesAreReportedAndNotShown) {
    const std::pair<std::string, std::string> cases[] = {
        {"[General]\r\nOPMVer=2\r\n", "文件版本错误"},
        {"[General]\r\nTitle=x\r\n", "文件版本错误"},
        {"just some text", "文件版本错误"},
        {"[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=0\r\nSD1=2+*3\r\n",
         "错误号 No. 1 - 表达式语法错误"},
        {"[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=3\r\nSD1=10^39\r\n", "Err.Number = 6\n"},
        {"[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=3\r\nCTh=abc\r\n", "Err.Number = 13\n"},
        {"[General]\r\nOPMVer=1\r\nC=255\r\n", "Err.Number = 9\n"},
    };
    for (const auto& [content, expected] : cases) {
        DocFixture f;
        f.dir.Write("bad.opd", content);
        EXPECT_FALSE(f.doc.LoadDoc(f.dir.File("bad.opd"))) << content;
        EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr(expected))) << content;
        EXPECT_EQ(f.doc.GetIPath(), "");
    }
    // Not read at all: a missing file, a folder, a pipe no one writes to (never waited on).
    DocFixture other;
    const std::string pipe = other.dir.File("pipe.opd");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directory(other.dir.File("folder.opd"));
    for (const char* name : {"none.opd", "folder.opd", "pipe.opd"})
        EXPECT_FALSE(other.doc.LoadDoc(other.dir.File(name))) << name;
    EXPECT_THAT(other.messages.Texts(),
                ElementsAre(AllOf(HasSubstr("Err.Number = 53\n"), HasSubstr("文件未找到: " + other.dir.File("none.opd"))),
                            AllOf(HasSubstr("Err.Number = 75\n"), HasSubstr("folder.opd 不是普通文件")),
                            AllOf(HasSubstr("Err.Number = 75\n"), HasSubstr("pipe.opd 不是普通文件"))));
}

TEST(DocumentFile, LongTextsAndLineBreaksSurviveARoundTrip) {
    DocFixture f;
    const std::string longTitle(40, 'T'); // 80 bytes once doubled below
    f.doc.NewDoc({longTitle + "标题标题标题标题标题标题标题标题标题标题", "作者\r\n第二行",
                  std::string(300, 'n'), "2"});
    CurveRecord curve;
    curve.FType = CurveGeneralY;
    curve.Expression1 = std::string(150, '1') + "+x*" + std::string(150, '2');
    f.doc.ModifyFun(curve, 0, true);
    ASSERT_TRUE(f.doc.SaveDoc(f.dir.File("long.opd")));
    DocumentModel loaded = f.Fresh();
    ASSERT_TRUE(loaded.LoadDoc(f.dir.File("long.opd"))) << Report(f);
    EXPECT_EQ(loaded.GetDocInfo().Title, f.doc.GetDocInfo().Title);
    EXPECT_EQ(loaded.GetDocInfo().Author, "作者\r 第二行");
    EXPECT_EQ(loaded.GetDocInfo().Note, std::string(300, 'n'));
    EXPECT_EQ(loaded.Curve(0).Expression1, curve.Expression1);
    EXPECT_EQ(loaded.CurveCount(), 1);

    // A lone carriage return in a damaged file comes back from a load and a save unchanged.
    f.dir.Write("cr.opd", "[General]\r\nOPMVer=1\r\nC=1\r\n[0DATA]\r\nType=13\r\nExp1=x\r+1\r\n");
    DocumentModel damaged = f.Fresh();
    ASSERT_TRUE(damaged.LoadDoc(f.dir.File("cr.opd")));
    ASSERT_TRUE(damaged.SaveDoc(f.dir.File("cr2.opd"), true));
    DocumentModel again = f.Fresh();
    ASSERT_TRUE(again.LoadDoc(f.dir.File("cr2.opd")));
    EXPECT_EQ(again.Curve(0).Expression1, "x\r+1");
}

TEST(DocumentFile, StaleSectionsStayUntilSaveAs) {
    DocFixture f;
    f.doc.NewDoc({"t", "a", "", "2"});
    for (int32_t i = 0; i < 5; ++i)
        f.doc.ModifyFun(SampleCurve(Point, i), i, true);
    const std::string path = f.dir.File("five.opd");
    ASSERT_TRUE(f.doc.SaveDoc(path));
    f.dir.Write("five.opd", f.dir.Read("five.opd") + "[Extra]\r\nMine=1\r\n");
    f.doc.DeleteFun(4);
    f.doc.DeleteFun(3);
    ASSERT_TRUE(f.doc.SaveDoc(path));
    const std::string text = f.dir.Read("five.opd");
    EXPECT_NE(text.find("[4DATA]"), std::string::npos);
    EXPECT_NE(text.find("[Extra]\r\nMine=1"), std::string::npos);
    DocumentModel loaded = f.Fresh();
    ASSERT_TRUE(loaded.LoadDoc(path));
    EXPECT_EQ(loaded.CurveCount(), 3);

    ASSERT_TRUE(loaded.SaveDoc(f.dir.File("copy.opd"), true));
    EXPECT_EQ(f.dir.Read("copy.opd").find("[4DATA]"), std::string::npos);
}

TEST(DocumentFile, ParameterTextsTakeTheConstantsOfLoadTime) {
    DocFixture f;
    modConst::AddUserConstant(f.context, "g", 9.8);
    f.doc.NewDoc({"t", "a", "", "2"});
    CurveRecord c;
    c.FType = ParabolaX;
    c.SData1 = "g";
    f.doc.ModifyFun(c, 0, true);
    ASSERT_TRUE(f.doc.SaveDoc(f.dir.File("g.opd")));
    modConst::RemoveUserConstant(f.context, 1);
    modConst::AddUserConstant(f.context, "G", 1.5);
    DocumentModel loaded = f.Fresh();
    ASSERT_TRUE(loaded.LoadDoc(f.dir.File("g.opd")));
    EXPECT_EQ(loaded.Curve(0).Data1, 1.5f);
}

TEST(DocumentFile, AFailedSaveKeepsPathAndModifiedFlag) {
    DocFixture f;
    f.doc.NewDoc({"t", "a", "", "2"});
    f.doc.ModifyFun(SampleCurve(Point), 0, true);
    EXPECT_FALSE(f.doc.SaveDoc(f.dir.File("missing/dir/x.opd")));
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.doc.GetIPath(), "");
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Source = Orbiplot.Windows")));
}

TEST(DocumentFile, AreasKeptInSectionsOfTheirOwnAndThePartsAsTheyWere) {
    DocFixture f;
    f.doc.NewDoc({"面积", "a", "", "2"});
    for (int32_t i = 0; i < 3; ++i)
        f.doc.ModifyFun(SampleCurve(CurveGeneralY, i + 1), i, true);
    // Without areas: written as it always was.
    ASSERT_TRUE(f.doc.SaveDoc(f.dir.File("plain.opd"), true));
    const std::string plain = f.dir.Read("plain.opd");
    EXPECT_EQ(plain.find("Area"), std::string::npos);
    // With an area between curves 2 and 0 and a length of curve 1.
    const AreaRecord between{AreaRecord::Kind::Area, 2, 0, -1.25, 3.0000000000000004, true};
    const AreaRecord length{AreaRecord::Kind::Length, 1, -1, 0.1, -7, false};
    f.doc.InsertArea(0, between);
    f.doc.InsertArea(1, length);
    ASSERT_TRUE(f.doc.SaveDoc(f.dir.File("areas.opd"), true));
    const std::string saved = f.dir.Read("areas.opd");
    // The curves' sections byte for byte as before, the areas after them.
    EXPECT_EQ(saved.substr(0, plain.size()), plain);
    EXPECT_EQ(saved.substr(plain.size()),
              "\r\n[Areas]\r\nCount=2\r\n\r\n[Area0]\r\nKind=Area\r\nCurve=2\r\nOther=0\r\n"
              "From=-1.25\r\nTo=3.0000000000000004\r\nShown=True\r\n\r\n[Area1]\r\nKind=Length\r\n"
              "Curve=1\r\nOther=-1\r\nFrom=0.10000000000000001\r\nTo=-7\r\nShown=False\r\n");
    DocumentModel loaded = f.Fresh();
    ASSERT_TRUE(loaded.LoadDoc(f.dir.File("areas.opd"))) << Report(f);
    EXPECT_EQ(loaded.Areas(), (std::vector<AreaRecord>{between, length}));
    // Saved again in place without them: the file says there are none.
    loaded.RemoveArea(1);
    loaded.RemoveArea(0);
    ASSERT_TRUE(loaded.SaveDoc(f.dir.File("areas.opd")));
    DocumentModel again = f.Fresh();
    ASSERT_TRUE(again.LoadDoc(f.dir.File("areas.opd")));
    EXPECT_TRUE(again.Areas().empty());
    // Entries that name no curve of the document or no number are left out, the rest kept.
    const std::string broken =
        plain + "[Areas]\r\nCount=5\r\n[Area0]\r\nKind=Area\r\nCurve=7\r\nOther=-1\r\nFrom=0\r\nTo=1\r\n"
                "[Area1]\r\nKind=Volume\r\nCurve=0\r\nOther=-1\r\nFrom=0\r\nTo=1\r\n"
                "[Area2]\r\nKind=Area\r\nCurve=0\r\nOther=-1\r\nFrom=x\r\nTo=1\r\n"
                "[Area3]\r\nKind=Area\r\nCurve=1\r\nOther=1\r\nFrom=0\r\nTo=1\r\n"
                "[Area4]\r\nKind=Length\r\nCurve=1\r\nOther=2\r\nFrom=2\r\nTo=1e3\r\n";
    DocumentModel partly = f.Fresh();
    ASSERT_TRUE(partly.LoadDoc(f.dir.Write("broken.opd", broken)));
    EXPECT_EQ(partly.Areas(),
              (std::vector<AreaRecord>{{AreaRecord::Kind::Length, 1, -1, 2, 1000, true}}));
    EXPECT_EQ(partly.CurveCount(), 3);
}

TEST(DocumentFile, ImplicitCurvesAreTypeHundredAndUnknownTypesStayUnknown) {
    DocFixture f;
    // Type 100 with its text in Exp1, beside types 17 and 99 that no reader knows.
    const std::string text =
        "[General]\r\nOPMVer=1\r\nTitle=t\r\nC=3\r\n[0DATA]\r\nType=100\r\nExp1=x^2+y^2=4\r\n"
        "CTh=1.5\r\nCTk=-2\r\nLC=255\r\nLW=2\r\n[1DATA]\r\nType=17\r\nExp1=x\r\n"
        "[2DATA]\r\nType=99\r\n";
    ASSERT_TRUE(f.doc.LoadDoc(f.dir.Write("i.opd", text)));
    EXPECT_EQ(f.doc.GetFunList(),
              (std::vector<std::string>{"隐函数: x^2+y^2=4", "未知类型", "未知类型"}));
    const CurveRecord c = f.doc.Curve(0);
    EXPECT_EQ(c.FType, Implicit);
    EXPECT_EQ(c.Expression1, "x^2+y^2=4");
    EXPECT_EQ(c.CTh, 1.5F);
    EXPECT_EQ(c.CTk, -2.0F);
    // Saved and read again: the same records.
    ASSERT_TRUE(f.doc.SaveDoc(f.dir.File("again.opd")));
    DocumentModel again = f.Fresh();
    ASSERT_TRUE(again.LoadDoc(f.dir.File("again.opd")));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(again.Curve(i), f.doc.Curve(i)) << i;
    EXPECT_NE(f.dir.Read("again.opd").find("[0DATA]\r\nType=100\r\nExp1=x^2+y^2=4\r\n"), std::string::npos);
    // A description without "=" says "=0".
    CurveRecord bare = c;
    bare.Expression1 = "x*y-1";
    EXPECT_EQ(CurveDescription(bare), "隐函数: x*y-1=0");
}

TEST(DocumentModel, AreasFollowTheirCurvesWhenOneIsDeletedOrPutBack) {
    DocFixture f;
    f.doc.NewDoc({"t", "a", "", "2"});
    for (int32_t i = 0; i < 4; ++i)
        f.doc.ModifyFun(SampleCurve(CurveGeneralY, i + 1), i, true);
    f.doc.InsertArea(0, {AreaRecord::Kind::Area, 0, 3, 0, 1, true});
    f.doc.InsertArea(1, {AreaRecord::Kind::Area, 1, -1, 0, 2, true});
    f.doc.InsertArea(2, {AreaRecord::Kind::Length, 3, -1, 0, 3, true});
    f.doc.InsertArea(3, {AreaRecord::Kind::Area, 2, 0, 0, 4, true});
    // Curve 1 goes with its area; curves 2 and 3 move down, their areas with them.
    const auto taken = f.doc.AreasOf(1);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].first, 1u);
    const CurveRecord removed = f.doc.Curve(1);
    f.doc.DeleteFun(1);
    EXPECT_EQ(f.doc.Areas(), (std::vector<AreaRecord>{{AreaRecord::Kind::Area, 0, 2, 0, 1, true},
                                                      {AreaRecord::Kind::Length, 2, -1, 0, 3, true},
                                                      {AreaRecord::Kind::Area, 1, 0, 0, 4, true}}));
    // Put back, the later curves' areas move on, and the curve's own return to their place.
    f.doc.InsertCurve(1, removed);
    for (const auto& [at, area] : taken)
        f.doc.InsertArea(at, area);
    EXPECT_EQ(f.doc.Areas(), (std::vector<AreaRecord>{{AreaRecord::Kind::Area, 0, 3, 0, 1, true},
                                                      {AreaRecord::Kind::Area, 1, -1, 0, 2, true},
                                                      {AreaRecord::Kind::Length, 3, -1, 0, 3, true},
                                                      {AreaRecord::Kind::Area, 2, 0, 0, 4, true}}));
    // A new document has none; a copy has the same.
    DocumentModel copy = f.Fresh();
    copy.CopyCurvesFrom(f.doc);
    EXPECT_EQ(copy.Areas(), f.doc.Areas());
    f.doc.NewDoc({"n", "a", "", "2"});
    EXPECT_TRUE(f.doc.Areas().empty());
}
