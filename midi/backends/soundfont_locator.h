#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tonvel {

// Where the built-in synthesizer looks for its General MIDI SoundFont: the first
// candidate that exists as a file in the folder wins.
struct SoundFontSearch {
    std::filesystem::path folder;
    std::vector<std::string> candidates;

    static SoundFontSearch systemDefault();
};

std::optional<std::filesystem::path> findSoundFont(const SoundFontSearch& search);

}  // namespace tonvel
