#include "TVxMidiSync.h"

#include "TVxMidi.h"
#include "TVxMidiStamp.h"
#include "VxMidiResults.h"

TVxMidiSync::TVxMidiSync(QObject *owner)
    : QObject(owner),
      notifier_(std::make_unique<TVxMidiNotifier>([this](uint32_t m) { notified(m); })) {
  notifier_->onBeat = [this](const VxBeat &b) { beat(b); };
}

TVxMidiSync::~TVxMidiSync() {
  if (open_) {
    Stop();
    Close();
  }
}

bool TVxMidiSync::Open(uint16_t Option1, uint16_t Option2) {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  if (!open_) {
    handle_ = VxMidi->entries().OpenSync(0, notifier_->sink(), Option1, Option2);
    if (!vxresult::handleOpened(handle_)) {
      handle_ = 0;
      return false;
    }
    open_ = true;
    // Beats come with their run and ideal time from now on.
    VxMidi->entries().VxSetBeatSink(handle_, notifier_->beatSink());
  }
  option1_ = Option1;
  option2_ = Option2;
  return true;
}

void TVxMidiSync::Close() {
  vxresult::require(open_, "sync not open");
  running_ = false;
  open_ = false;
  // Releasing the library's timer here keeps it from announcing beats to a closed
  // component; Handle keeps its value as a record of the last timer.
  VxMidi->entries().CloseSync(handle_);
}

void TVxMidiSync::Start() {
  vxresult::require(open_, "sync not open");
  VxMidi->entries().StartSync(handle_);
  running_ = true;
  position_ = 0;
  followRun();
}

void TVxMidiSync::Stop() {
  if (!open_) return;
  VxMidi->entries().StopSync(handle_);
  running_ = false;
  followRun();
}

bool TVxMidiSync::SetTempo(uint32_t tempo) {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  return vxresult::accepted(VxMidi->entries().SetTempo(handle_, tempo));
}

bool TVxMidiSync::SetPeriod(uint32_t numeratorUs, uint32_t denominator) {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  const bool accepted = vxresult::accepted(VxMidi->entries().VxSetSyncPeriod(
      handle_, numeratorUs, denominator, running_ ? position_ : 0));
  if (running_) followRun();
  return accepted;
}

void TVxMidiSync::followRun() {
  run_ = VxMidi->entries().VxGetSyncRun(handle_);
}

uint16_t TVxMidiSync::SetResolution(uint16_t resolution) {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  return VxMidi->entries().SetResolution(handle_, resolution);
}

void TVxMidiSync::notified(uint32_t message) {
  if (message == VX_NOTIFY_SYNC_DONE && OnSyncDone) OnSyncDone(this);
}

// A beat of an earlier run was announced before a stop, a start or a change of period that
// this component has made since: it belongs to a grid that no longer exists.
void TVxMidiSync::beat(const VxBeat &beat) {
  if (!running_ || beat.run != run_) return;
  position_ = beat.position;
  idealNs_ = beat.idealNs;
  const TVxMidiStamp::Scope stamp(beat.idealNs + OutputLatencyNs);
  if (OnMidiBeat) OnMidiBeat(this);
}
