#include "RaisedNumber.h"
#include "ScriptedSeams.h"

#include "base/AppError.h"
#include "expr/CoreContext.h"
#include "expr/modConst.h"

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;
using ::testing::Not;

namespace {

struct Fixture : ScriptedFolder {
    CoreContext context{messages, dialogs, random, dir.Path()};

    void WriteConstants(const std::string& text) { dir.Write("Orbiplot_Const.ini", text); }
    std::string ReadConstants() const { return dir.Read("Orbiplot_Const.ini"); }
};

} // namespace

TEST(UserConstants, EmptyOrMissingFilesLoadNothingSilently) {
    for (const char* text : std::initializer_list<const char*>{"[Data]\r\nM=0\r\n",
                                                               "[Other]\r\nM=3\r\n", "", nullptr}) {
        Fixture f;
        if (text) f.WriteConstants(text);
        modConst::LoadUserConstants(f.context);
        EXPECT_TRUE(f.context.Constants.Names.empty());
        EXPECT_TRUE(f.messages.shown.empty());
    }
}

TEST(UserConstants, AMissingEntryWithinTheCountIsReportedOnceAndEndsLoading) {
    Fixture f;
    f.WriteConstants("[Data]\r\nM=3\r\nN1=g\r\nN2=k\r\nV1=9.8\r\nV2=0.5\r\n");
    modConst::LoadUserConstants(f.context);
    EXPECT_EQ(f.context.Constants.Names, (std::vector<std::string>{"g", "k"}));
    EXPECT_EQ(f.context.Parser.ParseExpression("g*2+k"), 9.8 * 2 + 0.5);
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Number = 13\n")));
}

TEST(UserConstants, ABadEntryIsSkippedAndTheOnesAfterItStayLoadedAndSaved) {
    Fixture f;
    f.WriteConstants("[Data]\r\nM=3\r\nN1=g\r\nN2=2bad\r\nN3=k\r\nV1=9.8\r\nV2=1\r\nV3=0.5\r\n");
    modConst::LoadUserConstants(f.context);
    EXPECT_EQ(f.context.Constants.Names, (std::vector<std::string>{"g", "k"}));
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("常数名必须以字母开头")));
    modConst::AddUserConstantText(f.context, "h", "2");
    EXPECT_TRUE(modConst::SaveUserConstants(f.context));
    EXPECT_EQ(f.ReadConstants(), "[Data]\r\nM=3\r\nN1=g\r\nN2=k\r\nN3=h\r\nV1=9.8\r\nV2=0.5\r\nV3=2\r\n");

    // Entries beyond the count (added by hand) load too; the first gap after it ends quietly.
    Fixture more;
    more.WriteConstants("[Data]\r\nM=1\r\nN1=a\r\nV1=1\r\nN2=b\r\nV2=2\r\nN4=d\r\nV4=4\r\n");
    modConst::LoadUserConstants(more.context);
    EXPECT_EQ(more.context.Constants.Names, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(more.messages.shown.empty());
}

TEST(UserConstants, ManyBrokenEntriesGiveOneReportNamingThem) {
    Fixture f;
    std::string text = "[Data]\r\nM=201\r\nN1=ok\r\nV1=1\r\n";
    for (int i = 2; i <= 201; ++i)
        text += "N" + std::to_string(i) + "=PI\r\nV" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    f.WriteConstants(text);
    modConst::LoadUserConstants(f.context);
    EXPECT_EQ(f.context.Constants.Names, std::vector<std::string>{"ok"});
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_THAT(f.messages.Texts()[0], AllOf(StartsWith("错误号 No. 7 - 此常数已存在"),
                                             HasSubstr("共有 200 项未能读入"), HasSubstr("第 2 项: 此常数已存在"),
                                             HasSubstr("第 11 项"), Not(HasSubstr("第 12 项"))));
}

TEST(UserConstants, WhatTheFileCannotKeepIsRefusedWhenAdded) {
    Fixture f;
    const std::string longest(modConst::MaxNameLength, 'n');
    modConst::AddUserConstantText(f.context, longest, "1");
    const AppError tooLong =
        Raised([&] { modConst::AddUserConstantText(f.context, longest + "x", "1"); }).value();
    EXPECT_EQ(tooLong.Number, ParserErrorNumber(4));
    EXPECT_THAT(tooLong.Description, HasSubstr("常数名过长"));
    // The largest double's 15-digit text, 1.79769313486232E+308, reads back as an overflow.
    for (const char* value : {"1.7976931348623157e308", "-1.7976931348623157E+308"})
        EXPECT_EQ(RaisedNumber([&] { modConst::AddUserConstantText(f.context, "big", value); }),
                  ErrConstantValue)
            << value;
    modConst::AddUserConstantText(f.context, "big", "1.79769313486231E+308");
    ASSERT_TRUE(modConst::SaveUserConstants(f.context));

    // Everything accepted comes back.
    Fixture reloaded;
    reloaded.WriteConstants(f.ReadConstants());
    modConst::LoadUserConstants(reloaded.context);
    EXPECT_TRUE(reloaded.messages.shown.empty());
    EXPECT_EQ(reloaded.context.Constants.Names, f.context.Constants.Names);
    EXPECT_EQ(reloaded.context.Constants.Values, f.context.Constants.Values);
}

