// The moment the messages put now are due: while a beat of a timer is delivered, every message
// the handler puts is stamped with the beat's ideal time plus the output latency, so that the
// device plays it on the beat's grid however late the user-interface thread handled the beat.
// Outside a beat messages leave at once. User-interface thread only.
#pragma once

#include <chrono>
#include <cstdint>

class TVxMidiStamp {
 public:
  // Nanoseconds on the monotonic clock, or 0 when messages leave at once.
  static int64_t current() { return current_; }
  // Now on the clock stamps are given on, in nanoseconds.
  static int64_t agora() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  // Stamps the messages put while it lives; the previous stamp comes back when it ends.
  class Scope {
   public:
    explicit Scope(int64_t dueNs) : previous_(current_) { current_ = dueNs; }
    ~Scope() { current_ = previous_; }
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;

   private:
    int64_t previous_;
  };

 private:
  static inline int64_t current_ = 0;
};
