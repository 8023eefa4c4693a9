#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

namespace tonvel {

// A lock-free ring between one producing thread and one consuming thread, of fixed capacity,
// that never allocates once made. Capacity must be a power of two.
template <typename T, size_t Capacity>
class SpscRing {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0);

  public:
    // Producer only. False when full.
    bool push(const T& item) {
        const size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
        items_[tail & (Capacity - 1)] = item;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Consumer only.
    std::optional<T> pop() {
        const size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return std::nullopt;
        T item = items_[head & (Capacity - 1)];
        head_.store(head + 1, std::memory_order_release);
        return item;
    }

    bool empty() const {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

  private:
    std::array<T, Capacity> items_{};
    alignas(64) std::atomic<size_t> head_{0};
    alignas(64) std::atomic<size_t> tail_{0};
};

}  // namespace tonvel
