// The beat timer: one timer of the library whose beats arrive as OnMidiBeat on the
// user-interface thread.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "TVxMidiNotifier.h"

class TVxMidi;

class TVxMidiSync : public QObject {
 public:
  // How long after a beat's ideal time the messages its handler puts are due. It covers a
  // stall of the user-interface thread of up to 25 ms (a file dialog reading a large folder,
  // a window dragged, a busy machine) and 5 ms more for the beats that queued meanwhile, so
  // that no stall short of that moves a note. The kit's picture of a beat waits as long (see
  // AgendaKit), so that it lights when the beat sounds.
  static constexpr int64_t OutputLatencyNs = 30'000'000;

  explicit TVxMidiSync(QObject *owner = nullptr);
  // Stops and closes an open timer before releasing the notifier.
  ~TVxMidiSync() override;

  // Called on the user-interface thread once per beat, in order; beats that arrive while
  // that thread is busy wait in its queue and come late, never merged. A beat still queued
  // when the timer is stopped, or when its period changes while running, is not delivered.
  std::function<void(QObject *Sender)> OnMidiBeat;
  // Called on the user-interface thread when the library reports the timer stopped.
  std::function<void(QObject *Sender)> OnSyncDone;

  // The loader; assigned by the owner.
  TVxMidi *VxMidi = nullptr;

  uint32_t Handle() const { return handle_; }
  uint16_t Option1() const { return option1_; }
  uint16_t Option2() const { return option2_; }
  bool IsOpen() const { return open_; }
  bool IsRunning() const { return running_; }

  // Creates the library's timer unless one is open, then records the options; answers the
  // open flag. Throws "No VxMidi" without a loader.
  bool Open(uint16_t Option1, uint16_t Option2);
  // Stops the beats and releases the library's timer; a later Open makes a new one.
  // Throws "sync not open".
  void Close();
  // Starts the beats. Throws "sync not open".
  void Start();
  // Stops the beats; does nothing on a closed timer.
  void Stop();
  // Sets the period between beats in microseconds; true when the library accepted it.
  // Goes to whatever Handle holds, also 0. Throws "No VxMidi" without a loader.
  bool SetTempo(uint32_t tempo);
  // Sets the period between beats to numeratorUs / denominator microseconds exactly. On a
  // running timer the grid goes on from the last beat delivered (or the start): the next
  // beat is due one new period after that beat's ideal time, and no beat of the old period
  // is delivered afterwards. True when accepted; false (nothing changed) for a zero value or
  // a period shorter than the library's VX_MIN_PERIOD_US. Throws "No VxMidi" without a
  // loader.
  bool SetPeriod(uint32_t numeratorUs, uint32_t denominator);
  // Position in the run of the last beat delivered; 0 before the first since Start.
  uint32_t BeatPosition() const { return position_; }
  // When the beat being delivered (or the last one) was due on the monotonic clock.
  int64_t BeatIdealNs() const { return idealNs_; }

  // Tells the library the ticks per quarter note of the music; the beat rate stays. The
  // library's answer is passed through. Throws "No VxMidi" without a loader.
  uint16_t SetResolution(uint16_t resolution);

 private:
  void notified(uint32_t message);
  void beat(const VxBeat &beat);
  // Takes the library's run after a change, so that beats of earlier runs are left out.
  void followRun();

  uint32_t handle_ = 0;
  uint32_t run_ = 0;
  uint32_t position_ = 0;
  int64_t idealNs_ = 0;
  bool open_ = false;
  uint16_t option1_ = 0;
  uint16_t option2_ = 0;
  bool running_ = false;
  std::unique_ptr<TVxMidiNotifier> notifier_;
};
