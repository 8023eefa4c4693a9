#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace tonvel {

struct SynthConfig {
    double sampleRate = 48000.0;
    // Audio buffering, read when an audio driver is created for this synthesizer.
    // FluidSynth's PulseAudio stream buffers one period: 512 frames is 10.7 ms. With
    // 256 or 128 frames a PulseAudio without real-time scheduling drops out audibly.
    int periodSize = 512;
    int periods = 2;
    float gain = 0.5F;
};

// A FluidSynth instance with one SoundFont loaded, with no audio output of its own:
// an audio driver can be attached to it, or it can be rendered offline.
class SynthEngine {
  public:
    // Null when the SoundFont cannot be loaded.
    static std::unique_ptr<SynthEngine> create(const std::filesystem::path& soundFont,
                                               const SynthConfig& config);
    ~SynthEngine();
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    // Plays one channel message; the caller has checked it (isSendableShortMessage).
    void play(uint32_t message);
    // Cuts every voice at once and resets controllers, programs and the effects, so
    // nothing from before is heard when output resumes. Only while no audio driver is
    // attached.
    void silence();

    // Renders frames of interleaved stereo. Only while no audio driver is attached.
    std::vector<float> renderInterleaved(int frames);

    int soundFontCount() const;
    fluid_settings_t* settings() const { return settings_; }
    fluid_synth_t* synth() const { return synth_; }

  private:
    SynthEngine(fluid_settings_t* settings, fluid_synth_t* synth);

    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
};

}  // namespace tonvel
