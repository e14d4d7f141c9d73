#include "TVxMidiOut.h"

#include "TVxMidi.h"
#include "TVxMidiScore.h"
#include "TVxMidiStamp.h"
#include "TVxMidiSync.h"
#include "VxMidiResults.h"

TVxMidiOut::TVxMidiOut(QObject *owner)
    : QObject(owner),
      notifier_(std::make_unique<TVxMidiNotifier>([this](uint32_t m) { notified(m); })) {}

TVxMidiOut::~TVxMidiOut() {
  if (open_) Close();
}

bool TVxMidiOut::Open(uint16_t DeviceId, uint32_t OpenParameter) {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  vxresult::require(!open_, "already open");
  const VxMidiEntries &vx = VxMidi->entries();
  char description[VX_DESCRIPTION_SIZE] = {};
  vx.GetMidiOutDescription(DeviceId, description);
  description[VX_DESCRIPTION_SIZE - 1] = '\0';
  description_ = QString::fromUtf8(description);
  const uint32_t sync = Sync ? Sync->Handle() : 0;
  openParameter_ = OpenParameter;
  deviceId_ = DeviceId;
  handle_ = vx.OpenMidiOut(notifier_->sink(), DeviceId, sync, OpenParameter);
  failed_ = !vxresult::handleOpened(handle_);
  if (failed_) {
    failure_ = handle_;
    handle_ = 0;
    return false;
  }
  open_ = true;
  return true;
}

QString TVxMidiOut::FailureText() const {
  return failed_ ? QString::fromUtf8(VxOpenFailureText(failure_)) : QString();
}

void TVxMidiOut::Close() {
  vxresult::require(open_, "midiOut not open");
  description_.clear();
  Reset();
  VxMidi->entries().CloseMidiOut(handle_);
  open_ = false;
}

// Inside a timer's beat the message carries the beat's stamp, so that it sounds on the beat's
// grid; otherwise it leaves at once.
bool TVxMidiOut::Put(const VxMidiEvent &event) {
  if (!open_) return true;
  const int64_t due = TVxMidiStamp::current();
  const VxMidiEntries &vx = VxMidi->entries();
  return vxresult::accepted(due != 0 ? vx.VxPutMidiOutAt(handle_, &event, due)
                                     : vx.PutMidiOut(handle_, &event));
}

uint32_t TVxMidiOut::LateMessages() const {
  return open_ ? VxMidi->entries().VxGetMidiOutLate(handle_) : 0;
}

int64_t TVxMidiOut::StampDelayNs() const {
  return open_ ? VxMidi->entries().VxGetMidiOutDelay(handle_) : 0;
}

void TVxMidiOut::Reset() {
  vxresult::require(open_, "midiOut not open");
  VxMidi->entries().ResetMidiOut(handle_);
}

void TVxMidiOut::Flush() {
  vxresult::require(open_, "midiOut not open");
  VxMidi->entries().FlushMidiOut(handle_);
}

int TVxMidiOut::GetNumDevices() {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  return static_cast<int>(VxMidi->entries().GetNumOutDevices());
}

void TVxMidiOut::notified(uint32_t message) {
  if (message == VX_NOTIFY_DEVICE_LOST) {
    if (OnDeviceLost) OnDeviceLost(this);
    return;
  }
  if (message != VX_NOTIFY_OUT_ROOM) return;
  if (score_) score_->FeedOutput(*this);
  if (OutBufferReady) OutBufferReady(this);
}
