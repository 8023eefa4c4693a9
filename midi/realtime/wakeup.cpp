#include "midi/realtime/wakeup.h"

#ifdef __linux__
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>
#else
#include <thread>
#endif

namespace tonvel {

void Wakeup::wake() {
    word_.fetch_add(1, std::memory_order_release);
#ifdef __linux__
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word_), FUTEX_WAKE_PRIVATE, 1, nullptr,
            nullptr, 0);
#else
    word_.notify_one();
#endif
}

void Wakeup::wait(uint32_t seen, std::optional<Clock::time_point> until) {
#ifdef __linux__
    // An absolute time on CLOCK_MONOTONIC, which is the steady clock here.
    timespec deadline{};
    if (until) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            until->time_since_epoch())
                            .count();
        if (ns <= 0) return;
        deadline.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        deadline.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    }
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word_), FUTEX_WAIT_BITSET_PRIVATE, seen,
            until ? &deadline : nullptr, nullptr, FUTEX_BITSET_MATCH_ANY);
#else
    if (!until) {
        word_.wait(seen, std::memory_order_acquire);
        return;
    }
    while (word_.load(std::memory_order_acquire) == seen && Clock::now() < *until)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
#endif
}

}  // namespace tonvel
