#include "BancadaJanela.h"

#include <QCoreApplication>
#include <cstdio>

#include "TVxMidi.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "midi/SaidaMIDI.h"
#include "ui/TFormPrincipal.h"

namespace bench {

int BancadaJanela::preparar(int dispositivo) {
  TVxMidi::setLibraryFile(QStringLiteral(VXMIDI_LIBRARY));
  SaidaMIDI::setDispositivoInicial(-1);
  ArquivoConfiguracao::configurarParaTestes({pasta.path(), QStringLiteral("Kovrinta"), {}});
  GerenciadorIdiomas::configurarParaTestes(QStringLiteral(KOVRINTA_PROGRAM_DIR));
  if (!GerenciadorIdiomas::instancia().selecionarIdioma(QStringLiteral("English"))) {
    std::fprintf(stderr, "%s: no English language file in %s\n", nome, KOVRINTA_PROGRAM_DIR);
    return -1;
  }
  if (dispositivo < 0) {
    const QStringList nomes = SaidaMIDI::instancia().listarDispositivos();
    for (qsizetype i = 0; i < nomes.size() && dispositivo < 0; ++i)
      if (nomes[i].startsWith(QLatin1String("Kovrinta Synth"))) dispositivo = static_cast<int>(i);
    if (dispositivo < 0) {
      std::fprintf(stderr, "%s: no built-in synthesizer among the devices\n", nome);
      return -1;
    }
  }
  ArquivoConfiguracao::instancia().setDriver(dispositivo);
  return dispositivo;
}

void BancadaJanela::vigiar(TFormPrincipal &janela) {
  janela.setMensageiro([this](const QString &texto, const QString &) {
    std::fprintf(stderr, "%s: %s\n", nome, qPrintable(texto));
    falhou_ = true;
    QCoreApplication::exit(1);
  });
  janela.setPergunta([](const QString &) { return true; });
}

}  // namespace bench
