#include "TVxMidiIn.h"

#include "TVxMidi.h"
#include "TVxMidiOut.h"
#include "TVxMidiSync.h"
#include "TVxMidiTrack.h"
#include "VxMidiResults.h"

TVxMidiIn::TVxMidiIn(QObject *owner)
    : QObject(owner),
      notifier_(std::make_unique<TVxMidiNotifier>([this](uint32_t m) { notified(m); })) {}

TVxMidiIn::~TVxMidiIn() {
  if (track_) DetachTrack(track_);
  if (open_) Close();
}

bool TVxMidiIn::Open(uint16_t DeviceId, uint32_t OpenParameter) {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  vxresult::require(!open_, "already open");
  const VxMidiEntries &vx = VxMidi->entries();
  char description[VX_DESCRIPTION_SIZE] = {};
  vx.GetMidiInDescription(DeviceId, description);
  description[VX_DESCRIPTION_SIZE - 1] = '\0';
  description_ = QString::fromUtf8(description);
  const uint32_t sync = Sync ? Sync->Handle() : 0;
  openParameter_ = OpenParameter;
  deviceId_ = DeviceId;
  handle_ = vx.OpenMidiIn(notifier_->sink(), DeviceId, sync, OpenParameter);
  if (!vxresult::handleOpened(handle_)) {
    handle_ = 0;
    return false;
  }
  open_ = true;
  return true;
}

void TVxMidiIn::Start() {
  vxresult::require(open_, "midiIn not open");
  VxMidi->entries().StartMidiIn(handle_);
  started_ = true;
}

void TVxMidiIn::Stop() {
  vxresult::require(open_, "midiIn not open");
  started_ = false;
  VxMidi->entries().StopMidiIn(handle_);
}

void TVxMidiIn::Close() {
  vxresult::require(open_, "midiIn not open");
  Stop();
  VxMidi->entries().CloseMidiIn(handle_);
  description_.clear();
  open_ = false;
}

const VxMidiEvent *TVxMidiIn::ReadEvent() {
  if (!open_) return nullptr;
  return VxMidi->entries().GetMidiIn(handle_);
}

int TVxMidiIn::GetNumDevices() const {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  return static_cast<int>(VxMidi->entries().GetNumInDevices());
}

QString TVxMidiIn::PortName(uint16_t DeviceId) const {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  char name[512] = {};
  VxMidi->entries().VxGetMidiInName(DeviceId, name, sizeof name);
  return QString::fromUtf8(name);
}

bool TVxMidiIn::SetThru(TVxMidiOut *Output, const VxMidiThru *thru) {
  vxresult::require(open_, "midiIn not open");
  const uint32_t output = Output && Output->IsOpen() ? Output->Handle() : 0;
  return VxMidi->entries().VxSetMidiInThru(handle_, output, thru) == VX_OK;
}

int64_t TVxMidiIn::LastEventNs() const {
  return open_ ? VxMidi->entries().VxGetMidiInNs(handle_) : 0;
}

// A track records from one input at a time: the input that had it lets it go first, so that
// it never drains into a track it no longer owns.
void TVxMidiIn::AttachTrack(TVxMidiTrack *track) {
  if (track_ && track_ != track) DetachTrack(track_);
  if (track && track->Input && track->Input != this && track->Input->RecordingTrack() == track)
    track->Input->DetachTrack(track);
  track_ = track;
  if (track) track->Input = this;
}

void TVxMidiIn::DetachTrack(TVxMidiTrack *track) {
  vxresult::require(track != nullptr && track == track_, "track not found");
  if (track->Input == this) track->Input = nullptr;
  track_ = nullptr;
}

void TVxMidiIn::notified(uint32_t message) {
  if (message == VX_NOTIFY_MIDI_IN_DATA) drain();
  if (message == VX_NOTIFY_DEVICE_LOST && OnDeviceLost) OnDeviceLost(this);
}

// Active sensing and events a handler rejects are dropped, but their delay is kept, so the
// next accepted event still carries the time since the last accepted one.
void TVxMidiIn::drain() {
  while (const VxMidiEvent *received = ReadEvent()) {
    VxMidiEvent event = *received;
    event.time += pendingTime_;
    bool accept = false;
    if (event.status != 0xFE) {
      accept = true;
      if (OnMidiData) OnMidiData(&event, &accept);
    }
    pendingTime_ = accept ? 0 : event.time;
    if (accept && track_) track_->RecordEvent(event);
  }
}
