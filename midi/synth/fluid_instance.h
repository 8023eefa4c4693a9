#pragma once

#include <fluidsynth.h>

#include <filesystem>
#include <optional>

namespace tonvel {

struct FluidInstance {
    fluid_settings_t* settings;
    fluid_synth_t* synth;
    int soundFont;
};

// A synthesizer made from `settings`, which it takes over, with `soundFont` loaded (and its
// channels' presets chosen when `selectPresets`); nothing, with everything freed, when either
// step fails.
std::optional<FluidInstance> loadFluidInstance(fluid_settings_t* settings,
                                               const std::filesystem::path& soundFont,
                                               bool selectPresets);

}  // namespace tonvel
