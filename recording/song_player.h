#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "recording/song.h"
#include "recording/take.h"

namespace tonvel {

// Plays a song against the clock: the window's timer asks for what is due and learns when the
// next messages are. The speed scales the song's times. With a part to play (Wait for Me), that
// channel's notes are not sounded: the song stops at each of them until a hand plays them.
class SongPlayer {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // The song's time 0 is `start`. `lowestKey` is the note of the lowest key, where the part's
    // notes are moved onto the keys.
    SongPlayer(std::shared_ptr<const Song> song, TimePoint start, double speed = 1.0,
               std::optional<int> part = std::nullopt, int lowestKey = 54);

    // The messages due by `now`, in their order.
    std::vector<uint32_t> due(TimePoint now);
    // When the next messages are due; none while waiting for the player, or at the end.
    std::optional<TimePoint> nextDue() const;
    bool finished() const { return position_ >= song_->messages.size() && awaited_.empty(); }

    bool waiting() const { return !awaited_.empty(); }
    // The notes on the keys the song waits for.
    std::vector<int> awaited() const;
    // A hand played `note` at `now`. True when that was the last note awaited: the song goes on
    // from now, with what was held back due at once.
    bool played(int note, TimePoint now);

    // From `now` on, at `speed`.
    void setSpeed(double speed, TimePoint now);
    // Wait for Me on another part, or off. Gives the note-offs of what the new part sounded.
    std::vector<uint32_t> setPart(std::optional<int> part, TimePoint now);
    std::optional<int> part() const { return part_; }
    void setLowestKey(int lowest);
    // Semitones the part is moved by to fall on the keys.
    int partShift() const { return shift_; }

    // Where the song is at `now`, in its own milliseconds.
    int64_t position(TimePoint now) const;
    const Song& song() const { return *song_; }
    // Whether the song sounds `note` on `channel` now.
    bool sounds(int channel, int note) const { return sounding_.sounds(channel, note); }
    // Note-offs for what the song sounds.
    std::vector<uint32_t> silence();
    bool changedProgram() const { return changedProgram_; }

  private:
    struct Awaited {
        int onKeys;
        int original;
    };
    TimePoint timeOf(double songMs) const;
    bool isPartNote(uint32_t message) const;
    void beginWait(TimePoint now);
    void goOn(TimePoint now);

    std::shared_ptr<const Song> song_;
    size_t position_ = 0;
    double speed_;
    // The song's time anchorMs_ is the clock's anchor_.
    double anchorMs_ = 0;
    TimePoint anchor_;
    std::optional<int> part_;
    int lowestKey_;
    int shift_ = 0;
    std::vector<Awaited> awaited_;
    int64_t waitMs_ = 0;   // where the song waits
    size_t waitFrom_ = 0;  // the part's notes before this one were waited for, or passed by
    std::vector<std::pair<int, TimePoint>> recentlyPlayed_;
    SoundingNotes sounding_;
    bool changedProgram_ = false;
};

}  // namespace tonvel
