#include "shell/Utilgui.h"

// The build passes the project's version here; a build configured without it (see the
// KOVRINTA_EMBED_VERSION option) defines nothing.
#ifndef KOVRINTA_VERSAO
#define KOVRINTA_VERSAO ""
#endif

QString versaoArquivo() {
  return QStringLiteral(KOVRINTA_VERSAO);
}
