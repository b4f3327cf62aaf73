#include "ScriptedSeams.h"

#include "base/AppSettings.h"
#include "base/RandomSource.h"
#include "services/clsMultimedia.h"

#include <gtest/gtest.h>

using namespace orbiplot;
using namespace orbiplot::test;

namespace {

class RecordingSink : public MciCommandSink {
public:
    std::vector<std::string> sent;
    std::string reply;
    std::string SendString(const std::string& command) override {
        sent.push_back(command);
        return reply;
    }
};

} // namespace

TEST(Multimedia, CommandStringsAliasesAndQuoting) {
    RecordingSink sink;
    ScriptedRandom random;
    random.values = {0.456f};
    clsMultimedia music(sink, random, [] { return std::pair{37, 5}; });
    EXPECT_EQ(music.Status(), "");
    EXPECT_EQ(music.Length(), 0.0f);
    music.mmPlay();
    EXPECT_TRUE(sink.sent.empty()); // nothing open, nothing sent

    music.mmOpen("/music/opabout.opm");
    EXPECT_EQ(random.seeds.size(), 1u);
    ASSERT_EQ(sink.sent.size(), 1u);
    EXPECT_EQ(sink.sent[0], "Open /music/opabout.opm ALIAS opm375457 TYPE Sequencer wait");
    music.mmPlay();
    music.SetWait(true);
    music.mmPlay();
    music.mmSeek(1.5f);
    EXPECT_EQ(sink.sent[1], "Play opm375457");
    EXPECT_EQ(sink.sent[2], "Play opm375457 wait");
    EXPECT_EQ(sink.sent[3], "seek opm375457 to 1.5");

    // A second open closes the first; a path with blanks is quoted; the ending picks the type.
    music.mmOpen("/my music/Theme.Mid");
    EXPECT_EQ(sink.sent[4], "Close opm375457");
    EXPECT_EQ(sink.sent[5], "Open \"/my music/Theme.Mid\" ALIAS Mid375457 TYPE Sequencer wait");

    // An ending nothing plays: the old device closes, nothing opens.
    const size_t before = sink.sent.size();
    music.mmOpen("notes.txt");
    EXPECT_EQ(sink.sent.size(), before + 1);
    EXPECT_EQ(sink.sent.back().rfind("Close ", 0), 0u);
    EXPECT_TRUE(music.Alias().empty());
    EXPECT_EQ(music.Status(), "");
}

TEST(Multimedia, WithoutASoundFontEveryCommandIsSilent) {
    FluidSynthMci mci("");
    ScriptedRandom random;
    random.values = {0.456f};
    clsMultimedia music(mci, random);
    music.mmOpen(FindDataFile("opabout.opm"));
    music.mmPlay();
    EXPECT_EQ(music.Status(), "");
}
