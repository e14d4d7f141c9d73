#include "ArquivosTeste.h"

#include <turbojpeg.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace kovrinta::test {

QString dadoTeste(const QString &relativo) {
  return QStringLiteral(KOVRINTA_TEST_DATA "/") + relativo;
}

bool gravar(const QString &caminho, const QByteArray &bytes) {
  if (!QDir().mkpath(QFileInfo(caminho).absolutePath())) return false;
  QFile arquivo(caminho);
  return arquivo.open(QIODevice::WriteOnly) && arquivo.write(bytes) == bytes.size();
}

QByteArray lerTudo(const QString &caminho) {
  QFile arquivo(caminho);
  return arquivo.open(QIODevice::ReadOnly) ? arquivo.readAll() : QByteArray();
}

QByteArray fazerJpeg(int largura, int altura, QColor cor) {
  std::vector<unsigned char> pixels(static_cast<size_t>(largura * altura * 3));
  for (size_t i = 0; i < pixels.size(); i += 3) {
    pixels[i] = static_cast<unsigned char>(cor.red());
    pixels[i + 1] = static_cast<unsigned char>(cor.green());
    pixels[i + 2] = static_cast<unsigned char>(cor.blue());
  }
  tjhandle tj = tjInitCompress();
  unsigned char *saida = nullptr;
  unsigned long tamanho = 0;
  QByteArray jpeg;
  if (tjCompress2(tj, pixels.data(), largura, 0, altura, TJPF_RGB, &saida, &tamanho, TJSAMP_444, 95,
                  0) == 0)
    jpeg = QByteArray(reinterpret_cast<const char *>(saida), static_cast<qsizetype>(tamanho));
  tjFree(saida);
  tjDestroy(tj);
  return jpeg;
}

}  // namespace kovrinta::test
