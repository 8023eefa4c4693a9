#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "midi/midi_system.h"
#include "midi/realtime/spsc_ring.h"
#include "midi/realtime/wakeup.h"
#include "midi/sender/send_order.h"

namespace tonvel {

// The one way messages reach the output. The window's thread hands every message over through
// a lock-free ring; a thread of this output, the only one that sends, delivers them as
// SendOrder's rules say: at once, or at a set time for a rhythm step or a played-back message
// worked out a little ahead. The sending thread never waits on the window's thread, never
// allocates and never prints: what went wrong is counted and told by report(), from the
// window's thread.
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
    // On the window's thread, before the message is handed over.
    void prepare(uint32_t message) override { output_.prepare(message); }

    // Messages sent from now until endTimed() leave at `when`; `source` is the timer whose
    // tick sends them.
    void beginTimed(Clock::time_point when, const void* source);
    void endTimed();
    // Forgets what `source` still has waiting for after `after`, but its note-offs, which leave
    // at `after`, after everything of the source that stays.
    void dropTimed(const void* source, Clock::time_point after) override;

    // The thread's work, once, as of `now`: tests call it when there is no thread. Returns the
    // time there is work again, if any.
    std::optional<Clock::time_point> sendDue(Clock::time_point now);

    // Whether the sending thread runs at real-time priority (once it has asked for it).
    bool realTime() const { return realTime_; }

    // What was lost since the start, once: empty when nothing was, or when it was told before.
    std::optional<std::string> report();

    static constexpr size_t kWaitingRoom = 1 << 16;

  private:
    using Command = SendOrder::Command;

    void hand(const Command& command);
    void fence(Command::Kind kind);
    void run();
    void pump(Clock::time_point now);

    MidiSystem& output_;

    // The window's thread's side.
    bool outputOpen_ = false;
    std::optional<Clock::time_point> timedAt_;
    const void* timedSource_ = nullptr;
    bool reported_ = false;

    // Between the two.
    std::unique_ptr<SpscRing<Command, 1 << 14>> ring_ =
        std::make_unique<SpscRing<Command, 1 << 14>>();
    Wakeup wakeUp_;     // the sending thread's
    Wakeup fenceDone_;  // the window's, while it waits for a pause, a close or a resume
    std::atomic<uint64_t> fencesDone_{0};
    std::atomic<uint64_t> dropped_{0};  // messages the thread had no room for
    std::atomic<uint64_t> refused_{0};  // messages the output refused
    std::atomic<bool> quit_{false};
    uint64_t fencesHanded_ = 0;
    uint64_t handDropped_ = 0;  // messages the ring had no room for

    // The sending thread's side.
    SendOrder order_{kWaitingRoom};
    uint64_t fencesTaken_ = 0;
    bool threaded_ = false;
    Clock::time_point lastNow_ = Clock::time_point::min();

    std::atomic<bool> realTime_{false};
    std::thread sender_;
};

}  // namespace tonvel
