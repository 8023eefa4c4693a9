#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "midi/synth/synth_engine.h"

namespace tonvel {

// Frees engines on a thread of its own: one that held a large SoundFont takes tens of
// milliseconds to free, which the window's thread would miss frames for.
class BackgroundRelease {
  public:
    BackgroundRelease() = default;
    // Waits for what is being freed.
    ~BackgroundRelease();
    BackgroundRelease(const BackgroundRelease&) = delete;
    BackgroundRelease& operator=(const BackgroundRelease&) = delete;

    // Never waits: while the last batch is still being freed, these wait for the next call.
    void release(std::vector<std::unique_ptr<SynthEngine>> engines);

  private:
    std::vector<std::unique_ptr<SynthEngine>> waiting_;
    std::thread thread_;
    std::atomic<bool> busy_{false};
};

}  // namespace tonvel
