#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/controls.h"
#include "foundation/services.h"
#include "midi/midi_system.h"

namespace tonvel {

// The messages that choose `program` on `channel`: bank 0 (both bytes), then the program.
std::array<uint32_t, 3> programSelection(int channel, int program);

// The program's single connection to a MIDI output, and the only way messages leave.
class MidiOut {
  public:
    MidiOut(MidiSystem& system, Dialogs& dialogs) : system_(system), dialogs_(dialogs) {}

    int32_t midiDeviceId = 0;  // device-menu index: 0 built-in synth, k port k-1
    bool midiReady = false;

    // Fills `mnuDevice`: item 0 is the built-in synthesizer, then one item per port.
    void buildDeviceMenu(std::vector<MenuItem>& mnuDevice);
    void openMidiOut(std::vector<MenuItem>& mnuDevice);
    void closeMidiOut();

    // False when a value does not fit in a MIDI data byte (nothing is sent then) or when the
    // output refused the message.
    bool noteOn(int channel, int note, int velocity);
    bool noteOff(int channel, int note);
    bool selectProgram(int channel, int program);
    // Any channel message, packed as status | data1 << 8 | data2 << 16; false for what is not
    // one (system messages, data bytes above 127), and nothing is sent then; false too when the
    // output refused it.
    bool sendMessage(uint32_t message);
    // Forgets what the ticks of `source` handed over ahead of its time: a stopped timer.
    // What was due up to `after` is not forgotten: it left, or leaves however late.
    void dropTimed(const void* source, std::chrono::steady_clock::time_point after) {
        system_.dropTimed(source, after);
        if (onDropped) onDropped(source, after);
    }

    // Told of every message the output took, as it goes.
    std::function<void(uint32_t message)> onSent;
    std::function<void(const void* source, std::chrono::steady_clock::time_point after)> onDropped;

  private:
    bool send(int status, int channel, int data1, int data2);

    MidiSystem& system_;
    Dialogs& dialogs_;
    bool missingItemReported_ = false;
};

}  // namespace tonvel
