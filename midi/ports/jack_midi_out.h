#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/midi_system.h"

namespace tonvel {

// The MIDI input ports of other JACK clients, by full name; those of `ownClient` left out.
// Empty when no server answers.
std::vector<std::string> jackMidiInputPorts(const std::string& ownClient);

// A JACK client with one MIDI output port, connected to another client's input. Messages go
// through a lock-free ring to the process callback; what does not fit into a period's buffer
// waits there for the next period instead of being lost, and a close waits until a cycle has
// carried everything sent.
class JackMidiOut {
  public:
    JackMidiOut() = default;
    ~JackMidiOut();
    JackMidiOut(const JackMidiOut&) = delete;
    JackMidiOut& operator=(const JackMidiOut&) = delete;

    // Registers `clientName`:Output and connects it to `target`. False when no server answers or
    // the target is gone, unless `mayWait`: the output then opens and connects once the target
    // is back (see watchTarget).
    bool open(const std::string& clientName, const std::string& target, bool mayWait = false);
    // Waits (a few periods, `limit` at most) for what was sent to leave, then lets go.
    void close(std::chrono::milliseconds limit = std::chrono::milliseconds(250));
    bool isOpen() const { return client_ != nullptr; }

    // One thread at a time. Busy when the ring is full: the cycles have not kept up.
    SendResult send(const uint8_t* bytes, size_t size);
    // Whether every message sent so far has left in a cycle that has ended. Waits up to `limit`.
    bool drain(std::chrono::milliseconds limit);

    enum class TargetChange { None, Gone, Back };
    // Looks whether the target's client went away or came back since the last look, and
    // connects to it again when it is back. From the thread that opens and closes; a look at
    // the server's shared graph, and one request to it when the target is back.
    TargetChange watchTarget();
    bool targetPresent() const { return targetPresent_; }

  private:
    static int onProcess(jack_nframes_t frames, void* self);
    static void onShutdown(void* self);
    int process(jack_nframes_t frames);

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* ring_ = nullptr;
    std::atomic<uint64_t> written_{0};  // events put into the ring
    std::atomic<uint64_t> carried_{0};  // events the process callback has put into a period
    std::atomic<uint64_t> cycles_{0};
    std::atomic<bool> gone_{false};  // the server shut the client down
    std::string target_;
    bool targetPresent_ = false;
};

}  // namespace tonvel
