#include "midi/backends/scheduled_midi_system.h"

#include <gtest/gtest.h>

#include "fakes/recording_services.h"

namespace tonvel {
namespace {

using std::chrono::milliseconds;
using Clock = ScheduledMidiSystem::Clock;

constexpr uint32_t kHiHat = 0x7F2C99, kKick = 0x7F2399, kKey = 0x7F3690;

class ScheduledOutput : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(scheduled.open(-1)); }
    testing::RecordingMidiSystem output;
    ScheduledMidiSystem scheduled{output, false};
    Clock::time_point t0 = Clock::now();
    const int rhythm = 0, playback = 0;  // stand for two timers
};

TEST_F(ScheduledOutput, TimedMessagesWaitForTheirTimeAndKeepTheirOrder) {
    scheduled.beginTimed(t0 + milliseconds(115), &rhythm);
    EXPECT_TRUE(scheduled.sendShortMessage(kHiHat));
    EXPECT_TRUE(scheduled.sendShortMessage(kKick));
    scheduled.endTimed();
    scheduled.beginTimed(t0 + milliseconds(230), &rhythm);
    scheduled.sendShortMessage(kHiHat);
    scheduled.endTimed();
    scheduled.sendShortMessage(kKey);  // a key leaves at once, before the waiting steps
    EXPECT_EQ(output.sentHex(), std::vector<std::string>{"90 36 7F"});

    struct Step {
        int at;
        std::vector<std::string> sentSoFar;
        int nextDue;  // -1: nothing waits
    };
    const std::vector<Step> steps = {
        {100, {"90 36 7F"}, 115},
        {115, {"90 36 7F", "99 2C 7F", "99 23 7F"}, 230},
        {229, {"90 36 7F", "99 2C 7F", "99 23 7F"}, 230},
        {240, {"90 36 7F", "99 2C 7F", "99 23 7F", "99 2C 7F"}, -1},
    };
    for (const auto& step : steps) {
        const auto next = scheduled.sendDue(t0 + milliseconds(step.at));
        EXPECT_EQ(output.sentHex(), step.sentSoFar) << "at " << step.at;
        EXPECT_EQ(next ? std::chrono::duration_cast<milliseconds>(*next - t0).count() : -1,
                  step.nextDue)
            << "at " << step.at;
    }
}

TEST_F(ScheduledOutput, AStoppedTimerPlaysNothingMoreWhileTheOtherPlaysOn) {
    scheduled.beginTimed(t0 + milliseconds(15), &rhythm);
    scheduled.sendShortMessage(kHiHat);
    scheduled.endTimed();
    scheduled.beginTimed(t0 + milliseconds(10), &playback);
    scheduled.sendShortMessage(kKey);
    scheduled.endTimed();
    scheduled.dropTimed(&rhythm);
    EXPECT_FALSE(scheduled.sendDue(t0 + milliseconds(100)));
    EXPECT_EQ(output.sentHex(), std::vector<std::string>{"90 36 7F"});
}

TEST_F(ScheduledOutput, WaitingMessagesGoToTheOutputOpenAtTheirTime) {
    output.names = {"Port A"};
    scheduled.beginTimed(t0 + milliseconds(15), &rhythm);
    scheduled.sendShortMessage(kHiHat);
    scheduled.endTimed();
    scheduled.close();
    ASSERT_TRUE(scheduled.open(0));
    scheduled.sendDue(t0 + milliseconds(15));
    EXPECT_EQ(output.sentHexTo(0), std::vector<std::string>{"99 2C 7F"});
}

TEST(ScheduledOutputThread, SendsAtTheTimeOnItsOwn) {
    testing::RecordingMidiSystem output;
    ScheduledMidiSystem scheduled(output);
    ASSERT_TRUE(scheduled.open(-1));
    const int rhythm = 0;
    scheduled.beginTimed(Clock::now() + milliseconds(20), &rhythm);
    scheduled.sendShortMessage(kHiHat);
    scheduled.endTimed();
    std::this_thread::sleep_for(milliseconds(1000));
    scheduled.outputNames();  // takes the output's lock: what the thread sent is seen after it
    EXPECT_EQ(output.sentHex(), std::vector<std::string>{"99 2C 7F"});
}

}  // namespace
}  // namespace tonvel
