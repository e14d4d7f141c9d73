#include "GrooveFile.h"

#include <cmath>
#include <fstream>

namespace bench {

void vlq(std::vector<uint8_t> &out, uint32_t n) {
  uint8_t bytes[5];
  int count = 0;
  bytes[count++] = n & 0x7F;
  while (n >>= 7) bytes[count++] = 0x80 | (n & 0x7F);
  while (count--) out.push_back(bytes[count]);
}

namespace {

constexpr int kPpq = 960;
constexpr int kStep = kPpq / 4;  // a sixteenth note
constexpr int kLead = 4 * kPpq;

void tempo(std::vector<uint8_t> &track, uint32_t delta, uint32_t us) {
  vlq(track, delta);
  track.insert(track.end(), {0xFF, 0x51, 3, static_cast<uint8_t>(us >> 16),
                             static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}

std::vector<uint8_t> smf(const std::vector<uint8_t> &track) {
  std::vector<uint8_t> b = {'M', 'T', 'h', 'd',       0,           0,   0,   6,   0,
                            0,   0,   1,   kPpq >> 8, kPpq & 0xFF, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<uint32_t>(track.size() + 4);
  b.insert(b.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                     static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  b.insert(b.end(), track.begin(), track.end());
  b.insert(b.end(), {0, 0xFF, 0x2F, 0});
  return b;
}

// Builds the grid with the tempo (microseconds per quarter note) that tempoOf gives for each
// hit index; a Set Tempo is written wherever it changes.
GrooveFile grade(int hits, int note, uint32_t (*tempoOf)(int hit), int &changes) {
  GrooveFile file;
  file.note = note;
  std::vector<uint8_t> track;
  uint32_t current = tempoOf(0);
  tempo(track, 0, current);
  // Ideal times add up exactly: nanoseconds = ticks * us / 960 * 1000, kept as a fraction.
  int64_t numerator = static_cast<int64_t>(kLead) * current * 1000;  // ns * kPpq
  uint32_t pending = kLead;
  changes = 0;
  const int offTicks = kStep / 4;
  for (int i = 0; i < hits; ++i) {
    const uint32_t wanted = tempoOf(i);
    if (wanted != current) {
      tempo(track, pending, wanted);
      pending = 0;
      current = wanted;
      ++changes;
    }
    file.idealNs.push_back(numerator / kPpq);
    file.ticks.push_back((kLead + i * kStep) * 64 / kPpq);
    vlq(track, pending);
    track.insert(track.end(), {0x99, static_cast<uint8_t>(note), 100});
    vlq(track, offTicks);
    track.insert(track.end(), {0x89, static_cast<uint8_t>(note), 0});
    pending = kStep - offTicks;
    numerator += static_cast<int64_t>(kStep) * current * 1000;
  }
  vlq(track, pending + 4 * kPpq);  // a tail of four quarters
  track.insert(track.end(), {0xB9, 123, 0});
  file.bytes = smf(track);
  return file;
}

double constantBpm = 120;
uint32_t constantTempo(int) {
  return static_cast<uint32_t>(std::llround(60e6 / constantBpm));
}

uint32_t mapTempo(int hit) {
  // 96, 108, ..., 168 BPM and back, changing every four hits.
  static const uint32_t tempos[] = {625000, 555556, 500000, 454545, 416667, 384615, 357143};
  const int step = hit / 4;
  const int cycle = step % 12;
  const int index = cycle < 7 ? cycle : 12 - cycle;
  return tempos[index];
}

}  // namespace

GrooveFile gradeDeBatidas(double bpm, int hits, int note) {
  constantBpm = bpm;
  int changes = 0;
  GrooveFile file = grade(hits, note, &constantTempo, changes);
  file.tempoChanges = changes;
  return file;
}

GrooveFile mapaDeAndamentos(int changes, int note) {
  int made = 0;
  GrooveFile file = grade(changes * 4 + 4, note, &mapTempo, made);
  file.tempoChanges = made;
  return file;
}

bool gravar(const std::vector<uint8_t> &bytes, const std::string &path) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool gravar(const GrooveFile &file, const std::string &path) {
  return gravar(file.bytes, path);
}

}  // namespace bench
