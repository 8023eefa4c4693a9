// The MIDI file reader: any bytes give either a reason or channel messages in time order that
// the writer writes and the reader reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "midi/midi_system.h"
#include "recording/midi_file.h"

namespace {

constexpr int64_t kLongestWrittenGap = 0x0FFFFFFF;  // a variable-length quantity's limit

bool wellFormed(uint32_t message) {
    const uint32_t status = message & 0xFF;
    const uint32_t data1 = (message >> 8) & 0xFF;
    const uint32_t data2 = (message >> 16) & 0xFF;
    if (status < 0x80 || status >= 0xF0 || data1 >= 0x80 || data2 >= 0x80) return false;
    if (message >> 24 != 0) return false;
    return tonvel::dataByteCount(static_cast<uint8_t>(status)) == 2 || data2 == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error = "untouched";
    const auto read = tonvel::readMidiFile(bytes, &error);
    if (!read) {
        FUZZ_CHECK(!error.empty() && error != "untouched");
        return 0;
    }
    FUZZ_CHECK(error == "untouched");
    const auto& messages = *read;
    // After a header of 14 bytes and a track's 8, a message takes at least a delta and a data
    // byte (running status).
    FUZZ_CHECK(messages.empty() || (size > 22 && messages.size() <= (size - 22) / 2));
    int64_t last = 0;
    bool writable = true;
    for (const auto& timed : messages) {
        FUZZ_CHECK(timed.ms >= last);
        FUZZ_CHECK(wellFormed(timed.message));
        writable = writable && timed.ms - last <= kLongestWrittenGap;
        last = timed.ms;
    }
    if (!messages.empty()) {
        FUZZ_CHECK(!tonvel::readMidiFile(bytes, nullptr, messages.size() - 1));
    }
    if (writable) {
        std::string again;
        const auto reread = tonvel::readMidiFile(tonvel::writeMidiFile(messages), &again);
        FUZZ_CHECK(reread && *reread == messages);
    }
    return 0;
}
