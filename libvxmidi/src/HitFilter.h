// Decides what each message a drummer's module sends is: a hit to sound and show, a pedal
// movement, or nothing (too soft, a flood, cross-talk). Fixed state, no allocation: it runs on
// the input's real-time thread. The program's settings reach it through configure().
#pragma once

#include <cstdint>

#include <atomic>

#include "InputStream.h"
#include "VxMidi.h"

namespace vx {

class HitFilter {
 public:
  struct Decision {
    bool deliver = false;     // handed to the program
    uint8_t soundedNote = 0;  // the note the hit sounds as, 0 for none (the event's data3)
    ShortMessage sound;       // what to play on the output; length 0 for nothing
  };

  // Entry lock: the judging from now on (thru null: every message delivered as received,
  // floods still thinned, nothing sounded). Takes effect at the next message.
  void configure(const VxMidiThru *thru);

  // Input thread: judges message, arrived at ns on the monotonic clock.
  Decision take(const ShortMessage &message, int64_t ns);

 private:
  struct Config {
    bool active = false;
    VxMidiThru thru{};
  };
  void refresh();

  // A triple buffer: the entry lock's thread writes slots_[back_] and swaps it into middle_,
  // marked new; the input thread swaps a new middle into front_. Neither waits for the other.
  static constexpr uint8_t kNew = 4;
  Config slots_[3]{};
  std::atomic<uint8_t> middle_{1};
  uint8_t back_ = 0;
  uint8_t front_ = 2;
  // Input thread only.
  struct LastHit {
    int64_t ns = 0;
    uint8_t velocity = 0;
    bool seen = false;
  };
  LastHit last_[128]{};
  uint8_t soundedBy_[128]{};  // the note each received note last sounded as, for its note-off
  bool pedalHeard_ = false;
  uint8_t pedal_ = 0;  // the last value of controller 4

  const Config &config() const { return slots_[front_]; }
};

}  // namespace vx
