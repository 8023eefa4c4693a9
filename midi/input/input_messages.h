#pragma once

#include <alsa/asoundlib.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tonvel {

// A channel message packed as MidiSystem::sendShortMessage takes it, from the bytes of one
// complete message (as JACK delivers them); nothing for system messages (SysEx, clock, active
// sensing and the other real-time and common messages) or a broken one.
std::optional<uint32_t> channelMessageFromBytes(const uint8_t* bytes, size_t size);

// The channel messages a sequencer event stands for, packed the same way: one for most, two
// for a 14-bit controller, four for a registered or non-registered parameter, none for
// anything else. Returns how many it wrote into `out`.
size_t channelMessagesFromEvent(const snd_seq_event_t& event, uint32_t (&out)[4]);

}  // namespace tonvel
