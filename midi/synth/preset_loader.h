#pragma once

#include <fluidsynth.h>

#include <filesystem>
#include <memory>

namespace tonvel {

// Reads a program's samples (decoding them, for an .sf3) in a FluidSynth instance of its own,
// which no other thread calls: the instance that plays, with its samples loaded on demand, then
// finds them in FluidSynth's sample cache, shared between instances, and takes them in a moment.
// Its SoundFont costs a parse and the memory of the presets' descriptions, no samples.
class PresetLoader {
  public:
    // Null when the SoundFont cannot be loaded.
    static std::unique_ptr<PresetLoader> create(const std::filesystem::path& soundFont);
    ~PresetLoader();
    PresetLoader(const PresetLoader&) = delete;
    PresetLoader& operator=(const PresetLoader&) = delete;

    // Keeps the program's samples in the cache until release(). False when there is no such
    // program.
    bool hold(int bank, int program);
    void release(int bank, int program);

  private:
    PresetLoader(fluid_settings_t* settings, fluid_synth_t* synth, int soundFont);

    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    int soundFont_;
};

}  // namespace tonvel
