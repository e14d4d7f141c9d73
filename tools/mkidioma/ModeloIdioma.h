// A language template: the text of a language file whose picture entries name SVG drawings
// instead of giving offsets into the picture file.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace mkidioma {

class Substituicoes;

// One picture entry of the template: where it stands and which drawing it shows.
struct ReferenciaImagem {
  QString secao;
  QString chave;
  QString arquivoSvg;  // relative to the folder of drawings
  QSize tamanho;       // pixels; the drawing must declare exactly this size
};

// Where a picture landed in the picture file, in bytes.
struct PosicaoImagem {
  std::int64_t inicio = 0;
  std::int64_t tamanho = 0;
};

// The scales every picture is also drawn at, for zoomed windows, and the suffix of the key
// that gives each: "imgOpen@2x=offset,length" follows "imgOpen=offset,length".
struct EscalaImagem {
  double fator;
  const char *sufixo;
};
inline constexpr EscalaImagem escalasImagem[] = {{1.5, "@1.5x"}, {2, "@2x"}};

// Reads a whole file as lines of UTF-8 (a CR, an LF or both end a line); throws
// std::runtime_error when the file cannot be read or its bytes are not valid UTF-8.
QStringList lerLinhasUtf8(const QString &caminho);

class ModeloIdioma {
 public:
  // Reads and checks the template at caminho, filling its {{name}} marks from palavras;
  // throws std::runtime_error naming the file and line of the first fault.
  ModeloIdioma(const QString &caminho, Substituicoes &palavras);

  // The picture entries, in the order in which they appear.
  const std::vector<ReferenciaImagem> &imagens() const { return imagens_; }

  // The language file's bytes (UTF-8, LF line ends): the template's lines with picture
  // entry i given "offset,length" from posicoes[i]; needs one position per picture entry.
  // With escaladas (one list per picture entry, one position per entry of escalasImagem),
  // each picture entry is followed by the entries of its scaled drawings.
  QByteArray gerar(const std::vector<PosicaoImagem> &posicoes,
                   const std::vector<std::vector<PosicaoImagem>> &escaladas = {}) const;

 private:
  struct Linha {
    QString texto;    // the whole line, or the "key=" part of a picture entry
    int imagem = -1;  // index into imagens_ for a picture entry
  };
  std::vector<Linha> linhas_;
  std::vector<ReferenciaImagem> imagens_;
};

}  // namespace mkidioma
