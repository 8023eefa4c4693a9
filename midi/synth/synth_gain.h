#pragma once

#include <filesystem>

namespace tonvel {

// Master gain of the built-in synthesizer for a SoundFont. Bundled General MIDI sets
// differ by several decibels, so the level is chosen per known file; the aim is a
// loud single piano note that still leaves a full two-handed chord with drums
// below full scale.
float synthGainFor(const std::filesystem::path& soundFont);

}  // namespace tonvel
