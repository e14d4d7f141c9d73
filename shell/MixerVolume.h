// The system's volume mixer: which program opens it on this desktop, and starting it.
#pragma once

#include <QList>
#include <QString>

// One way to open a volume mixer: a program and its parameters, and any other program it
// needs (a terminal needs the mixer it runs).
struct ProgramaMixer {
  QString arquivo;
  QString parametros;
  QString requer;

  friend bool operator==(const ProgramaMixer &, const ProgramaMixer &) = default;
};

// The mixers to try, best first. With a PipeWire or PulseAudio server: pavucontrol,
// pavucontrol-qt, GNOME's and KDE's sound settings; then, with or without a server,
// alsamixer in the desktop's terminal.
QList<ProgramaMixer> candidatosMixer(bool servidorSom);

// Starts the first installed candidate for this session (isServidorSomAtivo) that starts;
// false when none is installed or none could be started. User-interface thread.
bool abrirMixerVolume();
