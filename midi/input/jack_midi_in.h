#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/input/input_signal.h"
#include "midi/jack/jack_client.h"
#include "midi/midi_input.h"
#include "midi/realtime/spsc_ring.h"

namespace tonvel {

// Our input on JACK: the port "Input" of the program's client, that anyone may connect to, and
// one more port of its own for each source we connect, so that each message is known by where
// it came from. Messages at "Input" carry an id of their own, ended (as for a private port)
// whenever one of its connections goes. The process callback hands what arrives to the window
// through a lock-free ring, and ends a source there after its last message; what is connected
// to our ports it learns from JACK's connection callbacks, never by asking inside the cycle.
// It never starts a server: one that starts later is attached at the next sources() call.
class JackMidiIn : public JackPart {
  public:
    static constexpr uint16_t kPublicId = 0x8000;

    JackMidiIn(std::string programName, const InputSignal& signal);
    ~JackMidiIn() override;
    JackMidiIn(const JackMidiIn&) = delete;
    JackMidiIn& operator=(const JackMidiIn&) = delete;

    // Opens our client when a server runs and none is open yet. From the window's thread, as
    // all the rest.
    bool attach();
    std::vector<MidiSource> sources();
    // False when no source has that name, or JACK refuses.
    bool connect(const std::string& name, bool connected);
    void takeEvents(std::vector<MidiInputEvent>& events);
    // Messages the window did not take in time, lost.
    uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

    void process(jack_nframes_t frames) override;
    void connection(jack_port_id_t a, jack_port_id_t b, bool made) override;
    void registration(jack_port_id_t port, bool registered) override;
    void shutdown() override;

  private:
    // Free: no port. Listening: a port the window connects, or "Input". Retired: its source
    // went; the window lets the port go once it has taken the end.
    enum State : int { Free, Listening, Retired };
    struct Slot {
        // Set by the window's thread while the slot is Free, before it turns Listening.
        std::atomic<jack_port_t*> port{nullptr};
        uint16_t id = 0;
        std::atomic<int> state{Free};
        // From the notification thread: connections now, and how many were broken so far.
        std::atomic<int> links{0};
        std::atomic<uint32_t> breaks{0};
        uint32_t breaksTold = 0;  // the process callback's
    };
    static constexpr size_t kSlots = 33;  // [0] is "Input"

    void detach();
    bool connectedToUs(const std::string& name) const;
    // Takes a Free slot into use with a new port; null when JACK refuses.
    Slot* listen(size_t index, const std::string& portName, uint16_t id);
    // Lets the slot's port go; a Listening slot waits for the cycle under way first.
    void free(Slot& slot);

    std::string programName_;
    const InputSignal& signal_;
    std::shared_ptr<JackClient> client_;
    std::array<Slot, kSlots> slots_;
    uint16_t nextId_ = kPublicId + 1;
    SpscRing<MidiInputEvent, 8192> ring_;
    std::atomic<uint64_t> dropped_{0};
    std::atomic<bool> sourcesChanged_{false};
    std::atomic<bool> shutDown_{false};
};

}  // namespace tonvel
