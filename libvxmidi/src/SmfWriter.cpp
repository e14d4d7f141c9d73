#include "SmfWriter.h"

#include <cstddef>
#include <limits>

namespace vx {

namespace {

// The largest value a four-byte VLQ holds: delta times and event lengths.
constexpr uint32_t kMaxVlq = 0x0FFFFFFF;
// The track count is a 16-bit word of the header.
constexpr uint32_t kMaxTracks = 0xFFFF;
// A chunk length is 32 bits; the margin leaves room for End of Track.
constexpr std::size_t kMaxTrackBytes = std::numeric_limits<uint32_t>::max() - 16;

constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaSetTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;

void putVlq(std::vector<uint8_t> &out, uint32_t value) {
  uint8_t bytes[4];
  int count = 0;
  do {
    bytes[count++] = value & 0x7F;
    value >>= 7;
  } while (value != 0 && count < 4);
  while (count > 1) out.push_back(bytes[--count] | 0x80);
  out.push_back(bytes[0]);
}

void putBigEndian(std::vector<uint8_t> &out, uint32_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(value >> shift));
}

// A delta time above what a VLQ holds is written as a chain of empty escape events (F7 of
// length 0), which send nothing and which every reader skips.
void putDelta(std::vector<uint8_t> &out, uint32_t time, uint8_t &runningStatus) {
  while (time > kMaxVlq) {
    putVlq(out, kMaxVlq);
    out.push_back(0xF7);
    out.push_back(0x00);
    time -= kMaxVlq;
    runningStatus = 0;
  }
  putVlq(out, time);
}

// Bytes a record takes at most: the delta's fillers, the delta and a time signature.
std::size_t recordBytes(uint32_t time) {
  return (time / kMaxVlq) * 6 + 4 + 7;
}

}  // namespace

SmfWriter::Track *SmfWriter::trackAt(uint32_t track) {
  if (track >= kMaxTracks) return nullptr;
  if (track >= tracks_.size()) tracks_.resize(std::size_t{track} + 1);
  return &tracks_[track];
}

uint32_t SmfWriter::appendRecords(uint32_t track, const VxMidiEvent *events, uint32_t count) {
  Track *t = trackAt(track);
  if (!t) return 0;
  uint32_t taken = 0;
  for (; taken < count; ++taken) {
    const VxMidiEvent &e = events[taken];
    const bool tempo = e.status == VX_RECORD_TEMPO;
    const bool compasso = e.status == VX_RECORD_TIME_SIGNATURE;
    const bool channel = e.status >= 0x80 && e.status < 0xF0;
    if (!tempo && !compasso && !channel) break;
    const bool twoBytes = channel && (e.status & 0xE0) == 0xC0;
    if (channel && (e.data1 > 0x7F || (!twoBytes && e.data2 > 0x7F))) break;
    if (t->metas.size() + t->body.size() + recordBytes(e.time) > kMaxTrackBytes) break;

    std::vector<uint8_t> &out = t->body;
    putDelta(out, e.time, t->runningStatus);
    if (tempo || compasso) {
      // A time signature's clocks per click and 32nds per quarter are the usual 24 and 8.
      if (tempo)
        out.insert(out.end(), {0xFF, kMetaSetTempo, 0x03, e.data1, e.data2, e.data3});
      else
        out.insert(out.end(), {0xFF, kMetaTimeSignature, 0x04, e.data1, e.data2, 24, 8});
      // Strict readers end running status at a meta event.
      t->runningStatus = 0;
      continue;
    }
    if (e.status != t->runningStatus) out.push_back(e.status);
    t->runningStatus = e.status;
    out.push_back(e.data1);
    if (!twoBytes) out.push_back(e.data2);
  }
  return taken;
}

bool SmfWriter::appendMeta(uint32_t track, uint8_t type, const uint8_t *data, uint32_t length) {
  if (type == kMetaEndOfTrack || type > 0x7F || length > kMaxVlq) return false;
  Track *t = trackAt(track);
  if (!t || t->metas.size() + t->body.size() + length + 8 > kMaxTrackBytes) return false;
  t->metas.insert(t->metas.end(), {0x00, 0xFF, type});
  putVlq(t->metas, length);
  t->metas.insert(t->metas.end(), data, data + length);
  return true;
}

std::vector<uint8_t> SmfWriter::build(uint16_t division) const {
  std::size_t total = 14;
  for (const Track &t : tracks_) total += 8 + t.metas.size() + t.body.size() + 4;
  std::vector<uint8_t> out;
  out.reserve(total);
  out.insert(out.end(), {'M', 'T', 'h', 'd'});
  putBigEndian(out, 6, 4);
  putBigEndian(out, tracks_.size() == 1 ? 0 : 1, 2);
  putBigEndian(out, static_cast<uint32_t>(tracks_.size()), 2);
  putBigEndian(out, division, 2);
  for (const Track &t : tracks_) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    putBigEndian(out, static_cast<uint32_t>(t.metas.size() + t.body.size() + 4), 4);
    out.insert(out.end(), t.metas.begin(), t.metas.end());
    out.insert(out.end(), t.body.begin(), t.body.end());
    out.insert(out.end(), {0x00, 0xFF, kMetaEndOfTrack, 0x00});
  }
  return out;
}

}  // namespace vx
