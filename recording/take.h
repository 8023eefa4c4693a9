#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "recording/midi_file.h"

namespace tonvel {

// The notes a stream of messages leaves sounding: a note-on starts one, a note-off (or a
// note-on at velocity 0) ends it, whatever came before. A sustain pedal left down holds
// whatever ends on its channel, so it counts too.
class SoundingNotes {
  public:
    void follow(uint32_t message);
    bool sounds(int channel, int note) const { return notes_.contains({channel, note}); }
    // Note-offs for everything still sounding, lowest channel and note first, then the lift of
    // every pedal still down.
    std::vector<uint32_t> silencing() const;
    void clear() {
        notes_.clear();
        pedals_.clear();
    }

  private:
    std::set<std::pair<int, int>> notes_;  // channel, note
    std::set<int> pedals_;                 // channels
};

// A recording being made: what the program sent, with the time each message left it.
class Take {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // `opening` is what the file starts with, at time 0, such as the instrument in use.
    Take(TimePoint start, std::vector<uint32_t> opening);
    // `source` is the timer whose tick sent it ahead of its time, if one did.
    void add(TimePoint at, uint32_t message, const void* source = nullptr);
    // `source` stopped at `at`: what it sent ahead for after then never left, except its
    // note-offs, which left at the stop.
    void forget(const void* source, TimePoint at);
    // Ends the take at `at`: every note still sounding gets its note-off there.
    std::vector<TimedMessage> finish(TimePoint at);

  private:
    int64_t msSinceStart(TimePoint at) const;

    TimePoint start_;
    std::vector<TimedMessage> messages_;
    // Index for index: who sent each and when exactly, as a stop's time is compared with it.
    std::vector<const void*> sources_;
    std::vector<TimePoint> sentAt_;
    SoundingNotes sounding_;
};

// Plays a recording back, a time at a time: the window's timer asks for the messages due now
// and learns how long to wait for the next ones.
class Playback {
  public:
    explicit Playback(std::vector<TimedMessage> messages);

    // Milliseconds from the start to the first messages; none for an empty recording.
    std::optional<int64_t> firstWait() const;
    // The messages of the next time, in their order; afterwards the wait until the time after
    // that is waitForNext().
    std::vector<uint32_t> next();
    std::optional<int64_t> waitForNext() const;
    bool finished() const { return position_ >= messages_.size(); }
    // Note-offs for what the messages played so far left sounding.
    std::vector<uint32_t> silence();
    bool changedProgram() const { return changedProgram_; }

  private:
    std::vector<TimedMessage> messages_;
    size_t position_ = 0;
    SoundingNotes sounding_;
    bool changedProgram_ = false;
};

}  // namespace tonvel
