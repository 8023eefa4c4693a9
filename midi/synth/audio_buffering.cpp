#include "midi/synth/audio_buffering.h"

#include <algorithm>
#include <charconv>

namespace tonvel {

std::optional<int> parseAudioPeriod(std::string_view text) {
    int frames = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), frames);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (frames < AudioBuffering::kSmallest || frames > AudioBuffering::kLargest)
        return std::nullopt;
    if ((frames & (frames - 1)) != 0) return std::nullopt;
    return frames;
}

int AudioBuffering::periodAfterDropout(int current,
                                       std::chrono::milliseconds sinceLastGrowth) const {
    if (chosenByUser() || sinceLastGrowth < std::chrono::seconds(1)) return current;
    return std::min(current * 2, std::max(current, kLargestGrown));
}

}  // namespace tonvel
