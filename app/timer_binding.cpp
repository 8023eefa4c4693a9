#include "app/timer_binding.h"

#include <chrono>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace tonvel {

namespace {

using std::chrono::steady_clock;

// A wake-up this close to the due time is the tick: the fallback clock counts whole
// milliseconds.
constexpr auto kEarlyEnough = std::chrono::microseconds(500);

}  // namespace

TimerBinding::TimerBinding(Timer& model, std::function<void()> tick, TickLead lead)
    : model_(model), tick_(std::move(tick)), lead_(std::move(lead)) {
#ifdef __linux__
    // steady_clock is CLOCK_MONOTONIC here, so its time points arm the clock as they are.
    clockFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (clockFd_ >= 0) {
        clockReady_ = std::make_unique<QSocketNotifier>(clockFd_, QSocketNotifier::Read);
        QObject::connect(clockReady_.get(), &QSocketNotifier::activated, [this] {
            uint64_t expirations = 0;
            if (::read(clockFd_, &expirations, sizeof expirations) > 0) fire();
        });
    }
#endif
    fallback_.setSingleShot(true);
    fallback_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&fallback_, &QTimer::timeout, [this] { fire(); });
}

TimerBinding::~TimerBinding() {
    clockReady_.reset();
#ifdef __linux__
    if (clockFd_ >= 0) ::close(clockFd_);
#endif
}

void TimerBinding::sync() {
    const bool wasRunning = schedule_.due().has_value();
    schedule_.follow(model_, steady_clock::now());
    if (wasRunning && !schedule_.due() && lead_.stopped) lead_.stopped();
    arm();
}

void TimerBinding::fire() {
    const auto due = schedule_.due();
    if (!due) return;
    // Where the tick stands against its due time, the lead taken into account.
    const auto fired = steady_clock::now() + lead_.lead;
    if (*due - fired > kEarlyEnough) return arm();
    if (lead_.before) lead_.before(*due);
    tick_();
    if (lead_.after) lead_.after();
    // Its messages leave at the due time, or at once when the tick is later still: only that
    // is lateness. A tick that could not fire a lead ahead (due sooner than the lead after the
    // start) is not late.
    schedule_.ticked(std::max(*due, steady_clock::now()));
    schedule_.follow(model_, steady_clock::now());
    arm();
}

void TimerBinding::arm() {
    auto due = schedule_.due();
    if (due) *due -= lead_.lead;
#ifdef __linux__
    if (clockFd_ >= 0) {
        itimerspec when{};  // all zero disarms
        if (due) {
            const auto since =
                std::chrono::duration_cast<std::chrono::nanoseconds>(due->time_since_epoch());
            // A due time of zero would disarm: one nanosecond later is the same moment.
            const auto ns = std::max<int64_t>(since.count(), 1);
            when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        if (::timerfd_settime(clockFd_, TFD_TIMER_ABSTIME, &when, nullptr) == 0) return;
    }
#endif
    if (!due) {
        fallback_.stop();
        return;
    }
    const auto wait = std::chrono::round<std::chrono::milliseconds>(*due - steady_clock::now());
    fallback_.start(std::max(wait, std::chrono::milliseconds(0)));
}

}  // namespace tonvel
