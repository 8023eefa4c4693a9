#pragma once

#include <memory>
#include <optional>
#include <string>

#include "midi/midi_system.h"
#include "midi/ports/system_midi_ports.h"
#include "midi/synth/builtin_synth.h"
#include "midi/synth/sound_options.h"

namespace tonvel {

// The MIDI outputs of this machine: device -1 is the built-in synthesizer, 0..N-1 the
// system ports of the list the last outputNames() call returned. Never throws.
class PlatformMidiSystem : public MidiSystem {
  public:
    // The built-in synthesizer with the distribution's SoundFont (or the one chosen) and sound
    // through FluidSynth's drivers, and the ALSA and JACK ports.
    explicit PlatformMidiSystem(const SoundOptions& options = {});
    PlatformMidiSystem(std::unique_ptr<BuiltinSynth> synth, std::unique_ptr<SystemMidiPorts> ports);
    ~PlatformMidiSystem() override;

    std::vector<std::string> outputNames() override;
    bool open(int deviceNumber) override;
    void close() override;
    bool sendShortMessage(uint32_t message) override;
    SendResult trySend(uint32_t message) override;
    SendResult trySendAt(uint32_t message, std::chrono::steady_clock::time_point due) override;
    void prepare(uint32_t message) override;

    BuiltinSynth& builtinSynth() { return *synth_; }
    // What the sound's threads met since the last call, told once each: a dropout that made
    // the audio period grow. From the window's thread.
    std::optional<std::string> report();

  private:
    std::unique_ptr<BuiltinSynth> synth_;
    std::unique_ptr<SystemMidiPorts> ports_;
    std::vector<SystemMidiPort> listedPorts_;
    int reportedPeriod_ = 0;
};

}  // namespace tonvel
