#pragma once

#include <memory>
#include <vector>

#include "midi/synth/audio_buffering.h"
#include "midi/synth/audio_output.h"

namespace tonvel {

// Several ways to the speakers, the first that starts carrying the sound.
class AudioOutputChain : public AudioOutput {
  public:
    explicit AudioOutputChain(std::vector<std::unique_ptr<AudioOutput>> outputs);
    // A JACK server's own period when one runs, since it then owns the sound card; else a
    // PipeWire server's own stream, in its cycle; else the PulseAudio server; else ALSA
    // directly.
    static std::unique_ptr<AudioOutputChain> systemDefault(const AudioBuffering& buffering);

    bool start(SynthEngine& engine) override;
    void stop() override;
    AudioStatus status() const override;

  private:
    std::vector<std::unique_ptr<AudioOutput>> outputs_;
    AudioOutput* active_ = nullptr;
};

}  // namespace tonvel
