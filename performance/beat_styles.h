#pragma once

#include <string>
#include <vector>

namespace tonvel {

// A built-in drum rhythm: five sections (intro, main, fill, variation, ending) of
// steps, each step the percussion notes struck together, ";" "|" and "," apart.
struct BeatStyle {
    std::string name;
    int tempo;  // step length in milliseconds
    std::string pattern;
};

std::vector<BeatStyle> loadBeatStyles();

using BeatStep = std::vector<int>;
using BeatSection = std::vector<BeatStep>;

// The pattern's sections; an empty step is a rest. Items that are not numbers are skipped.
std::vector<BeatSection> parseBeatPattern(const std::string& pattern);

}  // namespace tonvel
