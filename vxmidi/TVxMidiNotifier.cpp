#include "TVxMidiNotifier.h"

#include <QCoreApplication>
#include <QEvent>

// Qt hands a posted event to the receiver's thread under its own futex-based lock, which
// ThreadSanitizer does not see: the hand-off of each notification is told to it here, so that
// what is written into the event before the post counts as seen by the thread that handles it.
#if defined(__SANITIZE_THREAD__)
#define KOVRINTA_TSAN_BUILD 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KOVRINTA_TSAN_BUILD 1
#endif
#endif
#ifdef KOVRINTA_TSAN_BUILD
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
#endif

namespace {

// One event type for every notification; the message (and a beat's details) travel in it.
const QEvent::Type notificationType = static_cast<QEvent::Type>(QEvent::registerEventType());

class NotificationEvent : public QEvent {
 public:
  explicit NotificationEvent(uint32_t message) : QEvent(notificationType), message(message) {}
  NotificationEvent(uint32_t message, const VxBeat &beat)
      : QEvent(notificationType), message(message), beat(beat), hasBeat(true) {}
  const uint32_t message;
  const VxBeat beat{};
  const bool hasBeat = false;
};

void postar(TVxMidiNotifier *receiver, NotificationEvent *event) {
#ifdef KOVRINTA_TSAN_BUILD
  __tsan_release(event);
#endif
  QCoreApplication::postEvent(receiver, event);
}

}  // namespace

TVxMidiNotifier::TVxMidiNotifier(std::function<void(uint32_t)> handler, QObject *parent)
    : QObject(parent),
      handler_(std::move(handler)),
      sink_{&TVxMidiNotifier::post, this},
      beatSink_{&TVxMidiNotifier::postBeat, this} {}

// postEvent is safe from any thread and never merges custom events. Normal priority keeps
// the notifications in order with everything else posted to the window's thread.
void TVxMidiNotifier::post(void *context, uint32_t message, uint32_t) {
  postar(static_cast<TVxMidiNotifier *>(context), new NotificationEvent(message));
}

void TVxMidiNotifier::postBeat(void *context, uint32_t, const VxBeat *beat) {
  if (!beat) return;
  postar(static_cast<TVxMidiNotifier *>(context), new NotificationEvent(VX_NOTIFY_BEAT, *beat));
}

bool TVxMidiNotifier::event(QEvent *event) {
#ifdef KOVRINTA_TSAN_BUILD
  __tsan_acquire(event);
#endif
  if (event->type() != notificationType) return QObject::event(event);
  const auto *notification = static_cast<NotificationEvent *>(event);
  if (notification->hasBeat) {
    if (onBeat) onBeat(notification->beat);
  } else if (handler_) {
    handler_(notification->message);
  }
  return true;
}
