#include "midi/ports/sent_endings.h"

namespace tonvel {

void SentEndings::sent(const uint8_t* bytes, size_t size, uint64_t now) {
    if (size < 3) return;
    const uint8_t kind = bytes[0] & 0xF0;
    const size_t channel = bytes[0] & 0x0F;
    if (kind == 0x80 || kind == 0x90) {
        const bool ends = kind == 0x80 || bytes[2] == 0;
        notes_[channel * 128 + (bytes[1] & 0x7F)] = {ends ? now : 0, 0};
        return;
    }
    if (kind != 0xB0) return;
    for (size_t p = 0; p < kPedals.size(); ++p)
        if (bytes[1] == kPedals[p])
            pedals_[channel * kPedals.size() + p] = {bytes[2] < 64 ? now : 0, 0};
}

bool SentEndings::due(Ending& ending, uint64_t now) {
    if (ending.at == 0 || ending.repeats >= kRepeats || now - ending.at > kWindowMicroseconds)
        return false;
    ++ending.repeats;
    return true;
}

}  // namespace tonvel
