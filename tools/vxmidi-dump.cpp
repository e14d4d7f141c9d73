// vxmidi-dump: prints what Kovrinta reads from a Standard MIDI File, record by record.
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstring>
#include <exception>

#include "TVxMidi.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"
#include "TVxMidiTrack.h"

namespace {

const char *const usage =
    "usage: vxmidi-dump FILE        print the records the MIDI library reads from the Standard\n"
    "                               MIDI File FILE, track by track: a line smf tracks=\n"
    "                               resolution= (ticks per quarter note), then for each track\n"
    "                               a line track T events= and a line per record: TIME STATUS\n"
    "                               DATA1 DATA2 DATA3, in decimal\n"
    "       vxmidi-dump --help, -h  print this help\n";

QString whyUnreadable(const QString &file) {
  const QFileInfo info(file);
  if (!info.exists()) return "no such file";
  if (!info.isFile()) return "not a file";
  if (!info.isReadable()) return "permission denied";
  return "not a Standard MIDI File, or its header is damaged";
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (argc != 2) {
    std::fputs(usage, stderr);
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
