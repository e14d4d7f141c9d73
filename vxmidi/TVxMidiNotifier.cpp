#include "TVxMidiNotifier.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

// One event type for every notification; the message travels in the event.
const QEvent::Type notificationType = static_cast<QEvent::Type>(QEvent::registerEventType());

class NotificationEvent : public QEvent {
 public:
  explicit NotificationEvent(uint32_t message) : QEvent(notificationType), message(message) {}
  const uint32_t message;
};

}  // namespace

TVxMidiNotifier::TVxMidiNotifier(std::function<void(uint32_t)> handler, QObject *parent)
    : QObject(parent), handler_(std::move(handler)), sink_{&TVxMidiNotifier::post, this} {}

void TVxMidiNotifier::post(void *context, uint32_t message, uint32_t) {
  // postEvent is safe from any thread and never merges custom events.
  QCoreApplication::postEvent(static_cast<TVxMidiNotifier *>(context),
                              new NotificationEvent(message), Qt::HighEventPriority);
}

bool TVxMidiNotifier::event(QEvent *event) {
  if (event->type() != notificationType) return QObject::event(event);
  if (handler_) handler_(static_cast<NotificationEvent *>(event)->message);
  return true;
}
