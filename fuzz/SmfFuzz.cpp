// libFuzzer target over the Standard MIDI File reader: any bytes must parse without a
// crash, a hang or a read out of bounds, and what it answers must point inside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "SmfParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  size_t begin = 0;
  size_t length = 0;
  std::string problem;
  if (!vx::locateSmf(data, size, &begin, &length, &problem)) return 0;
  if (begin > size || length > size - begin) std::abort();

  vx::SmfContent content;
  std::vector<std::string> problems;
  if (!vx::parseSmf(data + begin, length, begin, &content, &problems)) return 0;

  unsigned sum = 0;
  for (const vx::SmfTrack &track : content.tracks) {
    if (track.firstEvent > content.events.size() ||
        track.eventCount > content.events.size() - track.firstEvent)
      std::abort();
    for (size_t i = 0; i < track.eventCount; ++i) {
      const VxMidiEvent &e = content.events[track.firstEvent + i];
      if (e.status != 0 && (e.status < 0x80 || e.status > 0xEF)) std::abort();
      sum += e.time + e.data1 + e.data2;
    }
    for (const vx::SmfMetaRef &meta : track.metas) {
      if (meta.offset > length || meta.length > length - meta.offset) std::abort();
      for (uint32_t k = 0; k < meta.length; ++k) sum += data[begin + meta.offset + k];
    }
  }
  return sum == 0xFFFFFFFFu ? 0 : 0;
}
