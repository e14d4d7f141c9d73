#include "TVxMidiNotifier.h"

#include <QCoreApplication>
#include <QEvent>

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

}  // namespace

TVxMidiNotifier::TVxMidiNotifier(std::function<void(uint32_t)> handler, QObject *parent)
    : QObject(parent),
      handler_(std::move(handler)),
      sink_{&TVxMidiNotifier::post, this},
      beatSink_{&TVxMidiNotifier::postBeat, this} {}

// postEvent is safe from any thread and never merges custom events. Normal priority keeps
// the notifications in order with everything else posted to the window's thread.
void TVxMidiNotifier::post(void *context, uint32_t message, uint32_t) {
  QCoreApplication::postEvent(static_cast<TVxMidiNotifier *>(context),
                              new NotificationEvent(message));
}

void TVxMidiNotifier::postBeat(void *context, uint32_t, const VxBeat *beat) {
  if (!beat) return;
  QCoreApplication::postEvent(static_cast<TVxMidiNotifier *>(context),
                              new NotificationEvent(VX_NOTIFY_BEAT, *beat));
}

bool TVxMidiNotifier::event(QEvent *event) {
  if (event->type() != notificationType) return QObject::event(event);
  const auto *notification = static_cast<NotificationEvent *>(event);
  if (notification->hasBeat) {
    if (onBeat) onBeat(notification->beat);
  } else if (handler_) {
    handler_(notification->message);
  }
  return true;
}
