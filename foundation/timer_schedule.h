#pragma once

#include <chrono>
#include <optional>

#include "foundation/controls.h"

namespace tonvel {

// When a timer model is due. Ticks keep to a grid of absolute times, so that they neither drift
// nor catch up: a late tick is followed by the next one on the grid, and a tick more than one
// interval late starts a new grid. An interval changed while the timer runs takes effect from
// the last tick (last tick + new interval, or at once if that time has passed), so a change
// never restarts the count. The caller reads the clock and passes the time in.
class TimerSchedule {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    // Brings the schedule in line with the model: starts, stops, or moves the next tick.
    void follow(const Timer& model, TimePoint now);
    // The time the next tick is due; none while the model is disabled.
    std::optional<TimePoint> due() const { return running_ ? std::optional(next_) : std::nullopt; }
    // The tick that was due has run, at `now`.
    void ticked(TimePoint now);

  private:
    bool running_ = false;
    int interval_ = 0;    // ms, as last followed
    TimePoint anchor_{};  // the last tick's place on the grid, or the start
    TimePoint next_{};
};

}  // namespace tonvel
