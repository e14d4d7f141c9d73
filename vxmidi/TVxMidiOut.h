// One MIDI output device of the library.
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
class TVxMidiScore;

class TVxMidiOut : public QObject {
 public:
  explicit TVxMidiOut(QObject *owner = nullptr);
  // Closes an open output (which resets it) before releasing the notifier.
  ~TVxMidiOut() override;

  // The loader and, optionally, the timer this output is paced by; assigned by the owner.
  TVxMidi *VxMidi = nullptr;
  TVxMidiSync *Sync = nullptr;

  uint32_t Handle() const { return handle_; }
  uint32_t OpenParameter() const { return openParameter_; }
  uint16_t DeviceId() const { return deviceId_; }
  const QString &Description() const { return description_; }
  bool IsOpen() const { return open_; }
  // Why the last Open failed: one of the library's VX_OPEN_ codes; VX_OPEN_FAILED also before
  // any failure. FailureText() is the library's English text for it, empty unless the last
  // Open failed.
  uint32_t FailureCode() const { return failure_; }
  QString FailureText() const;

  // Opens device DeviceId; true when open. A refusal leaves Handle 0 and the output
  // closed, with its reason in FailureCode. Throws "No VxMidi" without a loader and
  // "already open" when open.
  bool Open(uint16_t DeviceId, uint32_t OpenParameter);
  // Empties Description, resets and closes; Handle keeps its value. Throws
  // "midiOut not open".
  void Close();
  // Hands one event to the library: true when taken, or when the output is closed (the
  // event is then dropped); false when the library has no room. While a timer's beat is
  // delivered the event carries the beat's stamp (TVxMidiStamp) and sounds on the beat's
  // grid; otherwise it leaves at once.
  bool Put(const VxMidiEvent &event);
  // Events that could not go out at their stamp (the user-interface thread was later than
  // the output latency); 0 for a closed output.
  uint32_t LateMessages() const;
  // How long after its stamp an event leaves the device, in nanoseconds; 0 for a closed
  // output or one that sends at once.
  int64_t StampDelayNs() const;
  // Ends all sound on the device. Throws "midiOut not open".
  void Reset();
  // Drops what is queued and not yet sent. Throws "midiOut not open".
  void Flush();
  // Number of output devices; no open needed. Throws "No VxMidi" without a loader.
  int GetNumDevices();
  // Binds the score that feeds this output when it reports room, or none.
  void SetScore(TVxMidiScore *score) { score_ = score; }
  TVxMidiScore *Score() const { return score_; }

  // Called on the user-interface thread after the library reported room and a bound score
  // was fed.
  std::function<void(QObject *Sender)> OutBufferReady;
  // The device went away (its sound server stopped): nothing put sounds any more; close the
  // output, and open it again once the server is back. User-interface thread.
  std::function<void(QObject *Sender)> OnDeviceLost;

 private:
  void notified(uint32_t message);

  uint32_t handle_ = 0;
  uint32_t openParameter_ = 0;
  uint16_t deviceId_ = 0;
  bool open_ = false;
  bool failed_ = false;
  uint32_t failure_ = VX_OPEN_FAILED;
  QString description_;
  TVxMidiScore *score_ = nullptr;
  std::unique_ptr<TVxMidiNotifier> notifier_;
};
