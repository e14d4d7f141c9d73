#include "Relogio.h"

#include <time.h>

#include <cerrno>
#include <chrono>

namespace bench {

int64_t agoraNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void dormirAte(int64_t ns) {
  const timespec alvo{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &alvo, nullptr) == EINTR) {
  }
}

}  // namespace bench
