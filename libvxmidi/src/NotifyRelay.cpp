#include "NotifyRelay.h"

#include <cerrno>
#include <system_error>

namespace vx {

NotifyRelay::NotifyRelay(const Notifier &notifier, uint32_t message)
    : notifier_(notifier), message_(message) {
  if (sem_init(&pending_, 0, 0) != 0) throw std::system_error(errno, std::generic_category());
  try {
    thread_ = std::thread([this] { run(); });
  } catch (...) {
    sem_destroy(&pending_);
    throw;
  }
}

NotifyRelay::~NotifyRelay() {
  quit_.store(true, std::memory_order_release);
  sem_post(&pending_);
  thread_.join();
  sem_destroy(&pending_);
}

void NotifyRelay::signal() noexcept {
  sem_post(&pending_);
}

void NotifyRelay::run() {
  for (;;) {
    while (sem_wait(&pending_) != 0 && errno == EINTR) {
    }
    if (quit_.load(std::memory_order_acquire)) return;
    notifier_.notify(message_);
  }
}

}  // namespace vx
