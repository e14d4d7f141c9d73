// The hidden notification object: it turns the library's notifications, made on the
// library's own threads, into events handled in order on the user-interface thread.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "VxMidi.h"

class TVxMidiNotifier : public QObject {
 public:
  // handler runs on the thread this object lives on (the user-interface thread) once per
  // notification, in the order the library made them. Never merged, never dropped.
  explicit TVxMidiNotifier(std::function<void(uint32_t message)> handler,
                           QObject *parent = nullptr);

  // The sink to give to the library's open calls; valid as long as this object lives. The
  // library must have closed the handle before this object is destroyed.
  const VxNotifySink *sink() const { return &sink_; }

  // The beat sink to give to a timer (VxSetBeatSink): each beat reaches onBeat on this
  // object's thread with its details, in order with the other notifications.
  const VxBeatSink *beatSink() const { return &beatSink_; }
  std::function<void(const VxBeat &beat)> onBeat;

 protected:
  bool event(QEvent *event) override;

 private:
  // Called on a library thread: posts and returns at once.
  static void post(void *context, uint32_t message, uint32_t handle);
  static void postBeat(void *context, uint32_t handle, const VxBeat *beat);

  std::function<void(uint32_t)> handler_;
  VxNotifySink sink_;
  VxBeatSink beatSink_;
};
