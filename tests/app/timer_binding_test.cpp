#include "app/timer_binding.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <vector>

namespace tonvel {
namespace {

using std::chrono::steady_clock;

void processEventsUntil(const std::function<bool()>& done, int limitMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// A tick with a lead runs ahead of its due time, tells it beforehand, and is followed by the
// closing call; disabling the model tells the lead holder that the ticks stopped.
TEST(TimerBinding, ALeadingTickKnowsItsDueTimeAndItsEnd) {
    Timer model{.enabled = false, .interval = 250};
    std::vector<std::string> calls;
    std::vector<steady_clock::time_point> dues;
    std::vector<bool> onTime;  // less than an interval late, the lead taken into account
    TickLead lead;
    lead.lead = std::chrono::milliseconds(10);
    lead.before = [&](TimerSchedule::TimePoint due) {
        calls.push_back("before");
        dues.push_back(due);
        onTime.push_back(steady_clock::now() + lead.lead - due < std::chrono::milliseconds(250));
    };
    lead.after = [&] { calls.push_back("after"); };
    lead.stopped = [&] { calls.push_back("stopped"); };
    int ticks = 0;
    TimerBinding binding(
        model,
        [&] {
            calls.push_back("tick");
            ++ticks;
        },
        lead);

    model.enabled = true;
    binding.sync();
    processEventsUntil([&] { return ticks >= 3; });
    ASSERT_GE(ticks, 3);
    model.enabled = false;
    binding.sync();

    ASSERT_GE(calls.size(), 10u);
    for (size_t i = 0; i + 1 < calls.size(); i += 3) {
        EXPECT_EQ(calls[i], "before") << i;
        EXPECT_EQ(calls[i + 1], "tick") << i;
        EXPECT_EQ(calls[i + 2], "after") << i;
    }
    EXPECT_EQ(calls.back(), "stopped");
    // The due times keep the grid of the interval, whenever the ticks ran; only a tick a whole
    // interval late (a machine that stalled the test) starts a new grid.
    for (size_t i = 1; i < dues.size(); ++i) {
        if (!onTime[i - 1]) continue;
        EXPECT_EQ(dues[i] - dues[i - 1], std::chrono::milliseconds(250)) << i;
    }
}

TEST(TimerBinding, AModelEnabledAtNoIntervalNeverTicks) {
    Timer model{.enabled = true, .interval = 0};
    int ticks = 0;
    TimerBinding binding(model, [&] { ++ticks; });
    binding.sync();
    processEventsUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace tonvel
