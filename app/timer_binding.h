#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "foundation/controls.h"
#include "foundation/timer_schedule.h"

namespace tonvel {

// Runs a timer model: ticks its handler while the model is enabled, on the model's grid of
// absolute times (see TimerSchedule). Where the system offers a clock that wakes at an
// absolute time to the microsecond, that clock is used; otherwise a millisecond timer.
class TimerBinding {
  public:
    TimerBinding(Timer& model, std::function<void()> tick);
    ~TimerBinding();
    TimerBinding(const TimerBinding&) = delete;
    TimerBinding& operator=(const TimerBinding&) = delete;

    // Starts, stops or moves the next tick to match the model.
    void sync();

  private:
    void fire();
    void arm();

    Timer& model_;
    std::function<void()> tick_;
    TimerSchedule schedule_;
    int clockFd_ = -1;  // a timerfd where there is one
    std::unique_ptr<QSocketNotifier> clockReady_;
    QTimer fallback_;
};

}  // namespace tonvel
