#include "foundation/timer_schedule.h"

namespace tonvel {

namespace {
TimerSchedule::Duration milliseconds(int ms) {
    return std::chrono::duration_cast<TimerSchedule::Duration>(std::chrono::milliseconds(ms));
}
}  // namespace

void TimerSchedule::follow(const Timer& model, TimePoint now) {
    const bool enabled = model.enabled && model.interval > 0;
    if (!enabled) {
        running_ = false;
        return;
    }
    if (!running_) {
        running_ = true;
        interval_ = model.interval;
        anchor_ = now;
        next_ = now + milliseconds(interval_);
        return;
    }
    if (model.interval == interval_) return;
    interval_ = model.interval;
    next_ = anchor_ + milliseconds(interval_);
    if (next_ < now) next_ = now;
}

void TimerSchedule::ticked(TimePoint now) {
    if (!running_) return;
    const Duration interval = milliseconds(interval_);
    anchor_ = now - next_ >= interval ? now : next_;
    next_ = anchor_ + interval;
}

}  // namespace tonvel
