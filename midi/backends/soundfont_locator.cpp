#include "midi/backends/soundfont_locator.h"

#include <system_error>

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

}  // namespace tonvel
