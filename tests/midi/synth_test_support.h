#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "midi/synth/audio_output.h"
#include "midi/synth/soundfont_locator.h"
#include "midi/synth/synth_engine.h"

namespace tonvel::testing {

inline const std::filesystem::path kSystemSoundFonts = "/usr/share/sounds/sf2";

inline float peakOf(const std::vector<float>& samples) {
    float peak = 0.0F;
    for (float s : samples) peak = std::max(peak, std::fabs(s));
    return peak;
}

inline double dbfs(float peak) {
    return 20.0 * std::log10(peak);
}

// Above FluidSynth's idle floor (about 3e-8) and far below any audible note.
inline constexpr float kSilence = 1e-5F;

inline constexpr uint32_t noteOn(int channel, int note, int velocity) {
    return 0x90 + channel + note * 0x100 + velocity * 0x10000;
}
inline constexpr uint32_t noteOff(int channel, int note) {
    return 0x80 + channel + note * 0x100;
}
inline constexpr uint32_t programChange(int channel, int program) {
    return 0xC0 + channel + program * 0x100;
}

// An audio output that accepts or refuses as told and carries no sound anywhere,
// so the synthesizer can be opened and still be rendered offline.
class FakeAudioOutput : public AudioOutput {
  public:
    struct Log {
        int starts = 0;
        int stops = 0;
        bool accept = true;
    };

    explicit FakeAudioOutput(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    bool start(SoundSource&) override {
        ++log_->starts;
        return log_->accept;
    }
    void stop() override { ++log_->stops; }

  private:
    std::shared_ptr<Log> log_;
};

inline SoundFontSearch onlySoundFont(const char* fileName) {
    return {kSystemSoundFonts, {fileName}};
}

inline bool haveSoundFont(const char* fileName) {
    return std::filesystem::is_regular_file(kSystemSoundFonts / fileName);
}

}  // namespace tonvel::testing
