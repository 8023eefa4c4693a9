#include "midi/ports/sendable_message.h"

#include <algorithm>

#include "midi/midi_system.h"

namespace tonvel {

bool isSendableShortMessage(uint32_t message) {
    const auto bytes = packedBytes(message);
    if (bytes[0] < 0x80 || bytes[0] >= 0xF0) return false;
    return std::all_of(bytes.begin() + 1, bytes.end(), [](uint8_t b) { return b < 0x80; });
}

}  // namespace tonvel
