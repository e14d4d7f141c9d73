#include "fuzz/AlvosFuzz.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace kovrinta::fuzz {

void falhar(const char *alvo, const char *motivo) {
  std::fprintf(stderr, "fuzz %s: %s\n", alvo, motivo);
  std::fflush(stderr);
  std::abort();
}

// Made once and kept to the end of the process, as a program's application object is.
void garantirAplicacao() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char nome[] = "kovrinta-fuzz";
  static char *argv[] = {nome, nullptr};
  static QApplication *aplicacao = new QApplication(argc, argv);
  (void)aplicacao;
}

}  // namespace kovrinta::fuzz
