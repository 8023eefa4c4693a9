#include "midi/midi_system.h"

namespace tonvel {

std::vector<uint8_t> shortMessageBytes(uint32_t message) {
    const uint8_t status = message & 0xFF;
    const uint8_t data1 = (message >> 8) & 0xFF;
    const uint8_t data2 = (message >> 16) & 0xFF;
    if (dataByteCount(status) == 1) return {status, data1};
    return {status, data1, data2};
}

}  // namespace tonvel
