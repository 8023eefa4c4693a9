#include "foundation/timer_schedule.h"

#include <gtest/gtest.h>

namespace tonvel {
namespace {

using std::chrono::milliseconds;
using TimePoint = TimerSchedule::TimePoint;

class Schedule : public ::testing::Test {
  protected:
    TimePoint at(int ms) const { return start + milliseconds(ms); }
    int dueIn() const {
        const auto due = schedule.due();
        return due ? static_cast<int>(
                         std::chrono::duration_cast<milliseconds>(*due - start).count())
                   : -1;
    }
    TimePoint start{};
    Timer model{.enabled = false, .interval = 115};
    TimerSchedule schedule;
};

TEST_F(Schedule, TicksStayOnTheirGridWhateverTheirLateness) {
    model.enabled = true;
    schedule.follow(model, at(0));
    EXPECT_EQ(dueIn(), 115);
    struct Tick {
        int firedAt;
        int nextDue;
    };
    const std::vector<Tick> ticks = {
        {115, 230},              // on time
        {233, 345},              // 3 ms late: the next keeps the grid
        {345, 460}, {470, 575},  // 10 ms late
        {700, 815},              // more than an interval late: no catch-up, a new grid from now
        {815, 930},
    };
    for (const auto& t : ticks) {
        schedule.ticked(at(t.firedAt));
        schedule.follow(model, at(t.firedAt));
        EXPECT_EQ(dueIn(), t.nextDue) << "fired at " << t.firedAt;
    }
}

TEST_F(Schedule, ATempoChangeCountsFromTheLastTickWithoutRestarting) {
    model.enabled = true;
    schedule.follow(model, at(0));
    schedule.ticked(at(115));  // grid: 115
    struct Change {
        int at;
        int interval;
        int nextDue;
    };
    const std::vector<Change> changes = {
        {150, 126, 241},  // last tick + new interval
        {200, 137, 252},  // the count goes on from the same tick
        {240, 104, 240},  // 219 has passed: at once
        {260, 137, 260},  // moved already; still no later than now
    };
    for (const auto& c : changes) {
        model.interval = c.interval;
        schedule.follow(model, at(c.at));
        EXPECT_EQ(dueIn(), c.nextDue) << "change at " << c.at;
    }
}

TEST_F(Schedule, FiveQuickNudgesDoNotHoldTheBeat) {
    model.enabled = true;
    schedule.follow(model, at(0));
    int lastTick = 0, longestGap = 0;
    for (int now = 0; now <= 2000; ++now) {
        if (now % 80 == 40 && now < 440) {  // 40, 120, ... 360: slower by 11 ms each
            model.interval += 11;
            schedule.follow(model, at(now));
        }
        if (schedule.due() && *schedule.due() <= at(now)) {
            schedule.ticked(at(now));
            schedule.follow(model, at(now));
            longestGap = std::max(longestGap, now - lastTick);
            lastTick = now;
        }
    }
    EXPECT_LE(longestGap, 115 + 5 * 11);
}

TEST_F(Schedule, DisablingStopsAndEnablingStartsAfresh) {
    model.enabled = true;
    schedule.follow(model, at(0));
    model.enabled = false;
    schedule.follow(model, at(50));
    EXPECT_FALSE(schedule.due());
    schedule.ticked(at(115));  // a stray wake-up while stopped changes nothing
    EXPECT_FALSE(schedule.due());
    model.enabled = true;
    schedule.follow(model, at(300));
    EXPECT_EQ(dueIn(), 415);
    model.interval = 0;  // an interval of 0 never ticks
    schedule.follow(model, at(310));
    EXPECT_FALSE(schedule.due());
}

}  // namespace
}  // namespace tonvel
