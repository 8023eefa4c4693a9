#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tonvel {

// What ended a sound lately on an output that may lose what it sent: JACK drops the MIDI of a
// cycle that a client finished late, and a lost note-off leaves a note on, a lost pedal release
// a pedal down. Kept per note and per pedal, so that after such a loss each ending sent in the
// last moments is sent again, unless the note or the pedal has started since. Sending it twice
// changes nothing at the other end. No allocation: it lives on the process callback.
class SentEndings {
  public:
    // How long an ending is worth sending again, and how many times at most.
    static constexpr uint64_t kWindowMicroseconds = 250'000;
    static constexpr uint8_t kRepeats = 2;

    // A message that left at `now` (microseconds on any steady clock).
    void sent(const uint8_t* bytes, size_t size, uint64_t now);
    // Calls send(bytes, size) for each ending sent within the window before `now` that nothing
    // has undone since, as a note-off with velocity 0 or a pedal at 0.
    template <typename Send>
    void repeat(uint64_t now, Send&& send);

  private:
    static constexpr std::array<uint8_t, 3> kPedals = {64, 66, 69};
    struct Ending {
        uint64_t at = 0;  // 0: nothing to repeat
        uint8_t repeats = 0;
    };
    static bool due(Ending& ending, uint64_t now);

    std::array<Ending, 16 * 128> notes_{};
    std::array<Ending, 16 * kPedals.size()> pedals_{};
};

template <typename Send>
void SentEndings::repeat(uint64_t now, Send&& send) {
    for (size_t i = 0; i < notes_.size(); ++i) {
        if (!due(notes_[i], now)) continue;
        const uint8_t bytes[3] = {static_cast<uint8_t>(0x80 | i / 128),
                                  static_cast<uint8_t>(i % 128), 0};
        send(bytes, sizeof bytes);
    }
    for (size_t i = 0; i < pedals_.size(); ++i) {
        if (!due(pedals_[i], now)) continue;
        const uint8_t bytes[3] = {static_cast<uint8_t>(0xB0 | i / kPedals.size()),
                                  kPedals[i % kPedals.size()], 0};
        send(bytes, sizeof bytes);
    }
}

}  // namespace tonvel
