#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/synth/audio_buffering.h"
#include "midi/synth/audio_output.h"
#include "midi/synth/render_thread.h"

namespace tonvel {

// Audio through FluidSynth's own drivers, the first that starts winning. The JACK driver is
// tried only when a JACK server of JACK's own runs: PipeWire's libjack answers for PipeWire,
// whose own stream is the shorter way. The thread that renders is raised to real-time priority
// where the system allows it (see raiseToRealtime).
class FluidAudioOutput : public AudioOutput {
  public:
    // A driver that has not asked for sound this long has lost its server: FluidSynth's drivers
    // keep calling, at every period, for as long as their server runs.
    static constexpr std::chrono::milliseconds kSilentDriver{600};

    explicit FluidAudioOutput(std::vector<std::string> drivers, AudioBuffering buffering = {});
    ~FluidAudioOutput() override;
    FluidAudioOutput(const FluidAudioOutput&) = delete;
    FluidAudioOutput& operator=(const FluidAudioOutput&) = delete;

    bool start(SoundSource& source) override;
    void stop() override;
    AudioStatus status() const override;
    std::string serverName() const override;
    bool lost() const override;
    uint64_t server() const override;
    void setSilent(bool silent) override { renderer_.silent = silent; }

    // Empty while stopped.
    const std::string& activeDriver() const { return activeDriver_; }

    // What the driver's thread calls; public for the driver's C callback only.
    struct Renderer {
        SoundSource* source = nullptr;
        RenderThread thread;
        std::atomic<bool> silent{false};
        std::atomic<int64_t> lastCall{0};  // steady clock, nanoseconds
    };

  private:
    bool usesJack() const { return drivers_.size() == 1 && drivers_[0] == "jack"; }

    AudioBuffering buffering_;
    std::vector<std::string> drivers_;
    // The drivers' own: the synthesizer whose sound they carry may change under them.
    fluid_settings_t* settings_ = nullptr;
    fluid_audio_driver_t* driver_ = nullptr;
    std::string activeDriver_;
    Renderer renderer_;
    int period_ = 0;
    bool realTime_ = false;
    std::atomic<bool> running_{false};
    uint64_t startedServer_ = 0;  // server() at the start
};

}  // namespace tonvel
