#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/midi_system.h"
#include "midi/ports/system_midi_ports.h"
#include "midi/synth/audio_output_chain.h"
#include "midi/synth/builtin_synth.h"
#include "midi/synth/sound_options.h"
#include "midi/synth/soundfont_choice.h"

namespace tonvel {

// The MIDI outputs of this machine: device -1 is the built-in synthesizer, 0..N-1 the
// system ports of the list the last outputNames() call returned. Never throws.
class PlatformMidiSystem : public MidiSystem {
  public:
    // The built-in synthesizer with the distribution's SoundFont (or the one chosen) and sound
    // through FluidSynth's drivers, and the ALSA and JACK ports.
    explicit PlatformMidiSystem(const SoundOptions& options = {});
    PlatformMidiSystem(std::unique_ptr<BuiltinSynth> synth, std::unique_ptr<SystemMidiPorts> ports,
                       AudioOutputChain* chain = nullptr);
    ~PlatformMidiSystem() override;

    std::vector<std::string> outputNames() override;
    bool open(int deviceNumber) override;
    void close() override;
    bool sendShortMessage(uint32_t message) override;
    SendResult trySend(uint32_t message) override;
    SendResult trySendAt(uint32_t message, std::chrono::steady_clock::time_point due) override;
    void prepare(uint32_t message) override;

    BuiltinSynth& builtinSynth() { return *synth_; }
    // The player's choice of the built-in synthesizer's SoundFont and effects.
    SoundFontChoice& soundChoice() { return *choice_; }
    // What the sound's threads met since the last call, told once each: a dropout that made
    // the audio period grow. From the window's thread.
    std::optional<std::string> report();
    // What became of the outputs since the last call, told once each: a sound server that went
    // away and the one that carries the sound now, a port whose client went away or came back
    // (and is used again). From the window's thread, which this never holds up for long.
    std::vector<OutputNews> news();
    // Whether the port in use is there; false while its client is away. The built-in
    // synthesizer is always there, whichever server carries its sound.
    bool outputPresent() const { return !inUseGone_; }

  private:
    std::unique_ptr<BuiltinSynth> synth_;
    std::unique_ptr<SoundFontChoice> choice_;
    std::unique_ptr<SystemMidiPorts> ports_;
    AudioOutputChain* chain_ = nullptr;  // the synthesizer's, when this made it
    std::vector<SystemMidiPort> listedPorts_;
    std::optional<SystemMidiPort> inUse_;  // the port last opened
    bool inUseGone_ = false;               // its client is away
    bool toldGone_ = false;
    int reportedPeriod_ = 0;
    std::string reportedDriver_;
};

}  // namespace tonvel
