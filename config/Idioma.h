// One loaded language: its texts by section and key, and the pictures they point to.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <stdexcept>
#include <utility>
#include <vector>

#include "config/Mensageiro.h"

// The text file of a language could not be read; what() names the file.
class EFOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Idioma {
 public:
  // Reads pasta/arquivoTexto whole; pictures come from pasta/arquivoImagens when asked
  // for. aviso shows the corrupted-file message (the message box when empty). Throws
  // EFOpenError when the text file cannot be read. User-interface thread.
  Idioma(const QString &pasta, const QString &arquivoTexto, const QString &arquivoImagens,
         Mensageiro aviso = {});

  // The text of chave in secao, both with exact letter case; empty when either is
  // missing. A "#" of the file reads as a line break (CR LF).
  QString getTexto(const QString &secao, const QString &chave) const;

  // The JPEG picture whose "offset,length" stands under secao/chave, decoded; the caller
  // keeps the returned copy. Null when the key is missing (silently) or when the value or
  // the picture file is unusable, which shows the corrupted-file message the first time
  // for this language. Reads the picture file on every call.
  QImage getImagem(const QString &secao, const QString &chave);
  // The picture of secao/chave for the screens' pixel ratio: the language file also holds
  // each picture drawn at 1.5 and 2 times its size ("<chave>@1.5x", "<chave>@2x"), taken for
  // a zoomed window so that it shows sharp; the picture itself when the file has none.
  QPixmap getFigura(const QString &secao, const QString &chave);

  const QString &getCaminhoImagens() const { return caminhoImagens; }

 private:
  QString caminhoImagens;
  bool avisoCorrompidoMostrado = false;
  Mensageiro aviso;
  // The flattened file, one (name, value) per line, in file order; see the constructor.
  std::vector<std::pair<QString, QString>> entradas;

  void acrescentar(const QString &linha);
  QString valorDe(const QString &nome) const;
  QByteArray lerBytesImagem(const QString &posicao) const;
};
