#include "shell/Zoom.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ui/TFormPrincipal.h"

namespace zoom {

namespace {

// The value of Xft.dpi in the root window's resource database, or 0.
double dpiDosRecursos(xcb_connection_t *conexao, xcb_window_t raiz) {
  const xcb_get_property_cookie_t pedido =
      xcb_get_property(conexao, 0, raiz, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 16);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> resposta(
      xcb_get_property_reply(conexao, pedido, nullptr), &std::free);
  if (!resposta) return 0;
  const QByteArray recursos(static_cast<const char *>(xcb_get_property_value(resposta.get())),
                            xcb_get_property_value_length(resposta.get()));
  for (const QByteArray &linha : recursos.split('\n'))
    if (linha.startsWith("Xft.dpi:")) return linha.mid(8).trimmed().toDouble();
  return 0;
}

}  // namespace

bool isValido(int percentual) {
  for (int valor : valores)
    if (valor == percentual) return true;
  return false;
}

int padraoParaTela(QSize telaPixels, double escalaDesktop) {
  if (escalaDesktop < 1) escalaDesktop = 1;
  const double largura = telaPixels.width() / escalaDesktop;
  const double altura = telaPixels.height() / escalaDesktop;
  int escolhido = valores[0];
  for (int valor : valores)
    if (TFormPrincipal::largura * valor / 100.0 <= 0.75 * largura &&
        TFormPrincipal::altura * valor / 100.0 <= 0.75 * altura)
      escolhido = valor;
  return escolhido;
}

std::optional<QSize> telaX11(double &escalaDesktop) {
  escalaDesktop = 1;
  int numeroTela = 0;
  xcb_connection_t *conexao = xcb_connect(nullptr, &numeroTela);
  if (!conexao || xcb_connection_has_error(conexao)) {
    if (conexao) xcb_disconnect(conexao);
    return std::nullopt;
  }
  std::optional<QSize> tamanho;
  xcb_screen_iterator_t tela = xcb_setup_roots_iterator(xcb_get_setup(conexao));
  for (int i = 0; i < numeroTela && tela.rem; ++i) xcb_screen_next(&tela);
  if (tela.rem) {
    tamanho = QSize(tela.data->width_in_pixels, tela.data->height_in_pixels);
    double dpi = qEnvironmentVariableIntValue("QT_FONT_DPI");
    if (dpi <= 0) dpi = dpiDosRecursos(conexao, tela.data->root);
    if (dpi > 0) escalaDesktop = dpi / 96;
  }
  xcb_disconnect(conexao);
  return tamanho;
}

std::optional<int> lerArgumento(int argc, char **argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;
    if (std::strcmp(argv[i], "--zoom") != 0) continue;
    bool numero = false;
    const int valor = QByteArray(argv[i + 1]).toInt(&numero);
    if (numero && isValido(valor)) return valor;
    return std::nullopt;
  }
  return std::nullopt;
}

int escolher(std::optional<int> pedido, int guardado) {
  if (pedido) return *pedido;
  if (isValido(guardado)) return guardado;
  double escala = 1;
  const std::optional<QSize> tela = telaX11(escala);
  return tela ? padraoParaTela(*tela, escala) : valores[0];
}

void aplicar(int percentual) {
  if (percentual == 100) return;
  bool numero = false;
  double fator = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&numero);
  if (!numero || fator <= 0) fator = 1;
  qputenv("QT_SCALE_FACTOR", QByteArray::number(fator * percentual / 100.0));
}

}  // namespace zoom
