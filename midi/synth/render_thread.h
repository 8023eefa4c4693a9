#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>

namespace tonvel {

// The thread an audio driver renders on, learnt from its first call, and raised to real-time
// priority from another thread, since asking may wait on the system bus.
class RenderThread {
  public:
    // On the render thread, at every call; costs one load after the first.
    void noteCaller(int frames);
    // Forgets the thread, for a driver about to start.
    void reset();
    // FluidSynth's own choice for its audio threads: above the desktop, below a JACK server's.
    static constexpr int kAudioPriority = 60;
    // A driver renders its first block as soon as its thread starts.
    static constexpr std::chrono::milliseconds kFirstCallWait{250};

    // Waits up to `wait` for the first call, then raises that thread unless it runs at
    // real-time priority already. Whether it does so now.
    bool raise(int priority = kAudioPriority, std::chrono::milliseconds wait = kFirstCallWait);
    int frames() const { return frames_.load(std::memory_order_relaxed); }

  private:
    std::atomic<pid_t> thread_{0};
    std::atomic<int> frames_{0};
};

}  // namespace tonvel
