#include "midi/synth/peak_limiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tonvel {
namespace {

constexpr double kRate = 48000.0;

std::vector<float> sine(float amplitude, int frames) {
    std::vector<float> out(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        out[static_cast<size_t>(i)] =
            amplitude * static_cast<float>(std::sin(2 * M_PI * 440 * i / kRate));
    return out;
}

float peakOf(const std::vector<float>& v) {
    float peak = 0;
    for (float s : v) peak = std::max(peak, std::fabs(s));
    return peak;
}

TEST(PeakLimiter, QuietSignalsPassUntouchedAndLoudOnesStayUnderTheCeiling) {
    struct Case {
        float amplitude;
        float expectedPeak;
    };
    const std::vector<Case> cases = {{0.25F, 0.25F}, {0.88F, 0.88F}, {1.0F, 0.89F}, {3.0F, 0.89F}};
    for (const auto& c : cases) {
        PeakLimiter limiter(0.89F, 0.08F, kRate);
        auto left = sine(c.amplitude, 4800);
        auto right = left;
        const auto original = left;
        limiter.process(left.data(), right.data(), 4800);
        EXPECT_NEAR(peakOf(left), c.expectedPeak, 1e-3) << c.amplitude;
        EXPECT_LE(peakOf(right), 0.89F + 1e-6F) << c.amplitude;
        if (c.amplitude < 0.89F) {
            EXPECT_EQ(left, original) << c.amplitude;
        }
    }
}

TEST(PeakLimiter, GainRecoversAfterALoudBurstAndBothChannelsShareIt) {
    PeakLimiter limiter(0.5F, 0.05F, kRate);
    std::vector<float> left = {1.0F, 0.0F};
    std::vector<float> right = {0.2F, 0.2F};
    limiter.process(left.data(), right.data(), 2);
    EXPECT_FLOAT_EQ(left[0], 0.5F);
    EXPECT_FLOAT_EQ(right[0], 0.1F) << "the louder channel sets the gain of both";
    EXPECT_LT(right[1], 0.2F) << "still turned down right after the burst";

    std::vector<float> silence(48000, 0.0F);
    auto quiet = silence;
    limiter.process(silence.data(), quiet.data(), 48000);
    std::vector<float> l = {0.3F}, r = {0.3F};
    limiter.process(l.data(), r.data(), 1);
    EXPECT_FLOAT_EQ(l[0], 0.3F) << "a second later the gain is back to one";
}

TEST(PeakLimiter, InterleavedMatchesSeparateChannels) {
    PeakLimiter a(0.6F, 0.05F, kRate), b(0.6F, 0.05F, kRate);
    auto left = sine(1.2F, 2000);
    auto right = sine(0.4F, 2000);
    std::vector<float> interleaved;
    for (size_t i = 0; i < left.size(); ++i) {
        interleaved.push_back(left[i]);
        interleaved.push_back(right[i]);
    }
    a.process(left.data(), right.data(), 2000);
    b.processInterleaved(interleaved.data(), 2000);
    for (size_t i = 0; i < left.size(); ++i) {
        ASSERT_FLOAT_EQ(interleaved[2 * i], left[i]);
        ASSERT_FLOAT_EQ(interleaved[2 * i + 1], right[i]);
    }
}

}  // namespace
}  // namespace tonvel
