#include "midi/midi_system.h"

namespace tonvel {

ShortMessageBytes packedBytes(uint32_t message) {
    const uint8_t status = message & 0xFF;
    ShortMessageBytes out;
    out.bytes = {status, static_cast<uint8_t>((message >> 8) & 0xFF),
                 static_cast<uint8_t>((message >> 16) & 0xFF)};
    out.size = dataByteCount(status) == 1 ? 2 : 3;
    return out;
}

std::vector<uint8_t> shortMessageBytes(uint32_t message) {
    const auto packed = packedBytes(message);
    return {packed.begin(), packed.end()};
}

}  // namespace tonvel
