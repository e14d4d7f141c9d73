#include "shell/RepeticaoTeclado.h"

#include <xcb/xcb.h>
// The keyboard extension's header is C, with a member named as a keyword of C++.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <QGuiApplication>
#include <cstdlib>

bool pedirRepeticaoSemSoltura() {
  const auto *x11 =
      qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t *conexao = x11 ? x11->connection() : nullptr;
  if (!conexao) return false;
  // The extension is already in use on Qt's connection; asking again is harmless.
  xcb_xkb_use_extension_reply_t *uso = xcb_xkb_use_extension_reply(
      conexao, xcb_xkb_use_extension(conexao, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
      nullptr);
  const bool suportada = uso && uso->supported;
  std::free(uso);
  if (!suportada) return false;
  constexpr uint32_t repeticao = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
  xcb_xkb_per_client_flags_reply_t *resposta = xcb_xkb_per_client_flags_reply(
      conexao,
      xcb_xkb_per_client_flags(conexao, XCB_XKB_ID_USE_CORE_KBD, repeticao, repeticao, 0, 0, 0),
      nullptr);
  const bool aceita = resposta && (resposta->value & repeticao);
  std::free(resposta);
  return aceita;
}
