#include "midi/synth/soundfont_locator.h"

#include <fluidsynth.h>

#include <system_error>

#include "midi/synth/fluid_log.h"

namespace tonvel {

SoundFontSearch SoundFontSearch::systemDefault() {
    // default-GM.sf2 is the distribution's choice (a link managed by alternatives).
    return {"/usr/share/sounds/sf2", {"default-GM.sf2", "FluidR3_GM.sf2", "TimGM6mb.sf2"}};
}

std::optional<std::filesystem::path> findSoundFont(const SoundFontSearch& search) {
    for (const auto& name : search.candidates) {
        const auto path = search.folder / name;
        std::error_code error;
        // Follows links, so a dangling alternatives link is passed over.
        if (std::filesystem::is_regular_file(path, error)) return path;
    }
    return std::nullopt;
}

std::optional<std::string> soundFontProblem(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return "it is not a file";
    if (std::filesystem::file_size(path, error) == 0 && !error) return "the file is empty";
    const FluidLogCapture quiet;
    if (fluid_is_soundfont(path.c_str()) == 0) return "the file is not a SoundFont (SF2 or SF3)";
    return std::nullopt;
}

}  // namespace tonvel
