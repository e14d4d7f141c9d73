#include "SmfParser.h"

#include <algorithm>
#include <bitset>
#include <cstring>

namespace vx {

namespace {

constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kMinHeaderLength = 6;
// Past this many, defects are only counted: a file of thousands of broken tracks must not
// build a diagnostic of megabytes.
constexpr size_t kMaxProblems = 32;

constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaSetTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;

uint32_t bigEndian32(const uint8_t *p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

uint16_t bigEndian16(const uint8_t *p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

uint32_t littleEndian32(const uint8_t *p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | uint32_t{p[0]};
}

std::string tracks(uint32_t count) {
  return std::to_string(count) + (count == 1 ? " track" : " tracks");
}

bool isChunkId(const uint8_t *p) {
  return std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// Collects the defects of one parse, capped at kMaxProblems lines.
class Problems {
 public:
  Problems(std::vector<std::string> *sink, size_t offsetBase)
      : sink_(sink), offsetBase_(offsetBase) {}
  ~Problems() {
    if (sink_ && dropped_ > 0)
      sink_->push_back("and " + std::to_string(dropped_) + " more defects");
  }

  void add(const std::string &where, size_t offset, const std::string &what) {
    if (!sink_) return;
    if (sink_->size() >= kMaxProblems) {
      ++dropped_;
      return;
    }
    sink_->push_back(where + " at byte " + std::to_string(offsetBase_ + offset) + ": " + what);
  }
  void track(uint32_t index, size_t offset, const std::string &what) {
    add("track " + std::to_string(index), offset, what);
  }

 private:
  std::vector<std::string> *sink_;
  size_t offsetBase_;
  size_t dropped_ = 0;
};

// Reads the events of one MTrk chunk, bytes [begin, end) of smf, into content.
class TrackReader {
 public:
  TrackReader(const uint8_t *smf, size_t begin, size_t end, uint32_t index, SmfContent &content,
              Problems &problems)
      : smf_(smf), pos_(begin), end_(end), index_(index), content_(content), problems_(problems) {}

  void read() {
    SmfTrack &track = content_.tracks.back();
    track.firstEvent = content_.events.size();
    while (pos_ < end_) {
      const size_t eventStart = pos_;
      uint32_t delta = 0;
      if (!readVlq(&delta, "delta time")) break;
      pending_ += delta;  // wraps at 2^32 like every tick sum of the library
      if (pos_ >= end_) {
        cut(eventStart, "delta time without an event");
        break;
      }
      uint8_t status = smf_[pos_];
      if (status < 0x80) {
        // Running status: the data byte begins a message of the last channel status. Meta
        // and system exclusive events leave it in force, as many writers expect.
        if (runningStatus_ == 0) {
          cut(pos_, "data byte where a status is needed, and no running status");
          break;
        }
        status = runningStatus_;
      } else {
        ++pos_;
      }
      bool more = true;
      if (status < 0xF0)
        more = channelMessage(status);
      else if (status == 0xFF)
        more = metaEvent();
      else if (status == 0xF0 || status == 0xF7)
        more = sysex();
      else
        more = systemMessage(status);
      if (!more) break;
    }
    if (!ended_ && !cut_) problems_.track(index_, end_, "no End of Track; read to the chunk end");
    track.eventCount = content_.events.size() - track.firstEvent;
  }

 private:
  // A VLQ of at most four bytes, as the file format allows.
  bool readVlq(uint32_t *value, const char *what) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      if (pos_ >= end_) {
        cut(pos_, std::string("truncated ") + what);
        return false;
      }
      const uint8_t byte = smf_[pos_++];
      v = v << 7 | (byte & 0x7F);
      if (!(byte & 0x80)) {
        *value = v;
        return true;
      }
    }
    cut(pos_ - 4, std::string(what) + " longer than 4 bytes");
    return false;
  }

  bool need(size_t count, size_t eventStart, const char *what) {
    if (end_ - pos_ >= count) return true;
    cut(eventStart, std::string("truncated ") + what);
    return false;
  }

  void cut(size_t offset, const std::string &why) {
    cut_ = true;
    problems_.track(index_, offset, why + "; track cut there");
  }

  void record(uint8_t status, uint8_t data1, uint8_t data2, uint8_t data3) {
    content_.events.push_back(VxMidiEvent{pending_, status, data1, data2, data3});
    pending_ = 0;
  }

  // A status byte where a data byte belongs is taken as a data value clipped to 127: the
  // damaged files met in practice were written with 8-bit values in fixed-length messages,
  // so the stream stays in step this way, and no status byte reaches an output as data.
  static uint8_t dataByte(uint8_t byte) { return std::min<uint8_t>(byte, 0x7F); }

  bool channelMessage(uint8_t status) {
    runningStatus_ = status;
    const size_t length = (status & 0xE0) == 0xC0 ? 1 : 2;
    if (!need(length, pos_, "channel message")) return false;
    const uint8_t data1 = dataByte(smf_[pos_]);
    const uint8_t data2 = length == 2 ? dataByte(smf_[pos_ + 1]) : 0;
    pos_ += length;
    record(status, data1, data2, 0);
    return true;
  }

  bool metaEvent() {
    const size_t start = pos_ - 1;
    if (!need(1, start, "meta event")) return false;
    const uint8_t type = smf_[pos_++];
    uint32_t length = 0;
    if (!readVlq(&length, "meta event length")) return false;
    if (!need(length, start, "meta event (its length runs past the chunk)")) return false;
    if (!seenMeta_[type]) {
      seenMeta_[type] = true;
      content_.tracks.back().metas.push_back(SmfMetaRef{type, static_cast<uint32_t>(pos_), length});
    }
    // Tempo and time signature changes reach the player as records of track 0 only: that is
    // where a format 1 file keeps its tempo map and its bars.
    if (type == kMetaSetTempo && index_ == 0 && length >= 3)
      record(VX_RECORD_TEMPO, smf_[pos_], smf_[pos_ + 1], smf_[pos_ + 2]);
    if (type == kMetaTimeSignature && index_ == 0 && length >= 2)
      record(VX_RECORD_TIME_SIGNATURE, smf_[pos_], smf_[pos_ + 1], 0);
    pos_ += length;
    if (type == kMetaEndOfTrack) {
      ended_ = true;
      if (pos_ < end_)
        problems_.track(index_, pos_,
                        std::to_string(end_ - pos_) + " byte(s) after End of Track ignored");
      pos_ = end_;
    }
    return true;
  }

  bool sysex() {
    const size_t start = pos_ - 1;
    uint32_t length = 0;
    if (!readVlq(&length, "system exclusive length")) return false;
    if (!need(length, start, "system exclusive (its length runs past the chunk)")) return false;
    pos_ += length;
    return true;
  }

  // System common and real-time bytes do not belong in a file; they are skipped with the
  // data bytes they carry on a MIDI cable (none for the undefined ones).
  bool systemMessage(uint8_t status) {
    const size_t length = status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
    if (!need(length, pos_ - 1, "system message")) return false;
    pos_ += length;
    return true;
  }

  const uint8_t *smf_;
  size_t pos_;
  const size_t end_;
  const uint32_t index_;
  SmfContent &content_;
  Problems &problems_;
  uint32_t pending_ = 0;  // ticks of the events left out since the last record
  uint8_t runningStatus_ = 0;
  bool ended_ = false;
  bool cut_ = false;
  std::bitset<256> seenMeta_;
};

}  // namespace

bool locateSmf(const uint8_t *bytes, size_t size, size_t *smfBegin, size_t *smfSize,
               std::string *problem) {
  if (size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0) {
    if (std::memcmp(bytes + 8, "RMID", 4) != 0) {
      if (problem) *problem = "a RIFF file that is not RMID";
      return false;
    }
    // RIFF chunks: id, little-endian length, data padded to an even length. The RIFF length
    // itself is not trusted; the chunks are walked to the end of the file.
    size_t pos = 12;
    while (size - pos >= kChunkHeaderSize) {
      const uint32_t length = littleEndian32(bytes + pos + 4);
      const size_t dataStart = pos + kChunkHeaderSize;
      const size_t available = size - dataStart;
      if (std::memcmp(bytes + pos, "data", 4) == 0) {
        *smfBegin = dataStart;
        *smfSize = std::min<size_t>(length, available);
        return true;
      }
      if (length >= available) break;
      pos = dataStart + length + (length & 1);
    }
    if (problem) *problem = "a RIFF RMID file without a data chunk";
    return false;
  }
  *smfBegin = 0;
  *smfSize = size;
  return true;
}

bool parseSmf(const uint8_t *smf, size_t size, size_t offsetBase, SmfContent *content,
              std::vector<std::string> *problemLines) {
  Problems problems(problemLines, offsetBase);
  if (size < kChunkHeaderSize || std::memcmp(smf, "MThd", 4) != 0) {
    problems.add("header", 0, "no MThd chunk: not a Standard MIDI File");
    return false;
  }
  const uint32_t headerLength = bigEndian32(smf + 4);
  if (headerLength < kMinHeaderLength) {
    problems.add("header", 4, "MThd length " + std::to_string(headerLength) + " is below 6");
    return false;
  }
  if (headerLength > size - kChunkHeaderSize) {
    problems.add("header", 4,
                 "MThd length " + std::to_string(headerLength) + " runs past the end of the file");
    return false;
  }
  content->format = bigEndian16(smf + 8);
  const uint16_t declaredTracks = bigEndian16(smf + 10);
  content->division = bigEndian16(smf + 12);
  if (content->format > 2)
    problems.add("header", 8,
                 "unknown format " + std::to_string(content->format) + "; tracks read as format 1");

  // Every event takes at least two bytes, most about three: this keeps regrowth rare
  // without reserving more than the file can fill.
  content->events.reserve(size / 4);
  // A track takes at least its chunk header, so the declared count is believed only as far as
  // the file could hold it.
  content->tracks.reserve(std::min<size_t>(
      declaredTracks, (size - kChunkHeaderSize - headerLength) / kChunkHeaderSize));

  // Track count: the header's count is what the writer meant, so it wins over the MTrk
  // chunks present. Chunks after the declared tracks are treated like bytes appended after
  // the file's end (as most readers do), which keeps our track numbers
  // those of other players; a file with fewer chunks than declared has only those it holds.
  // Unknown chunks between tracks are skipped; bytes that are no chunk end the search.
  size_t pos = kChunkHeaderSize + headerLength;
  uint32_t found = 0;
  uint32_t extra = 0;  // MTrk chunks beyond the declared count, for the diagnostic
  while (size - pos >= kChunkHeaderSize) {
    const uint8_t *chunk = smf + pos;
    const uint32_t length = bigEndian32(chunk + 4);
    const size_t dataStart = pos + kChunkHeaderSize;
    const size_t available = size - dataStart;
    const bool isTrack = std::memcmp(chunk, "MTrk", 4) == 0;
    if (!isTrack && !isChunkId(chunk)) {
      if (found < declaredTracks)
        problems.add("chunk", pos, "bytes that are no chunk header; search for tracks ended");
      break;
    }
    const size_t dataEnd = dataStart + std::min<size_t>(length, available);
    if (isTrack) {
      if (found < declaredTracks) {
        if (length > available)
          problems.track(found, pos + 4,
                         "chunk length " + std::to_string(length) +
                             " runs past the end of the file; read to the end");
        content->tracks.emplace_back();
        TrackReader(smf, dataStart, dataEnd, found, *content, problems).read();
        ++found;
      } else {
        ++extra;
      }
    }
    if (length > available) break;
    pos = dataEnd;
  }
  if (pos < size && size - pos < kChunkHeaderSize && found < declaredTracks)
    problems.add("chunk", pos, "file ends inside a chunk header");
  if (found < declaredTracks)
    problems.add("header", 10,
                 "declares " + tracks(declaredTracks) + ", " + std::to_string(found) + " found");
  if (extra > 0)
    problems.add("header", 10,
                 "declares " + tracks(declaredTracks) + "; " + std::to_string(extra) +
                     " more MTrk chunk(s) ignored");
  if (found == 0 && declaredTracks > 0) {
    problems.add("header", 10, "no track found");
    return false;
  }
  return true;
}

}  // namespace vx
