#include "TVxMidiSMF.h"

#include <QFile>
#include <algorithm>

#include "TVxMidi.h"
#include "TVxMidiScore.h"
#include "TVxMidiSync.h"
#include "TVxMidiTrack.h"
#include "VxMidiResults.h"

namespace {
// Events asked of the library per read call.
constexpr uint32_t readBlock = 8192;
}  // namespace

TVxMidiSMF::TVxMidiSMF(QObject *owner) : QObject(owner) {}

TVxMidiSMF::~TVxMidiSMF() {
  if (open_) Close();
}

bool TVxMidiSMF::Open(const QString &fileName, char Mode, uint32_t OpenParameter) {
  vxresult::require(VxMidi != nullptr, "No VxMidi");
  if (open_) Close();
  mode_ = Mode;
  openParameter_ = OpenParameter;
  handle_ = VxMidi->entries().OpenSMF(QFile::encodeName(fileName).constData(), &openParameter_,
                                      static_cast<uint8_t>(Mode), &trackCount_);
  open_ = handle_ != VX_SMF_FAILED;
  return open_;
}

void TVxMidiSMF::Close() {
  vxresult::require(open_, "SMF not open");
  VxMidi->entries().CloseSMF(handle_);
  score_ = nullptr;
  trackCount_ = 0;
  open_ = false;
}

bool TVxMidiSMF::Rewind() {
  return VxMidi->entries().RewindSMF(handle_) == 0;
}

uint16_t TVxMidiSMF::GetResolution() {
  return VxMidi->entries().GetSMFResolution(handle_);
}

// Reads in blocks of 8192 events. Before each read the track gets at least 8192 free
// slots, growing by the number read so far, so its capacity about doubles each time.
bool TVxMidiSMF::ReadTrack(TVxMidiTrack *track) {
  vxresult::require(open_, "SMF not open");
  vxresult::require(mode_ == 'r' && score_ != nullptr, "SMF cant read");
  const int index = score_->IndexOf(track);
  vxresult::require(index != -1, "SMF bad track");

  // The library fills one block at a time; the track takes what it holds, so that an empty
  // track costs no slots.
  if (block_.size() < readBlock) block_.resize(readBlock);
  uint32_t n = 0;
  uint32_t read = 0;
  do {
    const uint32_t free = track->Capacity() - n;
    if (free < readBlock) track->grow(std::max(n, readBlock - free));
    read = std::min(
        VxMidi->entries().ReadSMF(handle_, static_cast<uint32_t>(index), block_.data(), readBlock),
        readBlock);
    track->store(n, block_.data(), read);
    n += read;
  } while (read != 0);
  track->setCount(n);
  return n != 0;
}

bool TVxMidiSMF::WriteTrack(TVxMidiTrack *track) {
  vxresult::require(mode_ == 'w' && score_ != nullptr, "SMF cant write");
  const int index = score_->IndexOf(track);
  vxresult::require(index != -1, "SMF bad track");
  if (!track->Name.isEmpty()) {
    const QByteArray name = track->Name.toUtf8();
    WriteMeta(track, 3, reinterpret_cast<const uint8_t *>(name.constData()), 0);
  }
  const std::vector<VxMidiEvent> events = track->events();
  const uint32_t written = VxMidi->entries().WriteSMF(handle_, static_cast<uint32_t>(index),
                                                      events.data(), track->GetNumEvents());
  return written == track->GetNumEvents();
}

bool TVxMidiSMF::ReadScore(TVxMidiSync *timer) {
  vxresult::require(mode_ == 'r' && score_ != nullptr, "SMF cant read");
  VxMidi->entries().RewindSMF(handle_);
  for (int i = 0; i < score_->GetNumTracks(); ++i) {
    TVxMidiTrack *track = score_->GetTrack(i);
    track->Clear();
    ReadTrack(track);
  }
  if (timer) timer->SetResolution(GetResolution());
  return true;
}

TVxMidiMeta TVxMidiSMF::ReadMeta(TVxMidiTrack *track, uint8_t type) {
  TVxMidiMeta meta;
  vxresult::require(mode_ == 'r' && score_ != nullptr, "SMF cant read");
  const int index = score_->IndexOf(track);
  if (index == -1) return meta;
  const uint8_t *data = nullptr;
  uint32_t length = 0;
  meta.result =
      VxMidi->entries().ReadMetaEvent(handle_, static_cast<uint32_t>(index), type, &data, &length);
  if (meta.found() && data) meta.data.assign(data, data + length);
  return meta;
}

bool TVxMidiSMF::WriteMeta(TVxMidiTrack *track, uint8_t type, const uint8_t *data,
                           uint32_t length) {
  vxresult::require(mode_ == 'w' && score_ != nullptr, "SMF cant write");
  const int index = score_->IndexOf(track);
  if (index == -1) return false;
  return VxMidi->entries().WriteMetaEvent(handle_, static_cast<uint32_t>(index), type, data,
                                          length) == 0;
}
