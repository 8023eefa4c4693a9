#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace tonvel {

// How the built-in synthesizer's sound is buffered on its way to the sound server. A key's
// sound waits up to about two periods: one until the block it falls in is rendered, one in the
// server's buffer.
struct AudioBuffering {
    static constexpr int kShortPeriod = 128;  // 2.7 ms at 48 kHz
    static constexpr int kSafePeriod = 256;   // 5.3 ms
    static constexpr int kSmallest = 64;
    static constexpr int kLargest = 8192;
    // A period grows no further than this after dropouts: 10.7 ms. Where even this drops out,
    // the machine's trouble is not the buffer, and a longer one would only add delay.
    static constexpr int kLargestGrown = 512;

    // Frames per period. 0 lets the output choose: the short period where its audio thread
    // runs at real-time priority, the safe one where it does not, since a thread that the
    // rest of the system can hold up misses short periods on a busy machine.
    int periodFrames = 0;

    bool chosenByUser() const { return periodFrames != 0; }
    // The period for a stream whose thread may, or may not, run at real-time priority.
    int periodFor(bool realtimeAllowed) const {
        if (chosenByUser()) return periodFrames;
        return realtimeAllowed ? kShortPeriod : kSafePeriod;
    }
    // The period after a dropout, `sinceLastGrowth` after the period last grew (or the stream
    // started): twice as long, up to kLargestGrown. A burst of dropouts from one stall of the
    // machine grows it once. A period the user chose stays as it is.
    int periodAfterDropout(int current, std::chrono::milliseconds sinceLastGrowth) const;
};

// The frames of a period as a user writes them: a power of two from kSmallest to kLargest.
std::optional<int> parseAudioPeriod(std::string_view text);

}  // namespace tonvel
