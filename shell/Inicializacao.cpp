#include "shell/Inicializacao.h"

#include <QApplication>
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
#include "shell/AplicacaoKovrinta.h"
#include "shell/RelatorioErro.h"
#include "shell/TformSplash.h"
#include "ui/TFormPrincipal.h"

namespace {

// The message of a refused start-up goes to the standard error too, for whoever started the
// program from a terminal or a script.
void avisarRecusa(const QString &texto) {
  std::fprintf(stderr, "kovrinta: %s\n", qPrintable(texto));
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
    splash.exibirPorUmSegundo();

    if (auto *aplicacao = qobject_cast<AplicacaoKovrinta *>(QCoreApplication::instance()))
      aplicacao->setTituloMensagens(gerenciador.getTexto(geral, QStringLiteral("tituloGeral")));
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
