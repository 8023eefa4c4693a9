#include "midi/synth/background_release.h"

#include "midi/realtime/realtime_thread.h"

namespace tonvel {

BackgroundRelease::~BackgroundRelease() {
    if (thread_.joinable()) thread_.join();
}

void BackgroundRelease::release(std::vector<std::unique_ptr<SynthEngine>> engines) {
    for (auto& engine : engines)
        if (engine) waiting_.push_back(std::move(engine));
    if (waiting_.empty() || busy_.load(std::memory_order_acquire)) return;
    if (thread_.joinable()) thread_.join();
    busy_.store(true);
    thread_ = std::thread([this, batch = std::move(waiting_)]() mutable {
        lowerToBackground();
        batch.clear();
        busy_.store(false, std::memory_order_release);
    });
    waiting_.clear();
}

}  // namespace tonvel
