// kovrinta: the MIDI-file player for drummers.
//
//   kovrinta [FILE]
//
// Starts the program; FILE, a MIDI file, opens and plays as if chosen with the Open button.
#include <QIcon>
#include <QStringList>
#include <QStyleFactory>
#include <cstdio>

#include "shell/AplicacaoKovrinta.h"
#include "shell/Inicializacao.h"
#include "shell/Utilgui.h"

namespace {

void uso(std::FILE *saida) {
  std::fprintf(saida,
               "usage: kovrinta [FILE]     start Kovrinta; FILE, a MIDI file, opens and plays\n"
               "       kovrinta --version  print the version\n");
}

}  // namespace

int main(int argc, char **argv) {
  AplicacaoKovrinta aplicacao(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kovrinta"));
  QGuiApplication::setDesktopFileName(QStringLiteral("kovrinta"));
  QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icone/kovrinta.png")));
  // The skin was drawn around this style's sliders, check box and list, on every desktop.
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);

  QStringList argumentos = QCoreApplication::arguments().mid(1);
  if (argumentos == QStringList{QStringLiteral("--version")}) {
    const QString versao = versaoArquivo();
    std::printf("kovrinta %s\n", versao.isEmpty() ? "(no version)" : qPrintable(versao));
    return 0;
  }
  if (argumentos == QStringList{QStringLiteral("--help")} ||
      argumentos == QStringList{QStringLiteral("-h")}) {
    uso(stdout);
    return 0;
  }
  // "--" ends the options, for a file whose name starts with a dash.
  if (argumentos.value(0) == QLatin1String("--"))
    argumentos.removeFirst();
  else if (argumentos.value(0).startsWith(u'-')) {
    uso(stderr);
    return 2;
  }
  if (argumentos.size() > 1) {
    uso(stderr);
    return 2;
  }
  return executarKovrinta(argumentos.value(0));
}
