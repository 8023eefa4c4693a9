#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace tonvel {

// What the synthesizer's sixteen channels were told, kept by the thread that sends as it sends,
// so that another synthesizer can be brought to the same state: banks and programs, controllers,
// the registered parameters FluidSynth knows (bend range, tuning, modulation depth), pitch bend
// and channel pressure. Notes are not kept, nor the non-registered parameters. The values are
// atomics, so that a thread loading a new synthesizer may read them while the sender writes;
// nothing here allocates or waits.
class ChannelMirror {
  public:
    ChannelMirror();
    // On the sending thread, for every channel message it plays.
    void note(uint32_t message);
    // The synthesizer was reset: its channels are as new.
    void clear();

    // Hands `play` the messages that bring a new synthesizer's channels to this state: only the
    // banks and programs when `programsOnly`, else everything kept. Never allocates.
    template <class Play>
    void replay(Play&& play, bool programsOnly) const;

  private:
    static constexpr int16_t kUnset = -1;
    // Registered parameters 0 to 5: bend range, fine and coarse tuning, tuning program and bank,
    // modulation depth range.
    static constexpr int kParameters = 6;
    struct Channel {
        std::array<std::atomic<int16_t>, 128> controllers;
        std::atomic<int16_t> program{kUnset};
        std::atomic<int16_t> bend{kUnset};
        std::atomic<int16_t> pressure{kUnset};
        // Data entry of each registered parameter, coarse then fine.
        std::array<std::array<std::atomic<int16_t>, 2>, kParameters> parameters;
        // Whether a non-registered parameter was selected after the last registered one.
        std::atomic<bool> unregisteredLast{false};
    };

    static int16_t get(const std::atomic<int16_t>& value) {
        return value.load(std::memory_order_relaxed);
    }
    static void set(std::atomic<int16_t>& value, int v) {
        value.store(static_cast<int16_t>(v), std::memory_order_relaxed);
    }
    void controller(Channel& channel, int number, int value);

    std::array<Channel, 16> channels_;
};

template <class Play>
void ChannelMirror::replay(Play&& play, bool programsOnly) const {
    const auto message = [](int status, int channel, int data1, int data2) {
        return static_cast<uint32_t>(status | channel | data1 << 8 | data2 << 16);
    };
    for (int c = 0; c < 16; ++c) {
        const Channel& channel = channels_[static_cast<size_t>(c)];
        for (const int bank : {0, 32})
            if (const int v = get(channel.controllers[static_cast<size_t>(bank)]); v >= 0)
                play(message(0xB0, c, bank, v));
        if (const int v = get(channel.program); v >= 0) play(message(0xC0, c, v, 0));
        if (programsOnly) continue;
        for (int number = 1; number < 120; ++number) {
            // Banks went first; the parameters' numbers and data follow.
            if (number == 32 || number == 6 || number == 38 || (number >= 98 && number <= 101))
                continue;
            if (const int v = get(channel.controllers[static_cast<size_t>(number)]); v >= 0)
                play(message(0xB0, c, number, v));
        }
        bool selected = false;
        for (int p = 0; p < kParameters; ++p) {
            const int coarse = get(channel.parameters[static_cast<size_t>(p)][0]);
            const int fine = get(channel.parameters[static_cast<size_t>(p)][1]);
            if (coarse < 0 && fine < 0) continue;
            play(message(0xB0, c, 101, 0));
            play(message(0xB0, c, 100, p));
            if (coarse >= 0) play(message(0xB0, c, 6, coarse));
            if (fine >= 0) play(message(0xB0, c, 38, fine));
            selected = true;
        }
        // The parameter selected last stays selected, for data entry that follows.
        const bool unregisteredLast = channel.unregisteredLast.load(std::memory_order_relaxed);
        for (const bool registered : {unregisteredLast, !unregisteredLast}) {
            const int msb = registered ? 101 : 99;
            const int lsb = registered ? 100 : 98;
            for (const int number : {msb, lsb}) {
                int v = get(channel.controllers[static_cast<size_t>(number)]);
                // A new synthesizer selects no parameter.
                if (v < 0 && registered && selected) v = 127;
                if (v >= 0) play(message(0xB0, c, number, v));
            }
        }
        if (const int v = get(channel.bend); v >= 0) play(message(0xE0, c, v & 0x7F, v >> 7));
        if (const int v = get(channel.pressure); v >= 0) play(message(0xD0, c, v, 0));
    }
}

}  // namespace tonvel
