// The take: the hits the drummer played along the song, kept in tick order and saved as a
// Standard MIDI File, alone or in the place of the song's drums.
#pragma once

#include <QString>
#include <vector>

// One hit: the song's tick it fell on (1/64 quarter note), the note it sounded as, and its
// velocity 1..127.
struct GolpeTake {
  int tick;
  int nota;
  int velocidade;
};

enum class ModoTake {
  // The song's tempo and time signatures, and the take as the one drum track.
  soTake,
  // Every track of the current song, the take playing the drums.
  substituirBateria,
};

class GravadorTake {
 public:
  // The hits in tick order; hits of one tick in the order they were added.
  const std::vector<GolpeTake> &getGolpes() const { return golpes; }
  bool isVazio() const { return golpes.empty(); }

  // Keeps a hit, after the hits of its tick and before later ones, so a hit that arrives
  // late still lands in order. Throws std::invalid_argument for a negative tick, a note
  // outside 0..127 or a velocity outside 1..127. User-interface thread.
  void adicionar(int tick, int nota, int velocidade);
  // Forgets every hit.
  void limpar() { golpes.clear(); }

  // Writes the take to arquivo as a Standard MIDI File, replacing a file of that name only
  // once the new one is complete. trilhaBateria is the current song's track the kit follows,
  // -1 for every track; only substituirBateria uses it. Reading the file back gives every
  // hit's note and velocity at its own tick. Throws std::runtime_error with a short English
  // detail when the file cannot be written: no song for substituirBateria, no such track, a
  // folder where no file can be made, the MIDI library missing or refusing. User-interface
  // thread.
  void salvar(const QString &arquivo, ModoTake modo, int trilhaBateria) const;

 private:
  std::vector<GolpeTake> golpes;
};
