#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "midi/realtime/spsc_ring.h"
#include "midi/realtime/wakeup.h"
#include "midi/midi_system.h"

namespace tonvel {

// The one way messages reach the output. The window's thread hands every message over through
// a lock-free ring; a thread of this output, the only one that sends, delivers them in order:
// at once, or at a set time for a rhythm step or a played-back message worked out a little
// ahead. It knows which notes are sounding, so that
// - a stop (dropTimed) forgets what its source still had waiting, but lets its note-offs leave
//   at once, before anything handed over after it;
// - a close ends every sounding note on the output that played it, then lets the output go;
// - an output that cannot keep up (a JACK period is full) keeps the rest for later, and when
//   even the waiting room is full, note-offs are kept before anything else.
// The sending thread never waits on the window's thread, never allocates and never prints:
// what went wrong is counted and told by report(), from the window's thread.
class ScheduledMidiSystem : public MidiSystem {
  public:
    using Clock = std::chrono::steady_clock;

    explicit ScheduledMidiSystem(MidiSystem& output);
    // With startThread false, for tests: nothing leaves until sendDue() is called, except that
    // a message sent outside a timed stretch leaves at once.
    ScheduledMidiSystem(MidiSystem& output, bool startThread);
    ~ScheduledMidiSystem() override;
    ScheduledMidiSystem(const ScheduledMidiSystem&) = delete;
    ScheduledMidiSystem& operator=(const ScheduledMidiSystem&) = delete;

    // These four from one thread, the window's.
    std::vector<std::string> outputNames() override;
    bool open(int deviceNumber) override;
    void close() override;
    // True when the message was handed over, which needs an open output.
    bool sendShortMessage(uint32_t message) override;

    // Messages sent from now until endTimed() leave at `when`; `source` is the timer whose
    // tick sends them.
    void beginTimed(Clock::time_point when, const void* source);
    void endTimed();
    // Forgets what `source` still has waiting for after `after` but its note-offs, which leave
    // at once.
    void dropTimed(const void* source, Clock::time_point after) override;

    // The thread's work, once, as of `now`: tests call it when there is no thread. Returns the
    // time the next message is due, if any.
    std::optional<Clock::time_point> sendDue(Clock::time_point now);

    // Whether the sending thread runs at real-time priority (once it has asked for it).
    bool realTime() const { return realTime_; }

    // What was lost since the start, once: empty when nothing was, or when it was told before.
    std::optional<std::string> report();

    static constexpr size_t kWaitingRoom = 1 << 16;

  private:
    enum class Kind : uint8_t { Send, Drop, Pause, Detach, Attach, Stop };
    struct Command {
        Kind kind = Kind::Send;
        bool timed = false;
        uint32_t message = 0;
        Clock::time_point when{};
        const void* source = nullptr;
    };
    struct Waiting {
        Clock::time_point when;
        uint64_t order;
        uint32_t message;
        const void* source;
    };

    void hand(const Command& command);
    void fence(Kind kind);
    void wake();
    void run();
    // The sending thread's side.
    bool take(const Command& command, Clock::time_point now);
    std::optional<Clock::time_point> deliverDue(Clock::time_point now);
    void wait(Clock::time_point now, uint32_t seen);
    bool flushOwed();
    bool deliver(uint32_t message);
    void endAllNotes();
    void owe(uint32_t message);
    void dropStale(Clock::time_point now);

    MidiSystem& output_;

    // The window's thread's side.
    bool outputOpen_ = false;
    std::optional<Clock::time_point> timedAt_;
    const void* timedSource_ = nullptr;
    bool reported_ = false;

    // Between the two.
    std::unique_ptr<SpscRing<Command, 1 << 14>> ring_ = std::make_unique<SpscRing<Command, 1 << 14>>();
    Wakeup wakeUp_;
    std::atomic<uint64_t> fencesHanded_{0};
    std::atomic<uint64_t> fencesDone_{0};
    std::atomic<uint64_t> dropped_{0};  // messages that could not wait any more
    std::atomic<uint64_t> refused_{0};  // messages the output refused

    // The sending thread's side.
    bool delivering_ = false;  // the output is open
    std::vector<Waiting> waiting_;  // a heap, earliest first; its room is made once
    uint64_t order_ = 0;
    std::optional<Clock::time_point> retryAt_;  // the output was full
    std::bitset<16 * 128> sounding_;
    std::bitset<16 * 128> owed_;  // note-offs that found no room, sent before anything else
    bool stopping_ = false;
    bool threaded_ = false;
    Clock::time_point lastNow_ = Clock::time_point::min();

    std::atomic<bool> realTime_{false};
    std::thread sender_;
};

}  // namespace tonvel
