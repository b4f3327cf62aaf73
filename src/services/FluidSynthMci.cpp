#include "services/FluidSynthMci.h"

#include "base/TextEncoding.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

namespace orbiplot {

namespace {
// The leading number of a word, 0 when there is none.
float LeadingNumber(const std::string& text) { return std::strtof(text.c_str(), nullptr); }
} // namespace

// One synthesizer with its audio output; a player per open alias.
struct FluidSynthMci::Engine {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    std::map<std::string, fluid_player_t*> players;
    std::map<std::string, std::string> files;

    ~Engine() {
        // The audio thread drives the players: it stops first.
        if (driver) delete_fluid_audio_driver(driver);
        for (auto& [alias, player] : players) {
            fluid_player_stop(player);
            delete_fluid_player(player);
        }
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

FluidSynthMci::FluidSynthMci(std::string soundFont) : soundFont_(std::move(soundFont)) {}

FluidSynthMci::~FluidSynthMci() = default;

std::string FluidSynthMci::DefaultSoundFont() {
    for (const char* candidate :
         {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
          "/usr/share/sounds/sf2/FluidR3_GM.sf2"})
        if (std::filesystem::exists(candidate)) return candidate;
    return {};
}

namespace {

// Splits a command into words; a double-quoted part is one word.
std::vector<std::string> Words(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

} // namespace

std::string FluidSynthMci::SendString(const std::string& command) {
    if (unavailable_) return {};
    if (!engine_) {
        // The synthesizer starts with the first command; without a sound font or an audio
        // device there is no music, and nothing to report.
        if (soundFont_.empty()) {
            unavailable_ = true;
            return {};
        }
        auto engine = std::make_unique<Engine>();
        fluid_set_log_function(FLUID_PANIC, nullptr, nullptr);
        fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
        engine->settings = new_fluid_settings();
        if (engine->settings) fluid_settings_setnum(engine->settings, "synth.gain", 0.6);
        engine->synth = engine->settings ? new_fluid_synth(engine->settings) : nullptr;
        if (!engine->synth ||
            fluid_synth_sfload(engine->synth, soundFont_.c_str(), 1) == FLUID_FAILED ||
            !(engine->driver = new_fluid_audio_driver(engine->settings, engine->synth))) {
            unavailable_ = true;
            return {};
        }
        engine_ = std::move(engine);
    }
    const std::vector<std::string> w = Words(command);
    if (w.size() < 2) return {};
    const std::string verb = AsciiLower(w[0]);
    if (verb == "open") {
        // Open FILE ALIAS alias TYPE type [wait]
        if (w.size() < 4 || AsciiLower(w[2]) != "alias") return {};
        fluid_player_t* player = new_fluid_player(engine_->synth);
        if (!player) return {};
        if (fluid_player_add(player, w[1].c_str()) != FLUID_OK) {
            delete_fluid_player(player);
            return {};
        }
        engine_->players[w[3]] = player;
        engine_->files[w[3]] = w[1];
        return {};
    }
    const auto found = engine_->players.find(w[1]);
    if (found == engine_->players.end()) return {};
    fluid_player_t* player = found->second;
    if (verb == "play") {
        fluid_player_play(player);
        if (w.size() > 2 && AsciiLower(w[2]) == "wait") fluid_player_join(player);
    } else if (verb == "stop" || verb == "pause") {
        fluid_player_stop(player);
    } else if (verb == "close") {
        // The player is left only once the audio thread no longer runs it.
        fluid_player_stop(player);
        fluid_player_join(player);
        delete_fluid_player(player);
        fluid_synth_all_sounds_off(engine_->synth, -1);
        engine_->players.erase(found);
        engine_->files.erase(w[1]);
    } else if (verb == "seek" && w.size() > 3) {
        fluid_player_seek(player, static_cast<int>(LeadingNumber(w[3])));
    } else if (verb == "status" && w.size() > 2) {
        const std::string what = AsciiLower(w[2]);
        if (what == "mode")
            return fluid_player_get_status(player) == FLUID_PLAYER_PLAYING ? "playing" : "stopped";
        if (what == "length") return std::to_string(fluid_player_get_total_ticks(player));
        if (what == "position") return std::to_string(fluid_player_get_current_tick(player));
    }
    return {};
}

} // namespace orbiplot
