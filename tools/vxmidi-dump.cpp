// vxmidi-dump: prints what Kovrinta reads from a Standard MIDI File, record by record.
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <exception>

#include "TVxMidi.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"
#include "TVxMidiTrack.h"

namespace {

QString whyUnreadable(const QString &file) {
  const QFileInfo info(file);
  if (!info.exists()) return "no such file";
  if (!info.isFile()) return "not a file";
  if (!info.isReadable()) return "permission denied";
  return "not a Standard MIDI File, or its header is damaged";
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vxmidi-dump FILE\n");
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[1]);
  try {
    TVxMidi vxMidi;
    TVxMidiSMF smf;
    smf.VxMidi = &vxMidi;
    if (!smf.Open(file, 'r', 1)) {
      std::fprintf(stderr, "vxmidi-dump: %s: %s\n", argv[1], qPrintable(whyUnreadable(file)));
      return 2;
    }
    TVxMidiScore score(static_cast<int>(smf.GetNumTracks()));
    smf.SetScore(&score);
    smf.ReadScore(nullptr);
    std::printf("smf tracks=%u resolution=%u\n", smf.GetNumTracks(), smf.GetResolution());
    for (int i = 0; i < score.GetNumTracks(); ++i) {
      TVxMidiTrack *track = score.GetTrack(i);
      std::printf("track %d events=%u\n", i, track->GetNumEvents());
      for (uint32_t k = 0; k < track->GetNumEvents(); ++k) {
        const VxMidiEvent *e = track->GetEvent(k);
        std::printf("%u %u %u %u %u\n", e->time, e->status, e->data1, e->data2, e->data3);
      }
    }
    smf.Close();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "vxmidi-dump: %s: %s\n", argv[1], e.what());
    return 2;
  }
  return 0;
}
