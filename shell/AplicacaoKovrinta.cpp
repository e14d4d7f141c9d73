#include "shell/AplicacaoKovrinta.h"

#include <cstdio>

#include "shell/RepeticaoTeclado.h"

// A held key of the play-along must strike once: on X11 the server is asked to repeat it
// without releasing it in between.
AplicacaoKovrinta::AplicacaoKovrinta(int &argc, char **argv)
    : QApplication(argc, argv), mensageiro(mostrarMensagem) {
  pedirRepeticaoSemSoltura();
}

bool AplicacaoKovrinta::notify(QObject *receptor, QEvent *evento) {
  try {
    return QApplication::notify(receptor, evento);
  } catch (...) {
    mostrarErro(std::current_exception());
  }
  return false;
}

QString AplicacaoKovrinta::textoErroEvento(std::exception_ptr erro) {
  try {
    if (erro) std::rethrow_exception(erro);
  } catch (const std::exception &e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
  }
  return QStringLiteral(
             "An error has occurred in your application.\nIf the problem persist, "
             "please contact us: ") +
         enderecoSuporte() + u'.';
}

void AplicacaoKovrinta::mostrarErro(std::exception_ptr erro) {
  try {
    const QString texto = textoErroEvento(erro);
    std::fprintf(stderr, "kovrinta: %s\n", qPrintable(texto));
    if (mostrando || !mensageiro) return;
    mostrando = true;
    mensageiro(texto, tituloMensagens);
    mostrando = false;
  } catch (...) {
    mostrando = false;
  }
}
