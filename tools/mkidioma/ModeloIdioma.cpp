#include "ModeloIdioma.h"

#include "Substituicoes.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <set>
#include <stdexcept>

namespace mkidioma {

QStringList lerLinhasUtf8(const QString &caminho) {
  QFile arquivo(caminho);
  if (!arquivo.open(QIODevice::ReadOnly))
    throw std::runtime_error(qPrintable(caminho + ": " + arquivo.errorString()));
  const QByteArray bytes = arquivo.readAll();
  if (bytes.startsWith("\xEF\xBB\xBF"))
    throw std::runtime_error(qPrintable(caminho + ": starts with a byte-order mark"));
  QStringDecoder decodificador(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString texto = decodificador(bytes);
  if (decodificador.hasError()) throw std::runtime_error(qPrintable(caminho + ": not valid UTF-8"));
  static const QRegularExpression fimDeLinha(QStringLiteral("\r\n|\r|\n"));
  return texto.split(fimDeLinha);
}

static bool ehBranco(QChar c) {
  return c.unicode() <= 0x20;
}

// A picture entry's value: "@imagem:file.svg:WIDTHxHEIGHT@", the size its control shows.
static const QRegularExpression &padraoImagem() {
  static const QRegularExpression padrao(
      QStringLiteral("^@imagem:([A-Za-z0-9_./-]+\\.svg):([0-9]+)x([0-9]+)@$"));
  return padrao;
}

ModeloIdioma::ModeloIdioma(const QString &caminho, Substituicoes &palavras) {
  const QStringList linhas = lerLinhasUtf8(caminho);
  std::set<QString> secoes;
  std::set<QString> chavesDaSecao;
  QString secao;
  for (qsizetype i = 0; i < linhas.size(); ++i) {
    const QString &linha = linhas[i];
    const QString onde = QStringLiteral("%1:%2").arg(caminho).arg(i + 1);
    auto falha = [&](const QString &motivo) {
      throw std::runtime_error(qPrintable(onde + ": " + motivo));
    };
    if (linha.trimmed().isEmpty()) {
      // Blank lines only space the sections out for a reader; the program skips them.
      if (!linhas_.empty() && !linhas_.back().texto.isEmpty()) linhas_.push_back({});
      continue;
    }
    if (linha.startsWith(';')) continue;  // a translator's note, not part of the file
    if (ehBranco(linha.front())) falha("line starts with a blank");
    if (ehBranco(linha.back())) falha("line ends with a blank, which the program would drop");
    for (QChar c : linha)
      if (c.unicode() < 0x20) falha("control character in the line");

    if (linha.startsWith('[')) {
      if (!linha.endsWith(']') || linha.size() < 3) falha("section line must be [name]");
      secao = linha.mid(1, linha.size() - 2);
      if (!secoes.insert(secao).second) falha("section [" + secao + "] appears twice");
      chavesDaSecao.clear();
      linhas_.push_back({linha});
      continue;
    }

    if (secao.isEmpty()) falha("entry before the first section");
    const qsizetype igual = linha.indexOf('=');
    if (igual <= 0) falha("expected key=value");
    const QString chave = linha.left(igual);
    for (QChar c : chave)
      if (ehBranco(c)) falha("blank inside key '" + chave + "'");
    // The program's flat lookup joins section number and key; a leading digit would blur it.
    if (chave.front().isDigit()) falha("key '" + chave + "' starts with a digit");
    if (!chavesDaSecao.insert(chave).second) falha("key '" + chave + "' appears twice");

    const QString bruto = linha.mid(igual + 1);
    const QRegularExpressionMatch imagem = padraoImagem().match(bruto);
    if (imagem.hasMatch()) {
      linhas_.push_back({chave + '=', static_cast<int>(imagens_.size())});
      imagens_.push_back({secao, chave, imagem.captured(1),
                          QSize(imagem.captured(2).toInt(), imagem.captured(3).toInt())});
      continue;
    }
    if (bruto.startsWith(QStringLiteral("@imagem")))
      falha("malformed picture entry (expected @imagem:file.svg:WIDTHxHEIGHT@)");
    const QString valor = palavras.aplicar(bruto, false, onde);
    if (valor.isEmpty()) falha("empty value for key '" + chave + "'");
    if (ehBranco(valor.front()) || ehBranco(valor.back()))
      falha("value of '" + chave + "' starts or ends with a blank");
    linhas_.push_back({chave + '=' + valor});
  }
  while (!linhas_.empty() && linhas_.back().texto.isEmpty()) linhas_.pop_back();
  if (linhas_.empty()) throw std::runtime_error(qPrintable(caminho + ": no entries"));
}

QByteArray ModeloIdioma::gerar(const std::vector<PosicaoImagem> &posicoes,
                               const std::vector<std::vector<PosicaoImagem>> &escaladas) const {
  if (posicoes.size() != imagens_.size() ||
      (!escaladas.empty() && escaladas.size() != imagens_.size()))
    throw std::logic_error("one position per picture entry is needed");
  const auto valor = [](const PosicaoImagem &p) {
    return QByteArray::number(p.inicio) + ',' + QByteArray::number(p.tamanho);
  };
  QByteArray saida;
  for (const Linha &linha : linhas_) {
    saida += linha.texto.toUtf8();
    if (linha.imagem < 0) {
      saida += '\n';
      continue;
    }
    const auto i = static_cast<std::size_t>(linha.imagem);
    saida += valor(posicoes[i]) + '\n';
    if (escaladas.empty()) continue;
    if (escaladas[i].size() != std::size(escalasImagem))
      throw std::logic_error("one position per scale is needed");
    for (std::size_t e = 0; e < escaladas[i].size(); ++e)
      saida += imagens_[i].chave.toUtf8() + escalasImagem[e].sufixo + '=' + valor(escaladas[i][e]) +
               '\n';
  }
  return saida;
}

}  // namespace mkidioma
