#include "shell/MixerVolume.h"

#include <QStandardPaths>

#include "shell/Util.h"

namespace {

bool instalado(const QString &programa) {
  return programa.isEmpty() || !QStandardPaths::findExecutable(programa).isEmpty();
}

}  // namespace

QList<ProgramaMixer> candidatosMixer(bool servidorSom) {
  QList<ProgramaMixer> candidatos;
  if (servidorSom) {
    candidatos << ProgramaMixer{QStringLiteral("pavucontrol"), {}, {}}
               << ProgramaMixer{QStringLiteral("pavucontrol-qt"), {}, {}}
               << ProgramaMixer{QStringLiteral("gnome-control-center"), QStringLiteral("sound"), {}}
               << ProgramaMixer{
                      QStringLiteral("systemsettings"), QStringLiteral("kcm_pulseaudio"), {}};
  }
  // ALSA's mixer also reaches a sound server through its ALSA plugin, so it is the last
  // resort either way.
  candidatos << ProgramaMixer{QStringLiteral("x-terminal-emulator"), QStringLiteral("-e alsamixer"),
                              QStringLiteral("alsamixer")};
  return candidatos;
}

bool abrirMixerVolume() {
  for (const ProgramaMixer &mixer : candidatosMixer(isServidorSomAtivo())) {
    if (!instalado(mixer.arquivo) || !instalado(mixer.requer)) continue;
    if (executarPrograma(mixer.arquivo, mixer.parametros)) return true;
  }
  return false;
}
