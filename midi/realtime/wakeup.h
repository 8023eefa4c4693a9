#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

namespace tonvel {

// Wakes one waiting thread from any other without a lock, and lets it sleep until a time on
// the steady clock to the microsecond: the standard library's timed semaphore waits back off
// in steps of milliseconds.
class Wakeup {
  public:
    using Clock = std::chrono::steady_clock;

    // What the waiter saw before it last looked for work: a wake after this makes wait return.
    uint32_t look() const { return word_.load(std::memory_order_acquire); }
    void wake();
    // Sleeps while nothing woke it since `seen`, until `until` when given.
    void wait(uint32_t seen, std::optional<Clock::time_point> until);

  private:
    std::atomic<uint32_t> word_{0};
};

}  // namespace tonvel
