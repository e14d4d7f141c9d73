#include "Notifier.h"

namespace vx {

Notifier::Notifier(const VxNotifySink *sink) {
  if (sink) sink_ = *sink;
}

void Notifier::notify(uint32_t message) const {
  std::lock_guard guard(lock_);
  if (sink_.notify) sink_.notify(sink_.context, message, handle_);
}

void Notifier::notifyBeat(const VxBeat &beat) const {
  std::lock_guard guard(lock_);
  if (beatSink_.beat)
    beatSink_.beat(beatSink_.context, handle_, &beat);
  else if (sink_.notify)
    sink_.notify(sink_.context, VX_NOTIFY_BEAT, handle_);
}

void Notifier::setBeatSink(const VxBeatSink *sink) {
  std::lock_guard guard(lock_);
  beatSink_ = sink ? *sink : VxBeatSink{};
}

void Notifier::setHandle(uint32_t handle) {
  std::lock_guard guard(lock_);
  handle_ = handle;
}

void Notifier::disarm() {
  std::lock_guard guard(lock_);
  sink_ = {};
  beatSink_ = {};
}

}  // namespace vx
