#include "midi/sender/scheduled_midi_system.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>

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
    scheduled.dropTimed(&rhythm, Clock::time_point::min());
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

// An output whose room runs out now and then, as a JACK port's does in a burst.
class CrowdedOutput : public testing::RecordingMidiSystem {
  public:
    int busyFor = 0;
    SendResult trySend(uint32_t message) override {
        if (busyFor > 0) {
            --busyFor;
            return SendResult::Busy;
        }
        return RecordingMidiSystem::trySend(message);
    }
};

uint32_t on(int note) {
    return packMessage(0x90, note, 100);
}
uint32_t off(int note) {
    return packMessage(0x80, note, 0);
}

// Random work for the window and the thread over many seeds: keys, two timed sources with
// notes of their own, stops, a full output, device changes. Whatever happens, no note-on a
// source handed over before its stop leaves after it, and once every source has stopped and
// ended the notes it started, as the window does, and every key is up, nothing sounds.
TEST(ScheduledOutputProperty, AStopWinsAndEverythingStartedEnds) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int n) {
            return static_cast<int>(random() % static_cast<unsigned>(n));
        };
        CrowdedOutput output;
        output.names = {"Port A", "Port B"};
        ScheduledMidiSystem scheduled(output, false);
        ASSERT_TRUE(scheduled.open(0));
        const std::array<int, 2> sources{};
        // Notes 40.. belong to source 0, 60.. to source 1, 80.. to the keys.
        std::array<bool, 2> stopped{};
        std::array<std::set<int>, 2> started;
        std::set<int> keysDown;
        auto t = Clock::now();
        size_t seen = 0;
        const auto check = [&] {
            for (; seen < output.sent.size(); ++seen) {
                const auto& bytes = output.sent[seen];
                if ((bytes[0] & 0xF0) != 0x90) continue;
                const int owner = bytes[1] < 60 ? 0 : bytes[1] < 80 ? 1 : 2;
                ASSERT_FALSE(owner < 2 && stopped[owner])
                    << "seed " << seed << ": note " << int(bytes[1]) << " after its stop";
            }
        };
        for (int step = 0; step < 200; ++step) {
            const int s = pick(2);
            switch (pick(8)) {
                case 0:
                case 1: {
                    stopped[s] = false;
                    const int note = 40 + 20 * s + pick(20);
                    scheduled.beginTimed(t + std::chrono::milliseconds(pick(15)), &sources[s]);
                    if (pick(2)) {
                        if (scheduled.sendShortMessage(on(note))) started[s].insert(note);
                    } else {
                        scheduled.sendShortMessage(off(note));
                    }
                    scheduled.endTimed();
                    break;
                }
                case 2: {
                    const int note = 80 + pick(20);
                    if (keysDown.erase(note)) {
                        scheduled.sendShortMessage(off(note));
                    } else if (scheduled.sendShortMessage(on(note))) {
                        keysDown.insert(note);
                    }
                    break;
                }
                case 3:
                    scheduled.dropTimed(&sources[s], Clock::time_point::min());
                    stopped[s] = true;
                    break;
                case 4:
                    output.busyFor = pick(30);
                    break;
                case 5:
                    if (pick(4) == 0) {
                        // A device change: the keys were let go of before it.
                        for (int note : keysDown) scheduled.sendShortMessage(off(note));
                        keysDown.clear();
                        scheduled.open(pick(2));
                    }
                    break;
                default:
                    t += std::chrono::milliseconds(pick(5));
                    scheduled.sendDue(t);
                    break;
            }
            check();
        }
        for (int s = 0; s < 2; ++s) {
            check();
            scheduled.dropTimed(&sources[s], Clock::time_point::min());
            stopped[s] = true;
            for (int note : started[s]) scheduled.sendShortMessage(off(note));
        }
        for (int note : keysDown) scheduled.sendShortMessage(off(note));
        output.busyFor = 0;
        scheduled.sendDue(t + std::chrono::seconds(1));
        check();
        for (const auto& [device, notes] : output.sounding)
            EXPECT_TRUE(notes.empty()) << "seed " << seed << ": device " << device << " has "
                                       << notes.size() << " notes sounding";
    }
}

