// The Standard MIDI File reader: any bytes must parse without a crash, a hang or a read out of
// bounds, and what it answers must point inside the input.
#include <string>
#include <vector>

#include "SmfParser.h"
#include "fuzz/AlvosFuzz.h"

namespace kovrinta::fuzz {

int fuzzSmf(const uint8_t *dados, size_t tamanho) {
  size_t begin = 0;
  size_t length = 0;
  std::string problem;
  if (!vx::locateSmf(dados, tamanho, &begin, &length, &problem)) return 0;
  if (begin > tamanho || length > tamanho - begin) falhar("smf", "the file lies outside the input");

  vx::SmfContent content;
  std::vector<std::string> problems;
  if (!vx::parseSmf(dados + begin, length, begin, &content, &problems)) return 0;

  // Every byte the answer points to is read, so that AddressSanitizer sees it.
  unsigned sum = 0;
  for (const vx::SmfTrack &track : content.tracks) {
    if (track.firstEvent > content.events.size() ||
        track.eventCount > content.events.size() - track.firstEvent)
      falhar("smf", "a track's records lie outside the records read");
    for (size_t i = 0; i < track.eventCount; ++i) {
      const VxMidiEvent &e = content.events[track.firstEvent + i];
      const bool registro = e.status == VX_RECORD_TEMPO || e.status == VX_RECORD_TIME_SIGNATURE;
      if (!registro && (e.status < 0x80 || e.status > 0xEF))
        falhar("smf", "a record that is neither a channel message nor a tempo or time signature");
      sum += e.time + e.data1 + e.data2;
    }
    for (const vx::SmfMetaRef &meta : track.metas) {
      if (meta.offset > length || meta.length > length - meta.offset)
        falhar("smf", "a meta event lies outside the file");
      for (uint32_t k = 0; k < meta.length; ++k) sum += dados[begin + meta.offset + k];
    }
  }
  return sum == 0xFFFFFFFFu ? 0 : 0;
}

}  // namespace kovrinta::fuzz
