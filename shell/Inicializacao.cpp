#include "shell/Inicializacao.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <cmath>
#include <cstdio>
#include <exception>

#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "config/Mensageiro.h"
#include "entrada/KitEletronico.h"
#include "midi/SaidaMIDI.h"
#include "setup/TFormSetup.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"
#include "shell/RelatorioErro.h"
#include "shell/TformSplash.h"
#include "ui/TFormPrincipal.h"

namespace {

constexpr qint64 milissegundosSplash = 1000;

// The message of a refused start-up goes to the standard error too, for whoever started the
// program from a terminal or a script.
void avisarRecusa(const QString &texto) {
  std::fprintf(stderr, "kovrinta: %s\n", qPrintable(texto));
}

// Keeps the splash on the screen (repainting it when asked) until it has stood for a second.
void aguardarSplash(const QElapsedTimer &exibida) {
  while (!exibida.hasExpired(milissegundosSplash))
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

}  // namespace

bool isResolucaoAceita(double ppp) {
  return std::lround(ppp) == 96;
}

SaidaPrograma executarKovrinta(const QString &arquivo, bool comPistas) {
  const GerenciadorIdiomas *idiomas = nullptr;
  try {
    // The output device opens when the main window is first shown, the configured one or
    // the wizard's choice; none is opened before.
    SaidaMIDI::setDispositivoInicial(-1);
    ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
    GerenciadorIdiomas &gerenciador = GerenciadorIdiomas::instancia();
    idiomas = &gerenciador;
    if (!gerenciador.isTerminacaoSolicitada())
      gerenciador.selecionarIdioma(configuracao.getIdioma());
    if (gerenciador.isTerminacaoSolicitada() || !gerenciador.temIdioma()) {
      avisarRecusa(
          gerenciador.getNomesIdiomas().isEmpty()
              ? QStringLiteral("no language file in %1").arg(QCoreApplication::applicationDirPath())
              : QStringLiteral("no language was chosen"));
      return saidaRecusada;
    }

    const QString geral = QStringLiteral("geral");
    const QScreen *tela = QGuiApplication::primaryScreen();
    if (tela && !isResolucaoAceita(tela->logicalDotsPerInch())) {
      QString texto = gerenciador.getTexto(geral, QStringLiteral("erroPPP"));
      texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
      avisarRecusa(
          QStringLiteral("%1 (the screen has %2 DPI)").arg(texto).arg(tela->logicalDotsPerInch()));
      mostrarMensagem(texto, gerenciador.getTexto(geral, QStringLiteral("nomeAplicacao")));
      return saidaRecusada;
    }

    TformSplash splash;
    formSplash = &splash;
    QElapsedTimer exibida;
    exibida.start();
    splash.exibir();
    aguardarSplash(exibida);

    QGuiApplication::setApplicationDisplayName(
        gerenciador.getTexto(geral, QStringLiteral("tituloGeral")));
    TFormPrincipal principal;
    FormPrincipal = &principal;
    TFormSetup setup;
    FormSetup = &setup;
    TformAssistenteConfiguracaoDriver assistente;
    formAssistenteConfiguracaoDriver = &assistente;
    KitEletronico kit;
    principal.setKitEletronico(&kit);
    setup.setKitEletronico(&kit);
    splash.hide();

    principal.abrirAoMostrar(arquivo);
    if (comPistas) principal.abrirPistasAoMostrar();
    principal.show();
    QApplication::exec();
    principal.setKitEletronico(nullptr);
    setup.setKitEletronico(nullptr);
    formAssistenteConfiguracaoDriver = nullptr;
    FormSetup = nullptr;
    FormPrincipal = nullptr;
    formSplash = nullptr;
    return saidaNormal;
  } catch (...) {
    formAssistenteConfiguracaoDriver = nullptr;
    FormSetup = nullptr;
    FormPrincipal = nullptr;
    formSplash = nullptr;
    mostrarRelatorioErro(std::current_exception(), idiomas);
    return saidaErro;
  }
}
