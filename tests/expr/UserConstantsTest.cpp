#include "ScriptedSeams.h"

#include "base/AppError.h"
#include "expr/CoreContext.h"
#include "expr/modConst.h"

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

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

TEST(UserConstants, AFailingEntryIsReportedOnceAndEndsLoading) {
    Fixture f;
    f.WriteConstants("[Data]\r\nM=3\r\nN1=g\r\nN2=k\r\nV1=9.8\r\nV2=0.5\r\n");
    modConst::LoadUserConstants(f.context);
    EXPECT_EQ(f.context.Constants.Names, (std::vector<std::string>{"g", "k"}));
    EXPECT_EQ(f.context.Parser.ParseExpression("g*2+k"), 9.8 * 2 + 0.5);
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Number = 13\n")));
}

TEST(UserConstants, AHugeCountInAForeignFileEndsAtTheFirstMissingEntry) {
    Fixture f;
    f.WriteConstants("[Data]\r\nM=2147483647\r\nN1=q\r\nV1=1E+20\r\n");
    modConst::LoadUserConstants(f.context);
    EXPECT_EQ(f.context.Constants.Values, std::vector<double>{1e20});
    EXPECT_EQ(f.messages.shown.size(), 1u);
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
    modConst::SaveUserConstants(f.context);
    EXPECT_THAT(f.messages.Texts(), ElementsAre(HasSubstr("Err.Source = Orbiplot.Windows")));
    EXPECT_EQ(f.ReadConstants(), "[Data]\r\nM=1\r\nN1=g\r\nV1=9.8\r\n");
}
