// Parsing of a Standard MIDI File's bytes into per-track records and meta-event references.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "VxMidi.h"

namespace vx {

// Where the data bytes of a meta event lie in the parsed bytes.
struct SmfMetaRef {
  uint8_t type;
  uint32_t offset;  // from the start of the bytes given to parseSmf
  uint32_t length;
};

struct SmfTrack {
  size_t firstEvent = 0;  // index into SmfContent::events
  size_t eventCount = 0;
  std::vector<SmfMetaRef> metas;  // the first meta event of each type, in file order
};

struct SmfContent {
  uint16_t format = 0;
  uint16_t division = 0;            // the header's raw division word
  std::vector<VxMidiEvent> events;  // every track's records, track after track
  std::vector<SmfTrack> tracks;
};

// Finds the Standard MIDI File in a file's bytes: the bytes themselves, or the "data" chunk of
// a RIFF RMID wrapper. Answers false, with problem set, when neither is there.
bool locateSmf(const uint8_t *bytes, size_t size, size_t *smfBegin, size_t *smfSize,
               std::string *problem);

// Parses the bytes of a Standard MIDI File into content. Answers false when the header is
// not sound (the file is refused); otherwise every track is kept as far as it is sound, and
// each defect met is appended to problems as "track N at byte B: what" (B counted from
// offsetBase plus the position in smf, so that it names the place in the whole file).
bool parseSmf(const uint8_t *smf, size_t size, size_t offsetBase, SmfContent *content,
              std::vector<std::string> *problems);

}  // namespace vx
