// Where a JACK output places a message in a cycle, from the frame it was due at.
#include <gtest/gtest.h>

#include <random>

#include "midi/ports/jack_midi_out.h"

namespace tonvel {
namespace {

TEST(FrameInCycle, EachCaseLeavesWhereItWasDueOnePeriodOn) {
    constexpr jack_nframes_t kStart = 96000;
    const struct {
        int64_t due;  // from the cycle's start
        std::optional<jack_nframes_t> frame;
    } cases[] =
        {
            {-64, 0},           {-63, 1},    {-1, 63},          {-32, 32},
            {-65, 0},           {-48000, 0}, {0, std::nullopt}, {1, std::nullopt},
            {63, std::nullopt}, {70000, 0},  // a time no sending thread gives: at once
        };
    for (const auto& c : cases)
        EXPECT_EQ(frameInCycle(static_cast<jack_nframes_t>(kStart + c.due), kStart, 64), c.frame)
            << c.due;
}

// Over random cycles, the frame counter's wrap among them: a message due in the period before
// the cycle keeps its distance from the others, an earlier one leaves first, a later one waits.
TEST(FrameInCycle, KeepsTheSpacingOfDueTimesAcrossTheCounterWrap) {
    std::mt19937 random(7);
    for (int run = 0; run < 2000; ++run) {
        const jack_nframes_t frames = 32u << (random() % 4);
        const jack_nframes_t start =
            run % 2 ? static_cast<jack_nframes_t>(random())
                    : 0xFFFFFFFFu - static_cast<jack_nframes_t>(random() % 300);
        const auto at = [&](int64_t due) {
            return frameInCycle(static_cast<jack_nframes_t>(start + due), start, frames);
        };
        const auto n = static_cast<int64_t>(frames);
        const int64_t a = -n + static_cast<int64_t>(random() % frames);
        const int64_t b = -n + static_cast<int64_t>(random() % frames);
        ASSERT_TRUE(at(a) && at(b));
        EXPECT_EQ(static_cast<int64_t>(*at(b)) - static_cast<int64_t>(*at(a)), b - a);
        EXPECT_EQ(at(-n - 1 - static_cast<int64_t>(random() % 5000)), 0u);
        EXPECT_FALSE(at(static_cast<int64_t>(random() % 5000)));
    }
}

}  // namespace
}  // namespace tonvel
