#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "midi/synth/peak_limiter.h"
#include "midi/synth/sound_source.h"

namespace tonvel {

struct SynthConfig {
    double sampleRate = 48000.0;
    float gain = 0.7F;
    // The output limiter's ceiling, about -1 dBFS.
    float ceiling = 0.89F;
    // Keeps in memory only the samples of the programs the channels have selected: a full
    // General MIDI set holds some 150 MB, of which a player uses a few. A program's samples are
    // read at its program change, not at its first note.
    bool samplesOnDemand = true;
};

// A FluidSynth instance with one SoundFont loaded, with no audio output of its own:
// an audio driver can be attached to it, or it can be rendered offline.
class SynthEngine : public SoundSource {
  public:
    // Null when the SoundFont cannot be loaded.
    static std::unique_ptr<SynthEngine> create(const std::filesystem::path& soundFont,
                                               const SynthConfig& config);
    ~SynthEngine() override;
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    // Plays one channel message; the caller has checked it (isSendableShortMessage).
    void play(uint32_t message);
    // Cuts every voice at once and resets controllers, programs and the effects, so
    // nothing from before is heard when output resumes. Only while no audio driver is
    // attached.
    void silence();
    // Cuts every voice and resets the synthesizer like silence(), from the next block
    // an attached audio driver renders.
    void cutAllSound();

    // Renders frames of interleaved stereo. Only while no audio driver is attached.
    std::vector<float> renderInterleaved(int frames);
    // Renders for an audio driver, on its thread.
    void render(int frames, float* left, float* right) override;
    void cutVoices() override;

    int soundFontCount() const;
    double sampleRate() const override { return sampleRate_; }
    fluid_settings_t* settings() const { return settings_; }
    fluid_synth_t* synth() const { return synth_; }

  private:
    SynthEngine(fluid_settings_t* settings, fluid_synth_t* synth, const SynthConfig& config);

    struct Program {
        int soundFont;
        int bank;
        int number;
        auto operator<=>(const Program&) const = default;
    };

    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    std::set<Program> pinned_;
    double sampleRate_;
    PeakLimiter limiter_;
};

}  // namespace tonvel
