#include "Notifier.h"

namespace vx {

Notifier::Notifier(const VxNotifySink *sink) {
  if (sink) sink_ = *sink;
}

void Notifier::notify(uint32_t message) const {
  std::lock_guard guard(lock_);
  if (sink_.notify) sink_.notify(sink_.context, message, handle_);
}

void Notifier::setHandle(uint32_t handle) {
  std::lock_guard guard(lock_);
  handle_ = handle;
}

void Notifier::disarm() {
  std::lock_guard guard(lock_);
  sink_ = {};
}

}  // namespace vx
