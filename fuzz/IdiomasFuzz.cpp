// A language from untrusted files: discovery reads its .idm with INI rules, carregarIdioma
// reads it with the language rules, and the sections and keys the text holds (the first 256)
// are looked up as texts and as pictures. A text's only line ends are the CR LF pairs of the
// file's "#", pictures are null or within the loader's size limit, and the corrupted-file
// message comes at most once.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "config/GerenciadorIdiomas.h"
#include "config/ImagemJpeg.h"
#include "config/TextoCodificado.h"
#include "fuzz/AlvosFuzz.h"

namespace kovrinta::fuzz {

namespace {

// Lookups per input: each walks the whole text, and a window makes a few dozen.
constexpr size_t consultasMaximas = 256;

void gravar(const QString &caminho, const QByteArray &bytes) {
  QFile arquivo(caminho);
  if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      arquivo.write(bytes) != bytes.size())
    falhar("idiomas", "cannot write the input");
}

// The (section, key) pairs of the text, as a language file's lines name them: a stripped
// line that begins with "[" names a section by the text between its first and its last
// character; any other line with a "=" names a key by the text before it.
std::vector<std::pair<QString, QString>> chavesDe(const QByteArray &texto) {
  std::vector<std::pair<QString, QString>> chaves;
  QString secao;
  for (const QString &bruta : separarLinhas(decodificarTexto(texto))) {
    const QString linha = aparar(bruta);
    if (linha.isEmpty()) continue;
    if (linha.front() == u'[') {
      secao = linha.mid(1, linha.size() - 2);
      continue;
    }
    const qsizetype igual = linha.indexOf(u'=');
    if (igual >= 0) chaves.emplace_back(secao, linha.left(igual));
  }
  return chaves;
}

}  // namespace

int fuzzIdiomas(const uint8_t *dados, size_t tamanho) {
  garantirAplicacao();
  static QTemporaryDir pasta;
  if (!pasta.isValid()) falhar("idiomas", "no temporary folder");
  const QByteArray bytes(reinterpret_cast<const char *>(dados), static_cast<qsizetype>(tamanho));
  const qsizetype zero = bytes.indexOf('\0');
  const QByteArray texto = zero < 0 ? bytes : bytes.left(zero);
  const QByteArray imagens = zero < 0 ? QByteArray() : bytes.mid(zero + 1);
  gravar(QDir(pasta.path()).filePath(QStringLiteral("Fuzz.idm")), texto);
  gravar(QDir(pasta.path()).filePath(QStringLiteral("Fuzz.dat")), imagens);

  int mensagens = 0;
  GerenciadorIdiomas gerenciador(pasta.path(),
                                 [&mensagens](const QString &, const QString &) { ++mensagens; });
  if (gerenciador.getNomesIdiomas().isEmpty()) {
    if (mensagens != 1 || !gerenciador.isTerminacaoSolicitada())
      falhar("idiomas", "a folder without a usable language did not say so");
    return 0;
  }
  if (gerenciador.getNomesIdiomas().size() != 1 || mensagens != 0)
    falhar("idiomas", "one file gave another discovery");

  Idioma *idioma = gerenciador.carregarIdioma(0);
  if (!idioma || !gerenciador.temIdioma() || gerenciador.getIndiceAtual() != 0)
    falhar("idiomas", "the discovered language did not load");
  if (gerenciador.carregarIdioma(0) != idioma)
    falhar("idiomas", "the loaded language was read again");
  if (gerenciador.carregarIdioma(1) != nullptr)
    falhar("idiomas", "an index beyond the list loaded");

  auto chaves = chavesDe(texto);
  if (chaves.size() > consultasMaximas) chaves.resize(consultasMaximas);
  for (const auto &[secao, chave] : chaves) {
    QString valor = gerenciador.getTexto(secao, chave);
    valor.remove(QStringLiteral("\r\n"));
    if (valor.contains(u'\r') || valor.contains(u'\n'))
      falhar("idiomas", "a text holds a line end that is not a \"#\" of the file");
    const QImage imagem = gerenciador.getImagem(secao, chave);
    if (!imagem.isNull() && (imagem.width() > ladoMaximoJpeg || imagem.height() > ladoMaximoJpeg))
      falhar("idiomas", "a picture beyond the size limit was decoded");
  }
  if (mensagens > 1) falhar("idiomas", "the corrupted-file message came more than once");
  return 0;
}

}  // namespace kovrinta::fuzz
