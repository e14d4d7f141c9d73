// The floor of the MIDI path: note-ons sent through RtMidi into a JACK port at their ideal
// times by a thread that sleeps to absolute deadlines. RtMidi writes every message at the start
// of the next cycle, so what arrives differs from the ideal by up to a period: no player that
// sends at once can do better.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Sends a note-on of note at each ideal time (ns from now + lead) to port; answers false
// when RtMidi cannot reach it.
bool enviarGrade(const std::string &port, const std::vector<int64_t> &ideaisNs, int note,
                 int64_t leadNs);

}  // namespace bench
