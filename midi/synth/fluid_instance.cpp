#include "midi/synth/fluid_instance.h"

namespace tonvel {

std::optional<FluidInstance> loadFluidInstance(fluid_settings_t* settings,
                                               const std::filesystem::path& soundFont,
                                               bool selectPresets) {
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (synth == nullptr) {
        delete_fluid_settings(settings);
        return std::nullopt;
    }
    const int id = fluid_synth_sfload(synth, soundFont.c_str(), selectPresets ? 1 : 0);
    if (id == FLUID_FAILED) {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        return std::nullopt;
    }
    return FluidInstance{settings, synth, id};
}

}  // namespace tonvel
