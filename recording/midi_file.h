#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvel {

// A MIDI short message at a time, in milliseconds from the start of a recording. The message
// is packed as the program sends it: status | data1 << 8 | data2 << 16.
struct TimedMessage {
    int64_t ms = 0;
    uint32_t message = 0;
    bool operator==(const TimedMessage&) const = default;
};

// Standard MIDI Files. What the program writes: format 0, one track, 500 ticks per quarter
// note at 120 beats a minute, so that a tick is a millisecond exactly; the tempo first, then
// the messages in time order, then the end of the track.
inline constexpr int kTicksPerQuarter = 500;
inline constexpr int kMicrosecondsPerQuarter = 500000;

std::string writeMidiFile(const std::vector<TimedMessage>& messages);

// Reads a Standard MIDI File of format 0 or 1 into its channel messages, all tracks merged in
// time order (a tie keeps the track order), times converted through the file's tempo changes.
// System exclusive and meta events other than tempo are skipped. Gives nothing, and says why
// in `error`, for what is not such a file, is cut short, or holds more than `maxMessages`.
std::optional<std::vector<TimedMessage>> readMidiFile(std::string_view bytes, std::string* error,
                                                      size_t maxMessages = 1'000'000);

}  // namespace tonvel
