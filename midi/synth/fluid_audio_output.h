#pragma once

#include <fluidsynth.h>

#include <string>
#include <vector>

#include "midi/synth/audio_buffering.h"
#include "midi/synth/audio_output.h"
#include "midi/synth/render_thread.h"

namespace tonvel {

// Audio through FluidSynth's own drivers, the first that starts winning. The JACK driver is
// tried only when a JACK server runs. The thread that renders is raised to real-time priority
// where the system allows it (see raiseToRealtime).
class FluidAudioOutput : public AudioOutput {
  public:
    explicit FluidAudioOutput(std::vector<std::string> drivers, AudioBuffering buffering = {});
    ~FluidAudioOutput() override;
    FluidAudioOutput(const FluidAudioOutput&) = delete;
    FluidAudioOutput& operator=(const FluidAudioOutput&) = delete;

    bool start(SynthEngine& engine) override;
    void stop() override;
    AudioStatus status() const override;

    // Empty while stopped.
    const std::string& activeDriver() const { return activeDriver_; }

    // What the driver's thread calls; public for the driver's C callback only.
    struct Renderer {
        SynthEngine* engine = nullptr;
        RenderThread thread;
    };

  private:
    AudioBuffering buffering_;
    std::vector<std::string> drivers_;
    fluid_audio_driver_t* driver_ = nullptr;
    std::string activeDriver_;
    Renderer renderer_;
    int period_ = 0;
    bool realTime_ = false;
};

}  // namespace tonvel
