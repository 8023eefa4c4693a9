#pragma once

#include <fluidsynth.h>

#include <string>
#include <vector>

#include "midi/backends/audio_output.h"

namespace tonvel {

// Audio through FluidSynth's own drivers, the first that starts winning.
class FluidAudioOutput : public AudioOutput {
  public:
    // PulseAudio first: PipeWire desktops serve it too, and it shares the device.
    static std::vector<std::string> defaultDrivers() { return {"pulseaudio", "alsa", "jack"}; }

    explicit FluidAudioOutput(std::vector<std::string> drivers = defaultDrivers());
    ~FluidAudioOutput() override;
    FluidAudioOutput(const FluidAudioOutput&) = delete;
    FluidAudioOutput& operator=(const FluidAudioOutput&) = delete;

    bool start(SynthEngine& engine) override;
    void stop() override;

    // Empty while stopped.
    const std::string& activeDriver() const { return activeDriver_; }

  private:
    std::vector<std::string> drivers_;
    fluid_audio_driver_t* driver_ = nullptr;
    std::string activeDriver_;
};

}  // namespace tonvel
