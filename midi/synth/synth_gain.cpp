#include "midi/synth/synth_gain.h"

#include <string_view>
#include <system_error>

namespace tonvel {
namespace {

struct KnownSoundFont {
    std::string_view fileName;
    float gain;
};

// Measured offline at 48 kHz: a piano middle C at velocity 127 peaks near -12 dBFS.
// Chords are kept from clipping by the output limiter, not by a quieter gain.
constexpr KnownSoundFont kKnownSoundFonts[] = {
    {"FluidR3_GM.sf2", 0.7F},
    {"TimGM6mb.sf2", 1.2F},
};

constexpr float kUnknownSoundFontGain = 0.7F;

}  // namespace

float synthGainFor(const std::filesystem::path& soundFont) {
    std::error_code error;
    // The distribution's default is a link; its target names the actual set.
    auto resolved = std::filesystem::canonical(soundFont, error);
    if (error) resolved = soundFont;
    const auto name = resolved.filename().string();
    for (const auto& known : kKnownSoundFonts) {
        if (known.fileName == name) return known.gain;
    }
    return kUnknownSoundFontGain;
}

}  // namespace tonvel
