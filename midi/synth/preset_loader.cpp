#include "midi/synth/preset_loader.h"

#include "midi/synth/fluid_instance.h"

namespace tonvel {

std::unique_ptr<PresetLoader> PresetLoader::create(const std::filesystem::path& soundFont) {
    fluid_settings_t* settings = new_fluid_settings();
    if (settings == nullptr) return nullptr;
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    // It never sounds.
    fluid_settings_setint(settings, "synth.polyphony", 1);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    // No program is selected on its channels, so nothing is read at the load.
    const auto made = loadFluidInstance(settings, soundFont, false);
    if (!made) return nullptr;
    return std::unique_ptr<PresetLoader>(
        new PresetLoader(made->settings, made->synth, made->soundFont));
}

PresetLoader::PresetLoader(fluid_settings_t* settings, fluid_synth_t* synth, int soundFont)
    : settings_(settings), synth_(synth), soundFont_(soundFont) {}

PresetLoader::~PresetLoader() {
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
}

bool PresetLoader::hold(int bank, int program) {
    return fluid_synth_pin_preset(synth_, soundFont_, bank, program) == FLUID_OK;
}

void PresetLoader::release(int bank, int program) {
    fluid_synth_unpin_preset(synth_, soundFont_, bank, program);
}

}  // namespace tonvel
