#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "midi/sound_choice.h"
#include "midi/sound_export.h"
#include "midi/synth/background_release.h"
#include "midi/synth/builtin_synth.h"
#include "midi/synth/engine_load.h"

namespace tonvel {

// The player's choice of sound for the built-in synthesizer. A SoundFont chosen while the
// program runs loads into an engine of its own on a thread of its own, with the programs the
// channels use, and is offered to the synthesizer once complete (BuiltinSynth::offer).
class SoundFontChoice : public SoundChoice {
  public:
    // `given`: the SoundFont chosen when the program started, which wins over the kept one for
    // the run; empty when none was.
    SoundFontChoice(BuiltinSynth& synth, std::filesystem::path given);
    ~SoundFontChoice() override;

    void startWith(const std::string& soundFont, bool reverb, bool chorus) override;
    void load(const std::string& path) override;
    bool busy() const override;
    SoundFontNews tick() override;
    void setEffects(bool reverb, bool chorus) override;
    std::string soundFont() const override;

    // What a sound file made now must sound like.
    SynthSound currentSound() const;

  private:
    void start(const std::filesystem::path& path);

    BuiltinSynth& synth_;
    std::filesystem::path given_;
    std::filesystem::path kept_;
    bool startTold_ = false;
    std::unique_ptr<EngineLoad> load_;
    std::unique_ptr<SynthEngine> loaded_;  // waiting for a place to take over from
    std::filesystem::path next_;           // chosen while another loads
    BackgroundRelease release_;
};

}  // namespace tonvel
