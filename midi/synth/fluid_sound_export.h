#pragma once

#include <functional>
#include <memory>

#include "midi/sound_export.h"
#include "midi/synth/soundfont_locator.h"

namespace tonvel {

// Sound files made by FluidSynth's file renderer, faster than the music plays, on a thread of
// their own. The file grows under a hidden name beside its place and takes its name only when
// complete, so a failure or a cancel leaves nothing behind.
class FluidSoundExporter : public SoundExporter {
  public:
    // Sounds like the first SoundFont the search finds, at its level.
    explicit FluidSoundExporter(SoundFontSearch search) : search_(std::move(search)) {}
    // Sounds as `sound` says, asked at each export.
    explicit FluidSoundExporter(std::function<SynthSound()> sound) : sound_(std::move(sound)) {}
    SynthSound currentSound() override;
    std::unique_ptr<SoundExportRun> start(SoundExportJob job) override;

  private:
    SoundFontSearch search_;
    std::function<SynthSound()> sound_;
};

}  // namespace tonvel
