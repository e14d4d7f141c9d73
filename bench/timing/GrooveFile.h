// The test files of the timing benchmarks: isolated drum hits on channel 10, each with the
// exact moment a perfect player would start it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct GrooveFile {
  std::vector<uint8_t> bytes;
  // Ideal note-on times from the start of the file, in nanoseconds.
  std::vector<int64_t> idealNs;
  // The tick (1/64 of a quarter note) of each note: the sequencer's beat that plays it.
  std::vector<int> ticks;
  int note = 42;
  // Tempo changes the file holds (0 for a constant tempo).
  int tempoChanges = 0;
};

// hits hits a sixteenth note apart (at 960 ticks per quarter note) after four quarters of
// silence, at bpm (the Set Tempo of 60,000,000 / bpm us, rounded as a file must hold it).
GrooveFile gradeDeBatidas(double bpm, int hits = 200, int note = 42);

// The same grid under a tempo map: after every four hits the tempo changes, changes times in
// all, walking through tempos between 96 and 168 BPM (each a whole number of microseconds).
GrooveFile mapaDeAndamentos(int changes = 50, int note = 42);

// Appends n as a file's variable-length quantity.
void vlq(std::vector<uint8_t> &out, uint32_t n);

// Writes a file's bytes to path; false when it cannot.
bool gravar(const std::vector<uint8_t> &bytes, const std::string &path);
bool gravar(const GrooveFile &file, const std::string &path);

}  // namespace bench
