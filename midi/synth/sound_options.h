#pragma once

#include <filesystem>

#include "midi/synth/audio_buffering.h"

namespace tonvel {

// What a user may choose for the built-in synthesizer when starting the program.
struct SoundOptions {
    AudioBuffering buffering;
    // A SoundFont to play instead of the system's General MIDI set; empty for that one.
    std::filesystem::path soundFont;
};

}  // namespace tonvel