// Runs under a time limit of its own: the file is read in time linear in its size.
TEST(UserConstantsScale, TwentyThousandEntriesUnderAHugeCountLoadAndSave) {
    Fixture f;
    std::string names, values;
    for (int i = 1; i <= 20000; ++i) {
        names += "N" + std::to_string(i) + "=c" + std::to_string(i) + "\r\n";
        values += "V" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    }
    f.WriteConstants("[Data]\r\nM=2147483647\r\n" + names + values);
    modConst::LoadUserConstants(f.context);
    ASSERT_EQ(f.context.Constants.Names.size(), 20000u);
    EXPECT_EQ(f.context.Parser.ParseExpression("c20000-c1"), 19999);
    EXPECT_EQ(f.messages.shown.size(), 1u); // entry 20001 was promised and is missing
    modConst::AddUserConstantText(f.context, "last", "1");
    EXPECT_THROW(modConst::AddUserConstantText(f.context, "C777", "1"), AppError);
    ASSERT_TRUE(modConst::SaveUserConstants(f.context));
    EXPECT_NE(f.ReadConstants().find("\r\nN20001=last\r\n"), std::string::npos);
}

TEST(UserConstants, NamesKeepTheirBlanksInTheListAndTheFile) {
    Fixture f;
    modConst::AddUserConstant(f.context, " k ", 2);
    modConst::AddUserConstant(f.context, "g", 9.8);
    modConst::AddUserConstant(f.context, "big", 1e20);
    EXPECT_EQ(f.context.Parser.ParseExpression("K+1"), 3);
    EXPECT_EQ(modConst::GetUserConstantList(f.context),
              (std::vector<std::string>{" k  - 2", "g - 9.8", "big - 1E+20"}));
    EXPECT_THROW(modConst::AddUserConstant(f.context, "K", 1), AppError);
    EXPECT_EQ(f.context.Constants.Names.size(), 3u);

    modConst::SaveUserConstants(f.context);
    EXPECT_EQ(f.ReadConstants(),
              "[Data]\r\nM=3\r\nN1= k \r\nN2=g\r\nN3=big\r\nV1=2\r\nV2=9.8\r\nV3=1E+20\r\n");

    Fixture reloaded;
    reloaded.WriteConstants(f.ReadConstants());
    modConst::LoadUserConstants(reloaded.context);
    EXPECT_EQ(modConst::GetUserConstantList(reloaded.context),
              modConst::GetUserConstantList(f.context));
}

TEST(UserConstants, RemovingRewritesTheFileFromScratch) {
    Fixture f;
    f.WriteConstants(
        "[Data]\r\nM=3\r\nN1=a\r\nN2=b\r\nN3=d\r\nV1=1\r\nV2=2\r\nV3=3\r\nStale=x\r\n");
    modConst::LoadUserConstants(f.context);
    modConst::RemoveUserConstant(f.context, 2);
    EXPECT_FALSE(f.context.Parser.ConstantExists("B"));
    modConst::SaveUserConstants(f.context);
    EXPECT_EQ(f.ReadConstants(), "[Data]\r\nM=2\r\nN1=a\r\nN2=d\r\nV1=1\r\nV2=3\r\n");

    EXPECT_THROW(modConst::RemoveUserConstant(f.context, 3), AppError);
    modConst::RemoveUserConstant(f.context, 1);
    modConst::RemoveUserConstant(f.context, 1);
    modConst::SaveUserConstants(f.context);
    EXPECT_EQ(f.ReadConstants(), "[Data]\r\nM=0\r\n");
}

TEST(UserConstants, AFailedSaveIsReportedAndKeepsTheOldFile) {
    Fixture f;
    f.WriteConstants("[Data]\r\nM=1\r\nN1=g\r\nV1=9.8\r\n");
    modConst::LoadUserConstants(f.context);
    modConst::AddUserConstant(f.context, "h", 1);
    f.context.AppFolder = f.dir.File("gone");
    EXPECT_FALSE(modConst::SaveUserConstants(f.context));
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Source = Orbiplot.Windows")));
    EXPECT_EQ(f.ReadConstants(), "[Data]\r\nM=1\r\nN1=g\r\nV1=9.8\r\n");
}
