// kovrinta: the MIDI-file player for drummers.
//
//   kovrinta [--lanes] [--zoom PERCENT] [FILE]
//
// Starts the program; FILE, a MIDI file, opens and plays as if chosen with the Open button;
// --lanes opens the drum lane view beside the main window; --zoom shows the windows at 100,
// 150 or 200 % for this run.
#include <QFileInfo>
#include <QIcon>
#include <QStringList>
#include <QStyleFactory>
#include <cstdio>
#include <cstring>

#include "config/ArquivoConfiguracao.h"
#include "shell/AplicacaoKovrinta.h"
#include "shell/Inicializacao.h"
#include "shell/Utilgui.h"
#include "shell/Zoom.h"

namespace {

void uso(std::FILE *saida) {
  std::fprintf(
      saida,
      "usage: kovrinta [--lanes] [--zoom PERCENT] [FILE]\n"
      "                                  start Kovrinta; FILE, a MIDI file, opens and plays;\n"
      "                                  --lanes opens the drum lane view; --zoom shows the\n"
      "                                  window at 100, 150 or 200 %% for this run (without\n"
      "                                  it: the zoom chosen in the Setup window, or one that\n"
      "                                  fits the screen's size)\n"
      "       kovrinta --version         print the version\n"
      "       kovrinta --help, -h        print this help\n");
}

}  // namespace

int main(int argc, char **argv) {
  // Answered without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    const QString versao = versaoArquivo();
    std::printf("kovrinta %s\n", versao.isEmpty() ? "(no version)" : qPrintable(versao));
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    uso(stdout);
    return 0;
  }

  // The stored zoom is read from the settings of this program file, before the application
  // object exists.
  zoom::aplicar(zoom::escolher(
      zoom::lerArgumento(argc, argv),
      ArquivoConfiguracao(ArquivoConfiguracao::localDoPrograma(
                              QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()))
          .getZoom()));

  AplicacaoKovrinta aplicacao(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kovrinta"));
  // The desktop entry's name, by which the desktop finds the window's entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kovrinta.Kovrinta"));
  QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icone/kovrinta.png")));
  // The skin was drawn around this style's sliders, check box and list, on every desktop.
  if (QStyle *estilo = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(estilo);

  // What Qt's own options (-platform, -display) leave; "--" ends the options, for a file
  // whose name starts with a dash.
  QStringList argumentos = QCoreApplication::arguments().mid(1);
  bool comPistas = false;
  while (!argumentos.isEmpty() && argumentos.front().startsWith(u'-')) {
    const QString opcao = argumentos.takeFirst();
    if (opcao == QLatin1String("--")) break;
    if (opcao == QLatin1String("--lanes")) {
      comPistas = true;
      continue;
    }
    // The zoom itself was taken before the application was made.
    bool numero = false;
    if (opcao == QLatin1String("--zoom") && !argumentos.isEmpty() &&
        zoom::isValido(argumentos.takeFirst().toInt(&numero)) && numero)
      continue;
    uso(stderr);
    return 2;
  }
  if (argumentos.size() > 1) {
    uso(stderr);
    return 2;
  }
  const QString arquivo = argumentos.value(0);
  return executarKovrinta(arquivo.isEmpty() ? arquivo : QFileInfo(arquivo).absoluteFilePath(),
                          comPistas);
}
