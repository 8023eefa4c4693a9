#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/input/input_signal.h"
#include "midi/realtime/spsc_ring.h"
#include "midi/midi_input.h"

namespace tonvel {

// Our input on JACK: a client named after the program with the port "Input" that anyone may
// connect to, and one more port of its own for each source we connect, so that each message
// is known by where it came from. Messages at "Input" carry an id of their own, ended (as for
// a private port) whenever one of its connections goes. The process callback hands what
// arrives to the window through a lock-free ring. It never starts a server: one that starts
// later is attached at the next sources() call.
class JackMidiIn {
  public:
    static constexpr uint16_t kPublicId = 0x8000;

    JackMidiIn(std::string programName, const InputSignal& signal);
    ~JackMidiIn();
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

  private:
    enum State : int { Free, Starting, Live, Closing, Retired };
    struct Slot {
        // Set by the window's thread while the slot is Free, before it turns Starting.
        jack_port_t* port = nullptr;
        uint16_t id = 0;
        std::chrono::steady_clock::time_point since;
        std::atomic<int> state{Free};
        int connections = 0;  // the process callback's
    };
    static constexpr size_t kSlots = 33;  // [0] is "Input"

    static int onProcess(jack_nframes_t frames, void* self);
    static void onRegistration(jack_port_id_t port, int registered, void* self);
    static void onShutdown(void* self);
    int process(jack_nframes_t frames);
    void detach();
    bool connectedToUs(const std::string& name) const;
    // Lets go of a slot the caller has turned from Starting to Closing.
    void release(Slot& slot);
    void waitForCycle();

    std::string programName_;
    const InputSignal& signal_;
    jack_client_t* client_ = nullptr;
    std::array<Slot, kSlots> slots_;
    uint16_t nextId_ = kPublicId + 1;
    SpscRing<MidiInputEvent, 8192> ring_;
    std::atomic<uint64_t> cycles_{0};
    std::atomic<uint64_t> dropped_{0};
    std::atomic<bool> sourcesChanged_{false};
    std::atomic<bool> shutDown_{false};
};

}  // namespace tonvel
