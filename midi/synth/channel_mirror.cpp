#include "midi/synth/channel_mirror.h"

namespace tonvel {

namespace {

constexpr int kDataEntry = 6;
constexpr int kDataEntryFine = 38;
constexpr int kUnregisteredFine = 98;
constexpr int kUnregisteredCoarse = 99;
constexpr int kRegisteredFine = 100;
constexpr int kRegisteredCoarse = 101;
constexpr int kResetAllControllers = 121;
// What a reset of all controllers puts back to a new synthesizer's values: modulation,
// expression, the pedals, the parameters' selection.
constexpr int kReset[] = {1, 11, 64, 65, 66, 67, 98, 99, 100, 101};

}  // namespace

ChannelMirror::ChannelMirror() {
    clear();
}

void ChannelMirror::clear() {
    for (Channel& channel : channels_) {
        for (auto& value : channel.controllers) set(value, kUnset);
        for (auto& parameter : channel.parameters)
            for (auto& value : parameter) set(value, kUnset);
        set(channel.program, kUnset);
        set(channel.bend, kUnset);
        set(channel.pressure, kUnset);
        channel.unregisteredLast.store(false, std::memory_order_relaxed);
    }
}

void ChannelMirror::note(uint32_t message) {
    Channel& channel = channels_[message & 0x0F];
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    switch (message & 0xF0) {
        case 0xB0:
            controller(channel, data1, data2);
            break;
        case 0xC0:
            set(channel.program, data1);
            break;
        case 0xD0:
            set(channel.pressure, data1);
            break;
        case 0xE0:
            set(channel.bend, data1 | data2 << 7);
            break;
        default:
            break;
    }
}

void ChannelMirror::controller(Channel& channel, int number, int value) {
    if (number == kResetAllControllers) {
        for (const int reset : kReset) set(channel.controllers[static_cast<size_t>(reset)], kUnset);
        set(channel.bend, kUnset);
        set(channel.pressure, kUnset);
        return;
    }
    // The channel mode messages (all notes off and the like) leave no state behind.
    if (number >= 120) return;
    if (number == kDataEntry || number == kDataEntryFine) {
        const int coarse = get(channel.controllers[kRegisteredCoarse]);
        const int parameter = get(channel.controllers[kRegisteredFine]);
        if (channel.unregisteredLast.load(std::memory_order_relaxed) || coarse != 0 ||
            parameter < 0 || parameter >= kParameters)
            return;
        set(channel.parameters[static_cast<size_t>(parameter)][number == kDataEntry ? 0 : 1],
            value);
        return;
    }
    if (number == kUnregisteredCoarse || number == kUnregisteredFine)
        channel.unregisteredLast.store(true, std::memory_order_relaxed);
    if (number == kRegisteredCoarse || number == kRegisteredFine)
        channel.unregisteredLast.store(false, std::memory_order_relaxed);
    set(channel.controllers[static_cast<size_t>(number)], value);
}

}  // namespace tonvel
