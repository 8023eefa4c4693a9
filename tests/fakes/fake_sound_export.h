#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/sound_export.h"

namespace tonvel::testing {

// Keeps every job; each run finishes when the test says so, with the failure it is given.
class FakeSoundExporter : public SoundExporter {
  public:
    struct Run : SoundExportRun {
        double progressNow = 0;
        bool done = false, wasCancelled = false, cancelAsked = false;
        std::optional<std::string> failed;
        double progress() const override { return progressNow; }
        bool finished() const override { return done; }
        std::optional<std::string> failure() const override { return failed; }
        bool cancelled() const override { return wasCancelled; }
        void cancel() override { cancelAsked = true; }
    };
    std::vector<SoundExportJob> jobs;
    Run* last = nullptr;  // the run under way, owned by the window
    SynthSound currentSound() override { return {.soundFont = "/sf/GM.sf2", .gain = 1.2F}; }
    std::unique_ptr<SoundExportRun> start(SoundExportJob job) override {
        jobs.push_back(std::move(job));
        auto run = std::make_unique<Run>();
        last = run.get();
        return run;
    }
};

}  // namespace tonvel::testing
