#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "midi/synth/synth_engine.h"

namespace tonvel {

// A SoundFont read into an engine of its own, on a thread of its own: nothing that plays is
// touched meanwhile. A file that is no SoundFont, or that FluidSynth cannot read, leaves no
// engine and a reason in a few plain words.
class EngineLoad {
  public:
    // Runs on the loading thread with the new engine before it counts as loaded: programs chosen
    // there have their samples read there.
    using Prepare = std::function<void(SynthEngine&)>;

    EngineLoad(std::filesystem::path path, SynthConfig config, Prepare prepare);
    // Waits for the thread: a load cannot be stopped half way.
    ~EngineLoad();
    EngineLoad(const EngineLoad&) = delete;
    EngineLoad& operator=(const EngineLoad&) = delete;

    const std::filesystem::path& path() const { return path_; }
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // What the loading thread has read of its files so far.
    uint64_t bytesRead() const;
    // Once finished: the engine, once; null when the file did not load.
    std::unique_ptr<SynthEngine> take();
    // Once finished: why it did not load; empty when it did.
    const std::string& failure() const;

  private:
    void run();

    std::filesystem::path path_;
    SynthConfig config_;
    Prepare prepare_;
    std::atomic<pid_t> thread_{0};
    std::atomic<uint64_t> readBefore_{0};
    std::atomic<uint64_t> readAtEnd_{0};
    std::atomic<bool> finished_{false};
    // Written by the loading thread before `finished_`.
    std::unique_ptr<SynthEngine> engine_;
    std::string failure_;
    std::thread worker_;
};

// Why `path` cannot be the synthesizer's SoundFont, as far as can be told without loading it;
// empty when it may be.
std::string soundFontRefusal(const std::filesystem::path& path);

}  // namespace tonvel
