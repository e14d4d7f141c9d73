// A bounded lock-free queue between exactly one producer thread and one consumer thread.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace vx {

// Capacity must be a power of two. Neither side locks or allocates, so the consumer may
// be an audio thread. The consumer may look at the oldest entry and leave it queued.
template <class T, std::size_t Capacity>
class SpscQueue {
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0,
                "capacity must be a power of two");

 public:
  // Producer: appends value; false when the queue is full (value not taken).
  bool push(const T &value) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
    slots_[tail & (Capacity - 1)] = value;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Consumer: the oldest entry, or nullptr when the queue is empty. Valid until pop().
  const T *front() const {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return nullptr;
    return &slots_[head & (Capacity - 1)];
  }

  // Consumer: removes the oldest entry; needs front() to have returned one.
  void pop() { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

  // Either side: entries queued at this moment (a snapshot).
  std::size_t size() const {
    return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire);
  }

  static constexpr std::size_t capacity() { return Capacity; }

 private:
  // The indices count up without wrapping to the capacity; each sits on its own cache line
  // so that the two threads do not bounce one line between them.
  alignas(64) std::atomic<std::size_t> head_{0};
  alignas(64) std::atomic<std::size_t> tail_{0};
  alignas(64) std::array<T, Capacity> slots_{};
};

}  // namespace vx
