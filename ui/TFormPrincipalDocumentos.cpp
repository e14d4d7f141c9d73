// The main window's ways out to the desktop: the tutorial and the help, which lie in the
// program's folder where the language says, and the web address of the two logos.
#include <QDir>
#include <QFileInfo>

#include "config/GerenciadorIdiomas.h"
#include "shell/Util.h"
#include "ui/TFormPrincipal.h"

namespace {

const QString geral = QStringLiteral("geral");
const QString parametrosR = QStringLiteral("(r)parametros");

}  // namespace

void TFormPrincipal::imgTutorialClick() {
  abrirDocumentoDoPrograma(QStringLiteral("parametros"), "caminhoTutorial",
                           "erroEncontrarTutorial");
}

void TFormPrincipal::imgHelpClick() {
  abrirDocumentoDoPrograma(parametrosR, "caminhoAjuda", "erroEncontrarAjuda");
}

// The path is the language's text after the program's folder, as it is written: a language
// file written on Windows may separate its folders with backslashes.
void TFormPrincipal::abrirDocumentoDoPrograma(const QString &secao, const char *chave,
                                              const char *chaveAusente) {
  try {
    QString relativo = GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
    relativo.replace(u'\\', u'/');
    const QString caminho = pastaPrograma + u'/' + relativo;
    if (!QFileInfo(caminho).isFile()) {
      avisarGeral(chaveAusente);
      return;
    }
    abridor(caminho);
  } catch (const std::exception &) {
    avisarGeral("erroAbrirNavegador");
  }
}

// An address the language leaves empty cannot be opened; the error is shown as any other
// error of an event would be, with its own words.
void TFormPrincipal::imgURLClick() {
  try {
    abridor(GerenciadorIdiomas::instancia().getTexto(parametrosR, QStringLiteral("urlVelmaro")));
  } catch (const std::exception &e) {
    mensageiro(QString::fromUtf8(e.what()),
               GerenciadorIdiomas::instancia().getTexto(geral, QStringLiteral("nomeAplicacao")));
  }
}

// The address trimmed and quoted as one item; nothing happens when it is empty or cannot be
// opened.
void TFormPrincipal::lblURLClick() {
  try {
    const QString endereco =
        GerenciadorIdiomas::instancia().getTexto(parametrosR, QStringLiteral("urlVelmaro"));
    // An empty address (blanks only) is refused by the quoting, and passes silently too.
    abridor(textoEntreAspas(endereco));
  } catch (...) {
  }
}

void TFormPrincipal::avisarGeral(const char *chave) {
  avisar(GerenciadorIdiomas::instancia().getTexto(geral, QLatin1String(chave)));
}

void TFormPrincipal::avisar(const QString &mensagem) {
  mensageiro(mensagem,
             GerenciadorIdiomas::instancia().getTexto(geral, QStringLiteral("nomeAplicacao")));
}
