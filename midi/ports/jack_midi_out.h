#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/jack/jack_client.h"
#include "midi/midi_system.h"
#include "midi/ports/sent_endings.h"

namespace tonvel {

// The MIDI input ports of other JACK clients, by full name; those of `ownClient` left out.
// Empty when no server answers.
std::vector<std::string> jackMidiInputPorts(const std::string& ownClient);

// Where an event due at frame `dueFrame` leaves in the cycle that starts at frame `cycleStart` and
// is `frames` long: what was due in the period before the cycle began leaves at the same place in
// this one, one period on; what was due earlier, at the cycle's start; what is due from the
// cycle's start on, in a later cycle (none).
std::optional<jack_nframes_t> frameInCycle(jack_nframes_t dueFrame, jack_nframes_t cycleStart,
                                           jack_nframes_t frames);

// The MIDI output port of the program's JACK client, connected to another client's input. Messages
// go through a lock-free ring to the process callback with the time they are due, and each leaves
// at its own frame one period after that time, so that the spacing of the times survives the
// periods; one that comes too late for its frame leaves at the start of the cycle. What does not
// fit into a period's buffer waits for the next period instead of being lost, and a close waits
// until a cycle has carried everything sent. After a cycle that came late, whose MIDI JACK may
// have dropped, the note-offs and pedal releases sent just before are sent again.
class JackMidiOut : public JackPart {
  public:
    JackMidiOut() = default;
    ~JackMidiOut() override;
    JackMidiOut(const JackMidiOut&) = delete;
    JackMidiOut& operator=(const JackMidiOut&) = delete;

    // Registers `clientName`:Output and connects it to `target`. False when no server answers or
    // the target is gone, unless `mayWait`: the output then opens and connects once the target
    // is back (see watchTarget). The client is the one our MIDI input uses, when it has one.
    bool open(const std::string& clientName, const std::string& target, bool mayWait = false);
    // Waits (a few periods, `limit` at most) for what was sent to leave, then lets go.
    void close(std::chrono::milliseconds limit = std::chrono::milliseconds(250));
    bool isOpen() const { return port_ != nullptr; }

    // One thread at a time. Busy when the ring is full: the cycles have not kept up.
    SendResult send(const uint8_t* bytes, size_t size,
                    std::chrono::steady_clock::time_point due = std::chrono::steady_clock::now());
    // Whether every message sent so far has left in a cycle that has ended. Waits up to `limit`.
    bool drain(std::chrono::milliseconds limit);

    enum class TargetChange { None, Gone, Back };
    // Looks whether the target's client went away or came back since the last look, and
    // connects to it again when it is back. From the thread that opens and closes; a look at
    // the server's shared graph, and one request to it when the target is back.
    TargetChange watchTarget();
    bool targetPresent() const { return targetPresent_; }

    void process(jack_nframes_t frames) override;
    void xrun() override;
    void shutdown() override;

  private:
    std::shared_ptr<JackClient> client_;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* ring_ = nullptr;
    std::atomic<uint64_t> written_{0};  // events put into the ring
    std::atomic<uint64_t> carried_{0};  // events the process callback has put into a period
    std::atomic<uint64_t> cycles_{0};
    std::atomic<bool> gone_{false};  // the server shut the client down
    std::atomic<bool> lost_{false};  // a cycle was late: its MIDI may not have arrived
    SentEndings endings_;            // the process callback's
    std::string target_;
    bool targetPresent_ = false;
};

}  // namespace tonvel
