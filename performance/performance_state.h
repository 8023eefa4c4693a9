#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tonvel {

// The main window's playing state.
struct PerformanceState {
    int16_t currentProgram = 0;
    int16_t maxProgram = 0;
    std::array<int16_t, 5> bankPrograms{};  // F1..F4; the fifth is never used
    std::array<std::optional<int16_t>, 12> drumPadNotes{};
    int16_t baseKey = 0;
    int16_t noteVelocity = 0;
    int16_t selectedDrumPad = 0;

    int16_t beatStyleIndex = 0;
    int16_t beatStep = 0;
    int16_t beatSection = 0;      // -1 idle, 0..4 playing
    int16_t beatNextSection = 0;  // -2 none, -1 stop at the end, 0..4 requested

    std::array<uint8_t, 256> keyState{};
    std::array<uint8_t, 256> keyPlayed{};
    // The note each sounding key started, so its release stops exactly that note even
    // when the base note or a pad's sound changed while it was held. -1: none.
    std::array<int16_t, 256> soundingNote = [] {
        std::array<int16_t, 256> notes{};
        notes.fill(-1);
        return notes;
    }();
    std::vector<int> pianoKeyCodes;
    std::vector<int> drumKeyCodes;
};

}  // namespace tonvel
