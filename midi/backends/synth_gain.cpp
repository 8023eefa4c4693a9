#include "midi/backends/synth_gain.h"

#include <string_view>
#include <system_error>

namespace tonvel {
namespace {

struct KnownSoundFont {
    std::string_view fileName;
    float gain;
};

// Measured offline at 48 kHz, velocity 127, piano on channel 0: the gain brings the
// loudest ten-note chord with kick, snare, hi-hat and crash to about -1 dBFS.
constexpr KnownSoundFont kKnownSoundFonts[] = {
    {"FluidR3_GM.sf2", 0.5F},
    {"TimGM6mb.sf2", 0.6F},
};

constexpr float kUnknownSoundFontGain = 0.5F;

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
