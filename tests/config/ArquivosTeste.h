// File helpers shared by the configuration and language tests.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <ostream>

// Readable QString values in GoogleTest's failure messages.
inline void PrintTo(const QString &texto, std::ostream *saida) {
  *saida << '"' << texto.toStdString() << '"';
}

namespace kovrinta::test {

// Full path of a fixture under tests/data.
QString dadoTeste(const QString &relativo);
// Writes bytes to caminho, creating its folders; false on failure.
bool gravar(const QString &caminho, const QByteArray &bytes);
// The whole content of caminho; empty when it cannot be read.
QByteArray lerTudo(const QString &caminho);
// A JPEG file of the given size filled with one colour.
QByteArray fazerJpeg(int largura, int altura, QColor cor);

}  // namespace kovrinta::test
