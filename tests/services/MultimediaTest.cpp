#include "ScriptedSeams.h"
#include "TempDir.h"

#include "base/AppSettings.h"
#include "base/RandomSource.h"
#include "services/clsMultimedia.h"

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <QThread>

#include <cmath>
#include <fstream>
#include <iterator>

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

// The about music played by the synthesizer into a file: as long as the piece, and audible.
TEST(Multimedia, TheAboutMusicSoundsForItsWholeLength) {
    const std::string font = FluidSynthMci::DefaultSoundFont();
    if (font.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    const std::string music = FindDataFile("opabout.opm");
    ASSERT_FALSE(music.empty());
    orbiplot::test::TempDir dir;
    const std::string wav = dir.File("about.wav");
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setstr(settings, "audio.file.name", wav.c_str());
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    ASSERT_NE(fluid_synth_sfload(synth, font.c_str(), 1), FLUID_FAILED);
    fluid_player_t* player = new_fluid_player(synth);
    ASSERT_EQ(fluid_player_add(player, music.c_str()), FLUID_OK);
    fluid_player_play(player);
    fluid_file_renderer_t* renderer = new_fluid_file_renderer(synth);
    ASSERT_NE(renderer, nullptr);
    while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING)
        if (fluid_file_renderer_process_block(renderer) != FLUID_OK) break;
    delete_fluid_file_renderer(renderer);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);

    std::ifstream in(wav, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_GT(bytes.size(), 44u);
    const size_t samples = (bytes.size() - 44) / 2; // 16-bit stereo at 44100 Hz
    const double seconds = static_cast<double>(samples) / 2.0 / 44100.0;
    EXPECT_GT(seconds, 30.0);
    EXPECT_LT(seconds, 60.0);
    double sumSquares = 0;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
        const int16_t s = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                               (static_cast<uint8_t>(bytes[i + 1]) << 8));
        sumSquares += static_cast<double>(s) * s;
    }
    const double rms = std::sqrt(sumSquares / static_cast<double>(samples)) / 32768.0;
    EXPECT_GT(rms, 0.005) << "silent";
}

