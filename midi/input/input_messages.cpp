#include "midi/input/input_messages.h"

namespace tonvel {

namespace {

uint32_t pack(unsigned status, unsigned data1, unsigned data2 = 0) {
    return (status & 0xFF) | (data1 & 0x7F) << 8 | (data2 & 0x7F) << 16;
}

}  // namespace

std::optional<uint32_t> channelMessageFromBytes(const uint8_t* bytes, size_t size) {
    if (size == 0 || bytes[0] < 0x80 || bytes[0] >= 0xF0) return std::nullopt;
    const unsigned kind = bytes[0] & 0xF0;
    const size_t length = kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    if (size < length) return std::nullopt;
    for (size_t i = 1; i < length; ++i)
        if (bytes[i] >= 0x80) return std::nullopt;
    return pack(bytes[0], bytes[1], length == 3 ? bytes[2] : 0);
}

size_t channelMessagesFromEvent(const snd_seq_event_t& event, uint32_t (&out)[4]) {
    const auto& note = event.data.note;
    const auto& control = event.data.control;
    const unsigned channel = control.channel & 0x0F;
    // A controller's number and value as 14 bits: coarse, then fine.
    const auto parameter = [&](unsigned numberCoarse, unsigned numberFine, unsigned dataCoarse,
                               unsigned dataFine) {
        const unsigned status = 0xB0 | channel;
        out[0] = pack(status, numberCoarse, control.param >> 7);
        out[1] = pack(status, numberFine, control.param);
        out[2] = pack(status, dataCoarse, static_cast<unsigned>(control.value) >> 7);
        out[3] = pack(status, dataFine, static_cast<unsigned>(control.value));
        return size_t{4};
    };
    switch (event.type) {
        case SND_SEQ_EVENT_NOTEON:
            out[0] = pack(0x90 | (note.channel & 0x0F), note.note, note.velocity);
            return 1;
        case SND_SEQ_EVENT_NOTEOFF:
            out[0] = pack(0x80 | (note.channel & 0x0F), note.note, note.velocity);
            return 1;
        case SND_SEQ_EVENT_KEYPRESS:
            out[0] = pack(0xA0 | (note.channel & 0x0F), note.note, note.velocity);
            return 1;
        case SND_SEQ_EVENT_CONTROLLER:
            out[0] = pack(0xB0 | channel, control.param, static_cast<unsigned>(control.value));
            return 1;
        case SND_SEQ_EVENT_PGMCHANGE:
            out[0] = pack(0xC0 | channel, static_cast<unsigned>(control.value));
            return 1;
        case SND_SEQ_EVENT_CHANPRESS:
            out[0] = pack(0xD0 | channel, static_cast<unsigned>(control.value));
            return 1;
        case SND_SEQ_EVENT_PITCHBEND: {
            const unsigned value = static_cast<unsigned>(control.value + 8192);
            out[0] = pack(0xE0 | channel, value, value >> 7);
            return 1;
        }
        case SND_SEQ_EVENT_CONTROL14:
            // Only the first 32 controllers have a fine half, at their number + 32.
            if (control.param >= 32) {
                out[0] = pack(0xB0 | channel, control.param, static_cast<unsigned>(control.value));
                return 1;
            }
            out[0] = pack(0xB0 | channel, control.param, static_cast<unsigned>(control.value) >> 7);
            out[1] = pack(0xB0 | channel, control.param + 32, static_cast<unsigned>(control.value));
            return 2;
        case SND_SEQ_EVENT_NONREGPARAM:
            return parameter(99, 98, 6, 38);
        case SND_SEQ_EVENT_REGPARAM:
            return parameter(101, 100, 6, 38);
        default:
            return 0;
    }
}

}  // namespace tonvel
