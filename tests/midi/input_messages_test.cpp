#include "midi/input/input_messages.h"

#include <gtest/gtest.h>

#include <vector>

namespace tonvel {
namespace {

snd_seq_event_t control(snd_seq_event_type_t type, unsigned channel, unsigned param, int value) {
    snd_seq_event_t event{};
    event.type = type;
    event.data.control.channel = static_cast<unsigned char>(channel);
    event.data.control.param = param;
    event.data.control.value = value;
    return event;
}

snd_seq_event_t note(snd_seq_event_type_t type, unsigned channel, unsigned key, unsigned velocity) {
    snd_seq_event_t event{};
    event.type = type;
    event.data.note.channel = static_cast<unsigned char>(channel);
    event.data.note.note = static_cast<unsigned char>(key);
    event.data.note.velocity = static_cast<unsigned char>(velocity);
    return event;
}

std::vector<uint32_t> convert(const snd_seq_event_t& event) {
    uint32_t out[4];
    return {out, out + channelMessagesFromEvent(event, out)};
}

TEST(InputMessages, SequencerEventsBecomeTheirChannelMessages) {
    const struct {
        snd_seq_event_t event;
        std::vector<uint32_t> messages;
    } cases[] = {
        {note(SND_SEQ_EVENT_NOTEON, 0, 60, 100), {0x643C90}},
        {note(SND_SEQ_EVENT_NOTEON, 15, 60, 0), {0x003C9F}},  // velocity 0 stays a note-on
        {note(SND_SEQ_EVENT_NOTEOFF, 3, 127, 64), {0x407F83}},
        {note(SND_SEQ_EVENT_KEYPRESS, 1, 60, 33), {0x213CA1}},
        {control(SND_SEQ_EVENT_CONTROLLER, 2, 64, 127), {0x7F40B2}},
        {control(SND_SEQ_EVENT_PGMCHANGE, 9, 0, 40), {0x0028C9}},
        {control(SND_SEQ_EVENT_CHANPRESS, 0, 0, 90), {0x005AD0}},
        {control(SND_SEQ_EVENT_PITCHBEND, 0, 0, 0), {0x4000E0}},
        {control(SND_SEQ_EVENT_PITCHBEND, 1, 0, -8192), {0x0000E1}},
        {control(SND_SEQ_EVENT_PITCHBEND, 1, 0, 8191), {0x7F7FE1}},
        {control(SND_SEQ_EVENT_CONTROL14, 0, 7, 0x3FFF), {0x7F07B0, 0x7F27B0}},
        {control(SND_SEQ_EVENT_CONTROL14, 0, 64, 127), {0x7F40B0}},
        {control(SND_SEQ_EVENT_NONREGPARAM, 0, 0x81, 0x82),
         {0x0163B0, 0x0162B0, 0x0106B0, 0x0226B0}},
        {control(SND_SEQ_EVENT_REGPARAM, 0, 0, 2), {0x0065B0, 0x0064B0, 0x0006B0, 0x0226B0}},
        {control(SND_SEQ_EVENT_SYSEX, 0, 0, 0), {}},
        {control(SND_SEQ_EVENT_CLOCK, 0, 0, 0), {}},
        {control(SND_SEQ_EVENT_SENSING, 0, 0, 0), {}},
        {control(SND_SEQ_EVENT_START, 0, 0, 0), {}},
        {control(SND_SEQ_EVENT_SONGPOS, 0, 0, 0), {}},
        {control(SND_SEQ_EVENT_QFRAME, 0, 0, 0), {}},
    };
    for (const auto& c : cases) EXPECT_EQ(convert(c.event), c.messages) << int(c.event.type);
}

TEST(InputMessages, OnlyWholeChannelMessagesPassAsBytes) {
    const struct {
        std::vector<uint8_t> bytes;
        std::optional<uint32_t> message;
    } cases[] = {
        {{0x90, 0x3C, 0x64}, 0x643C90},
        {{0x90, 0x3C, 0x00}, 0x003C90},
        {{0x8F, 0x3C, 0x40}, 0x403C8F},
        {{0xB0, 0x40, 0x7F}, 0x7F40B0},
        {{0xC5, 0x28}, 0x0028C5},
        {{0xD0, 0x5A}, 0x005AD0},
        {{0xE0, 0x00, 0x40}, 0x4000E0},
        {{0x90, 0x3C}, std::nullopt},
        {{0x90, 0x3C, 0x80}, std::nullopt},
        {{0x3C, 0x64}, std::nullopt},
        {{}, std::nullopt},
        {{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, std::nullopt},
        {{0xF8}, std::nullopt},
        {{0xFE}, std::nullopt},
        {{0xFF}, std::nullopt},
        {{0xF2, 0x00, 0x00}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(channelMessageFromBytes(c.bytes.data(), c.bytes.size()), c.message)
            << c.bytes.size() << " bytes from " << (c.bytes.empty() ? 0 : int(c.bytes[0]));
}

}  // namespace
}  // namespace tonvel
