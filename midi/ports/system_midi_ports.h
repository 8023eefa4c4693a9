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
    // refuses the connection, unless `mayWait` and it is a JACK port: it is then used once it
    // comes back (see watch).
    bool open(const SystemMidiPort& port, bool mayWait = false);
    // Lets go once what was sent has left.
    void close();
    bool isOpen() const { return openOut_ != nullptr || jackOut_.isOpen(); }
    // A JACK port places the message at the frame of `due`, one period on; the sequencer sends
    // it at once.
    SendResult send(const uint8_t* bytes, size_t size,
                    std::chrono::steady_clock::time_point due = std::chrono::steady_clock::now());
    // Whether the open port's client went away or came back since the last look; a JACK port
    // that is back is connected again. From the thread that opens and closes. The ALSA
    // sequencer's ports are not watched.
    JackMidiOut::TargetChange watch();
    // Open, and waiting for its port's client to come back.
    bool waitingForPort() const { return jackOut_.isOpen() && !jackOut_.targetPresent(); }

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
