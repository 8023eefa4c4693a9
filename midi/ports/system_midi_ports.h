#pragma once

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/midi_system.h"
#include "midi/ports/jack_midi_out.h"

namespace tonvel {

struct SystemMidiPort {
    RtMidi::Api api;
    std::string name;
};

// The MIDI input ports of other programs and devices, reached through the ALSA
// sequencer (RtMidi, which sends each message at once) and, when a server runs, JACK (a
// client of our own, which loses nothing in a burst and waits for a cycle at a close). No
// RtMidi exception gets out.
class SystemMidiPorts {
  public:
    // Ports of our own client (clientName) are never listed.
    explicit SystemMidiPorts(std::string clientName = "Tonvel");
    ~SystemMidiPorts();
    SystemMidiPorts(const SystemMidiPorts&) = delete;
    SystemMidiPorts& operator=(const SystemMidiPorts&) = delete;

    // ALSA ports first, then JACK ports. Empty when neither service is there.
    std::vector<SystemMidiPort> enumerate();
    // Finds the port by name again, as ports come and go. False when it is gone or
    // refuses the connection.
    bool open(const SystemMidiPort& port);
    // Lets go once what was sent has left.
    void close();
    bool isOpen() const { return openOut_ != nullptr || jackOut_.isOpen(); }
    // A JACK port places the message at the frame of `due`, one period on; the sequencer sends
    // it at once.
    SendResult send(const uint8_t* bytes, size_t size,
                    std::chrono::steady_clock::time_point due = std::chrono::steady_clock::now());

  private:
    RtMidiOut* outputFor(RtMidi::Api api);
    void appendPorts(RtMidi::Api api, std::vector<SystemMidiPort>& ports);
    static void noteError(RtMidiError::Type type, const std::string& text, void* self);

    std::string clientName_;
    std::unique_ptr<RtMidiOut> alsa_;
    RtMidiOut* openOut_ = nullptr;
    JackMidiOut jackOut_;
    // Set by RtMidi's error callback; with a callback installed RtMidi reports
    // failures there instead of throwing.
    bool failed_ = false;
};

}  // namespace tonvel
