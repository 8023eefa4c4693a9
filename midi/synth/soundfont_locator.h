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

// Why the file at `path` cannot be the synthesizer's SoundFont, in a few plain words, or nothing
// when it can. FluidSynth's own test reads the file's start; its complaints are kept back.
std::optional<std::string> soundFontProblem(const std::filesystem::path& path);

}  // namespace tonvel
