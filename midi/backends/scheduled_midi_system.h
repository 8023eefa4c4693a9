#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "midi/midi_system.h"

namespace tonvel {

// A MIDI output whose messages can leave at a set time rather than at once. The window's
// thread works out a rhythm step a little before it is due and hands its messages over with
// the step's time; a thread of this output sends them at that time, so that a busy window
// thread no longer shifts the beat. Messages sent outside a timed stretch leave at once, as
// before. Every call on the output below, from either thread, is made under one lock.
class ScheduledMidiSystem : public MidiSystem {
  public:
    using Clock = std::chrono::steady_clock;

    explicit ScheduledMidiSystem(MidiSystem& output);
    ~ScheduledMidiSystem() override;
    ScheduledMidiSystem(const ScheduledMidiSystem&) = delete;
    ScheduledMidiSystem& operator=(const ScheduledMidiSystem&) = delete;

    std::vector<std::string> outputNames() override;
    bool open(int deviceNumber) override;
    void close() override;
    // Inside a timed stretch the message waits for its time, and the answer is whether it
    // could be queued.
    bool sendShortMessage(uint32_t message) override;

    // Messages sent from now until endTimed() leave at `when`; `source` is the timer whose
    // tick sends them.
    void beginTimed(Clock::time_point when, const void* source);
    void endTimed();
    // Forgets the messages of `source` still waiting: a rhythm that stops plays nothing more.
    void dropTimed(const void* source) override;

    // Sends what is due by `now`; the thread calls it, tests may too. Returns the time the
    // next message is due, if any.
    std::optional<Clock::time_point> sendDue(Clock::time_point now);
    // With startThread false, for tests: messages wait until sendDue() is called.
    ScheduledMidiSystem(MidiSystem& output, bool startThread);

    // Whether the sending thread runs at real-time priority (once it has asked for it).
    bool realTime() const { return realTime_; }

  private:
    void run();

    MidiSystem& output_;
    std::mutex outputLock_;  // every call on output_

    std::mutex queueLock_;  // what follows
    std::condition_variable changed_;
    struct Waiting {
        uint32_t message;
        const void* source;
    };
    std::multimap<Clock::time_point, Waiting> pending_;
    std::optional<Clock::time_point> timedAt_;
    const void* timedSource_ = nullptr;
    bool stopping_ = false;

    std::atomic<bool> realTime_{false};
    std::thread sender_;
};

}  // namespace tonvel