TEST(ScheduledOutputRoom, AFullOutputKeepsEverythingInOrderForLater) {
    CrowdedOutput output;
    ScheduledMidiSystem scheduled(output, false);
    ASSERT_TRUE(scheduled.open(-1));
    output.busyFor = 1000;
    std::vector<std::string> expected;
    for (int note = 40; note < 100; ++note) {
        scheduled.sendShortMessage(on(note));
        scheduled.sendShortMessage(off(note));
    }
    EXPECT_TRUE(output.sent.empty());
    output.busyFor = 0;
    scheduled.sendDue(Clock::now() + SendOrder::kRetry);
    ASSERT_EQ(output.sent.size(), 120U);
    for (size_t i = 0; i < output.sent.size(); ++i)
        EXPECT_EQ(output.sent[i],
                  shortMessageBytes(i % 2 ? off(40 + int(i / 2)) : on(40 + int(i / 2))));
    EXPECT_FALSE(scheduled.report());
}

TEST(ScheduledOutputRoom, WhenTheWaitingRoomIsFullNoteOffsStayAndTheLossIsToldOnce) {
    CrowdedOutput output;
    ScheduledMidiSystem scheduled(output, false);
    ASSERT_TRUE(scheduled.open(-1));
    scheduled.sendShortMessage(on(60));
    output.busyFor = 1 << 30;
    const int rhythm = 0;
    scheduled.beginTimed(Clock::now() + std::chrono::hours(1), &rhythm);
    for (size_t i = 0; i < ScheduledMidiSystem::kWaitingRoom; ++i)
        scheduled.sendShortMessage(on(40));
    scheduled.endTimed();
    scheduled.sendShortMessage(on(61));   // no room: lost, and counted
    scheduled.sendShortMessage(off(60));  // no room, but kept: the last step waiting gives way
    output.busyFor = 0;
    scheduled.dropTimed(&rhythm, Clock::time_point::min());
    EXPECT_EQ(output.sentHex(), (std::vector<std::string>{"90 3C 64", "80 3C 00"}));
    const auto told = scheduled.report();
    ASSERT_TRUE(told);
    EXPECT_NE(told->find("2 MIDI messages were not sent"), std::string::npos) << *told;
    EXPECT_FALSE(scheduled.report()) << "told twice";
}

TEST(ScheduledOutputClose, ACloseEndsEveryNoteStartedOnTheOutputThatPlaysIt) {
    testing::RecordingMidiSystem output;
    output.names = {"Port A", "Port B"};
    ScheduledMidiSystem scheduled(output, false);
    ASSERT_TRUE(scheduled.open(0));
    const int rhythm = 0;
    scheduled.sendShortMessage(on(60));
    scheduled.beginTimed(Clock::time_point::min(), &rhythm);
    scheduled.sendShortMessage(packMessage(0x99, 36, 100));
    scheduled.endTimed();
    scheduled.sendDue(Clock::now());
    ASSERT_TRUE(scheduled.open(1));
    EXPECT_EQ(output.sentHexTo(0),
              (std::vector<std::string>{"90 3C 64", "99 24 64", "80 3C 00", "89 24 00"}));
    EXPECT_TRUE(output.sentHexTo(1).empty());
}

// A stop forgets only what was due after it: what was due before leaves, however late the
// thread gets to it, as the recording keeps it.
TEST_F(ScheduledOutput, AStopForgetsOnlyWhatWasDueAfterIt) {
    scheduled.beginTimed(t0 + milliseconds(10), &rhythm);
    scheduled.sendShortMessage(kHiHat);
    scheduled.endTimed();
    scheduled.beginTimed(t0 + milliseconds(25), &rhythm);
    scheduled.sendShortMessage(kKick);
    scheduled.endTimed();
    scheduled.dropTimed(&rhythm, t0 + milliseconds(20));
    scheduled.sendDue(t0 + milliseconds(30));
    EXPECT_EQ(output.sentHex(), std::vector<std::string>{"99 2C 7F"});
}

}  // namespace
}  // namespace tonvel
