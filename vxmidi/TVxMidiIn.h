// One MIDI input device of the library: received events are drained on the
// user-interface thread, offered to OnMidiData, and recorded into a bound track.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "TVxMidiNotifier.h"
#include "VxMidi.h"

class TVxMidi;
class TVxMidiSync;
class TVxMidiOut;
class TVxMidiTrack;

class TVxMidiIn : public QObject {
 public:
  explicit TVxMidiIn(QObject *owner = nullptr);
  // Closes an open input before releasing the notifier.
  ~TVxMidiIn() override;

  TVxMidi *VxMidi = nullptr;
  TVxMidiSync *Sync = nullptr;

  uint32_t Handle() const { return handle_; }
  uint32_t OpenParameter() const { return openParameter_; }
  uint16_t DeviceId() const { return deviceId_; }
  const QString &Description() const { return description_; }
  bool IsOpen() const { return open_; }
  bool Started() const { return started_; }
  // Delta time carried over from dropped events, added to the next one.
  uint32_t PendingTime() const { return pendingTime_; }
  TVxMidiTrack *RecordingTrack() const { return track_; }

  // Opens input DeviceId; true when open. Throws "No VxMidi" without a loader and
  // "already open" when open.
  bool Open(uint16_t DeviceId, uint32_t OpenParameter);
  // Starts receiving. Throws "midiIn not open".
  void Start();
  // Stops receiving. Throws "midiIn not open".
  void Stop();
  // Stops and closes. Throws "midiIn not open".
  void Close();
  // The next received event (owned by the library, valid until the next call), or nullptr.
  const VxMidiEvent *ReadEvent();
  // Number of input devices, looked up now. Needs VxMidi.
  int GetNumDevices() const;
  // The full name of input device DeviceId, to find it by again (empty for an unknown one).
  // Needs VxMidi.
  QString PortName(uint16_t DeviceId) const;
  // Plays every hit on Output (none: nullptr) as the library judges it with thru (nullptr:
  // every event as received, nothing played); true when taken, false when the output cannot
  // take hits from the library's thread. Throws "midiIn not open".
  bool SetThru(TVxMidiOut *Output, const VxMidiThru *thru);
  // When the event ReadEvent last answered arrived, CLOCK_MONOTONIC nanoseconds.
  int64_t LastEventNs() const;

  // Binds track as the recording track: accepted events go to its RecordEvent.
  void AttachTrack(TVxMidiTrack *track);
  // Unbinds the recording track. Throws "track not found" when track is not the bound one.
  void DetachTrack(TVxMidiTrack *track);

  // Offered each received event except active sensing; setting *pbAccept false drops it,
  // and its delay is carried into the next event. Runs on the user-interface thread.
  std::function<void(VxMidiEvent *Event, bool *pbAccept)> OnMidiData;
  // The device went away (its port closed or unplugged, its server stopped): nothing more
  // arrives; close it. Runs on the user-interface thread.
  std::function<void(QObject *Sender)> OnDeviceLost;

 private:
  void notified(uint32_t message);
  void drain();

  uint32_t handle_ = 0;
  uint32_t openParameter_ = 0;
  uint16_t deviceId_ = 0;
  bool open_ = false;
  QString description_;
  bool started_ = false;
  uint32_t pendingTime_ = 0;
  TVxMidiTrack *track_ = nullptr;
  std::unique_ptr<TVxMidiNotifier> notifier_;
};
