#include "PastaRitmos.h"

#include <stdexcept>

#include "TVxMidi.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"

namespace kovrinta::test {

QStringList nomesRitmos() {
  return QString(KOVRINTA_GROOVES).split(',', Qt::SkipEmptyParts);
}

QString pastaRitmos() {
  return QString(KOVRINTA_PROGRAM_DIR) + "/ritmos";
}

QString arquivoRitmo(const QString &nome) {
  return pastaRitmos() + "/" + nome + ".mid";
}

Compasso lerCompasso(const QString &arquivo) {
  TVxMidi::setLibraryFile(VXMIDI_REAL_LIBRARY);
  TVxMidi vxMidi;
  TVxMidiSMF smf;
  smf.VxMidi = &vxMidi;
  if (!smf.Open(arquivo, 'r', 1)) throw std::runtime_error("the library cannot open the file");
  TVxMidiScore partitura(static_cast<int>(smf.GetNumTracks()));
  smf.SetScore(&partitura);
  smf.ReadScore(nullptr);
  const TVxMidiMeta meta = smf.ReadMeta(partitura.GetTrack(0), 0x58);
  smf.Close();
  if (!meta.found() || meta.data.size() < 2 || meta.data[1] > 6)
    throw std::runtime_error("the first track has no time signature");
  return Compasso{meta.data[0], 1 << meta.data[1]};
}

}  // namespace kovrinta::test
