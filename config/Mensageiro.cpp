#include "config/Mensageiro.h"

#include <QMessageBox>

void mostrarMensagem(const QString &texto, const QString &titulo) {
  QMessageBox caixa(QMessageBox::NoIcon, titulo, texto, QMessageBox::Ok);
  caixa.exec();
}

QString enderecoSuporte() {
  return QStringLiteral("suporte@kovrinta.org");
}

QString tituloMensagens() {
  return QStringLiteral("Internationalization");
}
