#pragma once

#include <memory>

#include "midi/synth/soundfont_locator.h"
#include "midi/sound_export.h"

namespace tonvel {

// Sound files made by FluidSynth's file renderer, faster than the music plays, on a thread of
// their own. The file grows under a hidden name beside its place and takes its name only when
// complete, so a failure or a cancel leaves nothing behind.
class FluidSoundExporter : public SoundExporter {
  public:
    explicit FluidSoundExporter(SoundFontSearch search) : search_(std::move(search)) {}
    SynthSound currentSound() override;
    std::unique_ptr<SoundExportRun> start(SoundExportJob job) override;

  private:
    SoundFontSearch search_;
};

}  // namespace tonvel
