#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvel {

// The persisted part of the state: the 19 numbers of con_set.dat.
struct Settings {
    int32_t midiDeviceId = 0;
    int16_t showKeyLabels = 0;
    int16_t stayOnTop = 0;
    std::array<int16_t, 4> bankPrograms{};
    std::array<std::optional<int16_t>, 12> drumPadNotes{};  // empty: never filled
};

// Text in 14-column print zones with CR LF line ends.
std::string formatSettings(const Settings& settings);

// Reads the 19 fields in order, whatever the line structure. Fields that cannot be
// read, or whose value could not go into a MIDI message, keep their current value.
// Returns one failure description per read operation that failed (at most three).
std::vector<std::string> parseSettings(std::string_view text, Settings& settings);

// Replaces the file only once the new content is completely written; never writes through a
// symbolic link.
bool saveSettingsFile(const std::string& path, const Settings& settings);

// As parseSettings; a file that cannot be opened fails the open and all three reads.
std::vector<std::string> loadSettingsFile(const std::string& path, Settings& settings);

}  // namespace tonvel
