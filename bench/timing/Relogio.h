// The monotonic clock the benchmarks time presses, sends and cycles on: steady_clock's, which
// is CLOCK_MONOTONIC, so that a moment taken here can be slept to with clock_nanosleep.
#pragma once

#include <cstdint>

namespace bench {

// Now, ns on the monotonic clock.
int64_t agoraNs();

// Sleeps until ns on the monotonic clock, through any signal that wakes it early.
void dormirAte(int64_t ns);

}  // namespace bench
