#pragma once

#include "services/clsMultimedia.h"

#include <memory>
#include <string>

namespace orbiplot {

// The command strings played by FluidSynth with a General MIDI sound font. Without a
// sound font or an audio device every command does nothing and every reply is empty.
class FluidSynthMci : public MciCommandSink {
public:
    explicit FluidSynthMci(std::string soundFont = DefaultSoundFont());
    ~FluidSynthMci() override;
    std::string SendString(const std::string& command) override;

    // The first General MIDI sound font installed, or "".
    static std::string DefaultSoundFont();

private:
    struct Engine;
    std::string soundFont_;
    std::unique_ptr<Engine> engine_;
    bool unavailable_ = false;
};

} // namespace orbiplot
