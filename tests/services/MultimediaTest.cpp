#include "ScriptedSeams.h"

#include "base/AppSettings.h"
#include "base/RandomSource.h"
#include "services/FluidSynthMci.h"
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
    music.mmPlay(); // nothing open, nothing sent
    music.mmOpen("/music/opabout.opm");
    EXPECT_EQ(random.seeds.size(), 1u);
    music.mmPlay();
    music.SetWait(true);
    music.mmPlay();
    music.mmSeek(1.5f);
    // A second open closes the first; a path with blanks is quoted; the ending picks the type;
    // an ending nothing plays closes the old device and opens nothing.
    music.mmOpen("/my music/Theme.Mid");
    music.mmOpen("notes.txt");
    EXPECT_EQ(sink.sent,
              (std::vector<std::string>{
                  "Open /music/opabout.opm ALIAS opm375457 TYPE Sequencer wait", "Play opm375457",
                  "Play opm375457 wait", "seek opm375457 to 1.5", "Close opm375457",
                  "Open \"/my music/Theme.Mid\" ALIAS Mid375457 TYPE Sequencer wait",
                  "Close Mid375457"}));
    EXPECT_TRUE(music.Alias().empty());
    EXPECT_EQ(music.Status(), "");
    EXPECT_EQ(music.Length(), 0.0f);
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
