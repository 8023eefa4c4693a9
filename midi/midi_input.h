#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tonvel {

// A program or device that sends MIDI and can be connected to our input port.
struct MidiSource {
    std::string name;  // as the menu shows it and the settings keep it
    bool hardware = false;
    bool connected = false;
};

// What came in, in the order it came.
struct MidiInputEvent {
    enum class Kind : uint8_t {
        Message,         // a channel message from `source`
        SourceGone,      // `source` sends no more: unplugged, or disconnected from our port
        SourcesChanged,  // a source appeared or went away: time to look at sources() again
    };
    Kind kind = Kind::Message;
    // The same for a source's messages and its SourceGone, for as long as it stays connected.
    uint16_t source = 0;
    // Packed as MidiSystem::sendShortMessage takes it: status | data1 << 8 | data2 << 16.
    uint32_t message = 0;
};

// The platform's MIDI input service: our input port, named after the program, on every MIDI
// system there is, and the sources that can be connected to it.
class MidiInput {
  public:
    virtual ~MidiInput() = default;

    // Every source except our own ports, hardware and software.
    virtual std::vector<MidiSource> sources() = 0;
    // Connects a source to our port, or disconnects it, by name. False when it is gone or
    // refuses.
    virtual bool connect(const std::string& name, bool connected) = 0;
    // Takes what came in since the last call; never blocks. From the window's thread.
    virtual void poll(std::vector<MidiInputEvent>& events) = 0;
};

}  // namespace tonvel
