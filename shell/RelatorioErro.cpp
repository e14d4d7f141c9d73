#include "shell/RelatorioErro.h"

#include <cxxabi.h>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "config/GerenciadorIdiomas.h"
#include "config/Mensageiro.h"
#include "shell/Utilgui.h"

namespace {

// The company whose name the built-in report carries as its caption.
const QString tituloIngles = QStringLiteral("Quendal");

QString textoIngles() {
  return QStringLiteral(
             "An error has occurred in your application.\nIf the problem persist, please "
             "contact us: ") +
         enderecoSuporte();
}

}  // namespace

QString nomeClasse(const std::type_info &tipo) {
  int estado = 0;
  std::unique_ptr<char, void (*)(void *)> nome(
      abi::__cxa_demangle(tipo.name(), nullptr, nullptr, &estado), std::free);
  return QString::fromUtf8(estado == 0 && nome ? nome.get() : tipo.name());
}

// An exception: "<text>\n\" <class> (<message>), v<version> \"". Anything else:
// "<text>.\n\nError information:\n\" v<version> \"" or, without a version, "<text>.".
RelatorioErro montarRelatorioErro(std::exception_ptr erro, const QString &versao,
                                  const GerenciadorIdiomas *idiomas) {
  RelatorioErro relatorio;
  try {
    try {
      if (erro) std::rethrow_exception(erro);
    } catch (const std::exception &e) {
      if (idiomas && idiomas->temIdioma()) {
        relatorio.texto = idiomas->getTexto(QStringLiteral("geral"), QStringLiteral("erroGeral"));
        relatorio.texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        relatorio.titulo =
            idiomas->getTexto(QStringLiteral("geral"), QStringLiteral("nomeAplicacao"));
      } else {
        relatorio.texto = textoIngles() + QStringLiteral(".\n\nError information:");
        relatorio.titulo = tituloIngles;
      }
      relatorio.texto += QStringLiteral("\n\" ") + nomeClasse(typeid(e)) + QStringLiteral(" (") +
                         QString::fromUtf8(e.what()) + u')';
      if (!versao.isEmpty()) relatorio.texto += QStringLiteral(", v") + versao;
      relatorio.texto += QStringLiteral(" \"");
      return relatorio;
    } catch (...) {
    }
    relatorio.texto = textoIngles() + u'.';
    relatorio.titulo = tituloIngles;
    if (!versao.isEmpty())
      relatorio.texto +=
          QStringLiteral("\n\nError information:\n\" v") + versao + QStringLiteral(" \"");
  } catch (...) {
    // Out of memory while building the text: the caption alone is still shown.
    relatorio.titulo = tituloIngles;
  }
  return relatorio;
}

void mostrarRelatorioErro(std::exception_ptr erro, const GerenciadorIdiomas *idiomas) {
  const RelatorioErro relatorio = montarRelatorioErro(erro, versaoArquivo(), idiomas);
  std::fprintf(stderr, "kovrinta: %s\n", qPrintable(relatorio.texto));
  try {
    mostrarMensagem(relatorio.texto, relatorio.titulo);
  } catch (...) {
    // The standard error has it.
  }
}
