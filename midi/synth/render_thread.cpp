#include "midi/synth/render_thread.h"

#include <thread>

#include "midi/realtime/realtime_thread.h"

namespace tonvel {

void RenderThread::noteCaller(int frames) {
    if (thread_.load(std::memory_order_relaxed) != 0) return;
    frames_.store(frames, std::memory_order_relaxed);
    thread_.store(currentThreadId(), std::memory_order_release);
}

void RenderThread::reset() {
    thread_.store(0);
    frames_.store(0);
}

bool RenderThread::raise(int priority, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    pid_t thread = 0;
    while ((thread = thread_.load(std::memory_order_acquire)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (thread == 0) return false;
    if (runsAtRealtime(thread)) return true;
    return raiseToRealtime(thread, priority) != RealtimeGrant::Refused;
}

}  // namespace tonvel
