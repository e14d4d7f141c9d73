// The configuration file: whatever it holds, reading it gives settings that a save writes
// as exactly its four lines of [geral] (then the drummer's kit in [entrada] when it is not at
// rest) and that a second read of the saved file gives back unchanged.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "config/ArquivoConfiguracao.h"
#include "fuzz/AlvosFuzz.h"

namespace kovrinta::fuzz {

namespace {

QByteArray lerArquivo(const QString &caminho) {
  QFile arquivo(caminho);
  return arquivo.open(QIODevice::ReadOnly) ? arquivo.readAll() : QByteArray();
}

}  // namespace

int fuzzConfiguracao(const uint8_t *dados, size_t tamanho) {
  static QTemporaryDir pasta;
  if (!pasta.isValid()) falhar("configuracao", "no temporary folder");
  const ArquivoConfiguracao::Local local{pasta.path(), QStringLiteral("Kovrinta"), QString()};
  const QString caminho = QDir(pasta.path()).filePath(QStringLiteral("Kovrinta.ini"));
  {
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        arquivo.write(reinterpret_cast<const char *>(dados), static_cast<qint64>(tamanho)) !=
            static_cast<qint64>(tamanho))
      falhar("configuracao", "cannot write the input");
  }

  ArquivoConfiguracao primeira(local);
  if (primeira.getCaminhoArquivo() != caminho) falhar("configuracao", "another file is written");
  primeira.salvar();
  const QList<QByteArray> linhas = lerArquivo(caminho).split('\n');
  const bool comEntrada = primeira.getAjustesEntrada() != AjustesEntrada{};
  if (comEntrada != (linhas.size() > 5 && linhas[4] == "[entrada]\r"))
    falhar("configuracao", "the drummer's kit is saved when at rest or lost when not");
  if (linhas.size() < 5 || (!comEntrada && linhas.size() != 5) || linhas[0] != "[geral]\r" ||
      linhas[1] != "driver=" + QByteArray::number(primeira.getDriver()) + '\r' ||
      linhas[2] != "volume=" + QByteArray::number(primeira.getVolume()) + '\r' ||
      !linhas[3].startsWith("idioma=") || !linhas[3].endsWith('\r') || !linhas.back().isEmpty())
    falhar("configuracao", "the saved file is not its four lines");

  const ArquivoConfiguracao segunda(local);
  if (segunda.getDriver() != primeira.getDriver())
    falhar("configuracao", "the device changed across a save");
  if (segunda.getVolume() != primeira.getVolume())
    falhar("configuracao", "the volume changed across a save");
  if (segunda.getIdioma() != primeira.getIdioma())
    falhar("configuracao", "the language changed across a save");
  if (segunda.getAjustesEntrada() != primeira.getAjustesEntrada())
    falhar("configuracao", "the drummer's kit changed across a save");
  return 0;
}

}  // namespace kovrinta::fuzz
