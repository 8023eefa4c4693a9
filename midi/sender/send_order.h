#pragma once

#include <bitset>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "midi/midi_system.h"

namespace tonvel {

// The sending thread's rules, with no thread and no clock of their own: what waits, what is
// due, what a stop forgets and what it keeps, what a close ends, what a pause keeps. The thread
// hands it the window's commands with the time, asks for the next message to offer the output
// and tells it what became of that message.
//
// What it promises, whatever the times it is given:
// - messages leave in the order of their due time, and among equal times in the order handed;
//   a message sent at once is due when it was handed;
// - a stop forgets what its source handed for after the stop's time, but never a note-off:
//   those leave at the stop's time, after everything the source kept; and nothing sent at once
//   after a stop leaves before that stop's time (a stop a tick works out ahead is in the future);
// - no note-off is ever dropped, stale, crowded out or forgotten;
// - a pause sends what was due when it was asked for, then holds everything;
// - a close sends what was due when it was asked for, then ends every note that left since
//   the output was opened, whether or not it was ended since;
// - after a pause, a note-on that has gone stale is not worth playing and is forgotten.
// Nothing here allocates once made: the thread that runs it is a real-time one.
class SendOrder {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Command {
        enum class Kind : uint8_t { Send, Stop, Pause, Resume, Close };
        Kind kind = Kind::Send;
        uint32_t message = 0;
        // Send: when the message is due; Stop: what was due up to here is kept.
        TimePoint due{};
        // When the window handed the command over.
        TimePoint at{};
        // The timer whose ticks sent it; none for a message sent at once.
        const void* source = nullptr;
    };

    // A note-on this much older than the end of a pause is no longer worth playing.
    static constexpr auto kStale = std::chrono::milliseconds(100);
    // A pause or a close gives a full output this long to take what it must.
    static constexpr auto kGrace = std::chrono::milliseconds(200);
    // A stop's time further ahead than this is taken as this far ahead.
    static constexpr auto kFarthestStop = std::chrono::seconds(1);
    // How soon a full output is offered the rest again: about a JACK period.
    static constexpr auto kRetry = std::chrono::milliseconds(1);

    // `room`: how many messages may wait at once. Starts closed, as the output does.
    explicit SendOrder(size_t room);

    void take(const Command& command);

    // The message to offer the output now, if any. Each one offered must be answered with
    // result() before the next is asked for.
    std::optional<uint32_t> next(TimePoint now);
    // When the message next() offered was due.
    TimePoint offeredDue() const;
    void result(SendResult result);

    // When next() may have something again, if nothing comes in before.
    std::optional<TimePoint> wakeAt() const;
    // No pause or close is under way: a window waiting on one may go on.
    bool settled() const { return mode_ != Mode::Pausing && mode_ != Mode::Closing; }
    bool delivering() const { return mode_ == Mode::Delivering; }

    // Messages given up because there was no room for them, and messages the output refused.
    uint64_t dropped() const { return dropped_; }
    uint64_t refused() const { return refused_; }
    size_t waiting() const { return waiting_.size(); }

  private:
    static constexpr size_t kNotes = 16 * 128;
    enum class Mode : uint8_t { Delivering, Pausing, Closing, Held, Closed };
    struct Entry {
        TimePoint due;
        uint64_t order;
        uint32_t message;
        const void* source;
    };
    enum class Offered : uint8_t { Nothing, Waiting, Owed };

    void file(uint32_t message, TimePoint due, const void* source);
    void stop(const void* source, TimePoint after);
    void resume();
    void crowdOut();
    void heapify();
    void finishPauseOrClose();
    void sent(uint32_t message);
    std::optional<uint32_t> nextOwed();

    std::vector<Entry> waiting_;  // a heap, earliest first
    uint64_t order_ = 0;
    TimePoint now_ = TimePoint::min();
    TimePoint stoppedAt_ = TimePoint::min();  // the latest stop's time
    Mode mode_ = Mode::Closed;
    TimePoint until_{};     // pausing or closing: what was due up to here leaves first
    TimePoint deadline_{};  // pausing or closing: when a full output is given up on
    bool ending_ = false;   // closing: what was due has left, the notes are being ended
    std::optional<TimePoint> retryAt_;
    Offered offered_ = Offered::Nothing;
    size_t owedAt_ = 0;  // the owed note being offered
    std::bitset<kNotes> sounding_;
    std::bitset<kNotes> started_;  // a note-on left since the output was opened
    std::bitset<kNotes> owed_;     // note-offs that leave before anything else
    uint64_t dropped_ = 0;
    uint64_t refused_ = 0;
};

}  // namespace tonvel
