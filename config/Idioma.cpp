#include "config/Idioma.h"

#include <QDir>
#include <QFile>

#include "config/ImagemJpeg.h"
#include "config/TextoCodificado.h"
#include "widgets/FiguraArte.h"

// The language text file (".idm"), as this reader takes it:
// - UTF-8 when all its bytes are valid UTF-8, else Windows-1252; CR, LF or CR LF end a line.
// - Each line is stripped of characters of code 32 or less at both ends; empty lines are
//   skipped. There are no comments, no quoting, no escapes except "#".
// - A line beginning with "[" opens a section named by the text between its first and its
//   last character. Section names and keys match with exact letter case.
// - Any other line is key=value split at the first "=": the key is taken as it stands
//   (so "key =v" has the key "key "), the value is the rest of the line, and every "#"
//   in it becomes CR LF. A line without "=" carries nothing and is skipped.
// - Entries above the first section line belong to section 0, which no name reaches.
// - A picture's value is "offset,length" in decimal: the bytes of one JPEG file at that
//   offset of the picture file (".dat", a plain concatenation of JPEG files).
// The discovery reads the section "EspecificacaoIdioma" with INI rules instead (see
// GerenciadorIdiomas): keys "nomeIdioma" and "codAplicacao".
//
// Flattening: the n-th section header (counted from 1) adds "name=CSn"; an entry of
// section n adds "CSn" + key + "=" + value. A lookup maps the section name to its code,
// then finds code + key, so the first section of a name and the first of equal keys win.

namespace {

QString textoCorrompido() {
  return QStringLiteral(
             "The file of the language you have selected is corrupted. Try to reinstall "
             "your software.\nIf the problem persist, please contact us: ") +
         enderecoSuporte() + u'.';
}

// A whole decimal number of 0 or more, blanks around it allowed.
bool lerNaoNegativo(const QString &texto, qint64 &valor) {
  bool ok = false;
  valor = aparar(texto).toLongLong(&ok, 10);
  return ok && valor >= 0;
}

}  // namespace

Idioma::Idioma(const QString &pasta, const QString &arquivoTexto, const QString &arquivoImagens,
               Mensageiro aviso_)
    : caminhoImagens(QDir(pasta).filePath(arquivoImagens)),
      aviso(aviso_ ? std::move(aviso_) : Mensageiro(mostrarMensagem)) {
  const QString caminhoTexto = QDir(pasta).filePath(arquivoTexto);
  QFile arquivo(caminhoTexto);
  if (!arquivo.open(QIODevice::ReadOnly))
    throw EFOpenError(
        qPrintable(QStringLiteral("Cannot open file \"%1\". %2")
                       .arg(QDir::toNativeSeparators(caminhoTexto), arquivo.errorString())));
  const QByteArray bytes = arquivo.readAll();
  if (arquivo.error() != QFileDevice::NoError)
    throw EFOpenError(
        qPrintable(QStringLiteral("Cannot read file \"%1\". %2")
                       .arg(QDir::toNativeSeparators(caminhoTexto), arquivo.errorString())));

  int secao = 0;
  for (const QString &bruta : separarLinhas(decodificarTexto(bytes))) {
    const QString linha = aparar(bruta);
    if (linha.isEmpty()) continue;
    if (linha.front() == u'[') {
      ++secao;
      acrescentar(linha.mid(1, linha.size() - 2) + QStringLiteral("=CS") + QString::number(secao));
      continue;
    }
    const qsizetype igual = linha.indexOf(u'=');
    if (igual < 0) continue;
    QString valor = linha.mid(igual + 1);
    valor.replace(u'#', QStringLiteral("\r\n"));
    acrescentar(QStringLiteral("CS") + QString::number(secao) + linha.left(igual) + u'=' + valor);
  }
}

// A flattened line splits at its first "=", as a name=value list does.
void Idioma::acrescentar(const QString &linha) {
  const qsizetype igual = linha.indexOf(u'=');
  entradas.emplace_back(linha.left(igual), linha.mid(igual + 1));
}

QString Idioma::valorDe(const QString &nome) const {
  for (const auto &[n, valor] : entradas)
    if (n == nome) return valor;
  return {};
}

QString Idioma::getTexto(const QString &secao, const QString &chave) const {
  return valorDe(valorDe(secao) + chave);
}

// The picture's bytes, or empty when the value or the file does not yield them.
QByteArray Idioma::lerBytesImagem(const QString &posicao) const {
  const qsizetype virgula = posicao.indexOf(u',');
  if (virgula < 0) return {};
  qint64 inicio = 0, tamanho = 0;
  if (!lerNaoNegativo(posicao.left(virgula), inicio) ||
      !lerNaoNegativo(posicao.mid(virgula + 1), tamanho) || tamanho == 0)
    return {};
  QFile arquivo(caminhoImagens);
  if (!arquivo.open(QIODevice::ReadOnly)) return {};
  // Checked before reading, so a damaged length never asks for more memory than the file.
  if (inicio > arquivo.size() || tamanho > arquivo.size() - inicio) return {};
  if (!arquivo.seek(inicio)) return {};
  QByteArray dados = arquivo.read(tamanho);
  if (dados.size() != tamanho) return {};
  return dados;
}

QPixmap Idioma::getFigura(const QString &secao, const QString &chave) {
  const double escala = escalaFiguraArteDaTela();
  if (escala > 1) {
    const QString fina = chave + sufixoFiguraArte(escala);
    if (!getTexto(secao, fina).isEmpty()) {
      QPixmap figura = QPixmap::fromImage(getImagem(secao, fina));
      figura.setDevicePixelRatio(escala);
      return figura;
    }
  }
  return QPixmap::fromImage(getImagem(secao, chave));
}

QImage Idioma::getImagem(const QString &secao, const QString &chave) {
  const QString posicao = getTexto(secao, chave);
  if (posicao.isEmpty()) return {};
  QImage imagem = decodificarJpeg(lerBytesImagem(posicao));
  if (imagem.isNull() && !avisoCorrompidoMostrado) {
    avisoCorrompidoMostrado = true;
    aviso(textoCorrompido(), tituloMensagens());
  }
  return imagem;
}
