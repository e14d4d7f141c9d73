// The JPEG loader of the language pictures: any bytes give a null picture or one the program
// can show, without a crash and without taking memory for a size it would refuse.
#include <QByteArray>
#include <QImage>

#include "config/ImagemJpeg.h"
#include "fuzz/AlvosFuzz.h"

namespace kovrinta::fuzz {

int fuzzJpeg(const uint8_t *dados, size_t tamanho) {
  const QByteArray bytes(reinterpret_cast<const char *>(dados), static_cast<qsizetype>(tamanho));
  const QImage imagem = decodificarJpeg(bytes);
  if (imagem.isNull()) return 0;
  if (imagem.width() > ladoMaximoJpeg || imagem.height() > ladoMaximoJpeg)
    falhar("jpeg", "a picture beyond the size limit was decoded");
  if (imagem.format() != QImage::Format_RGBX8888) falhar("jpeg", "a picture of another format");
  // Every pixel was written by the decoder; reading them lets the sanitizer check the buffer.
  unsigned soma = 0;
  for (int y = 0; y < imagem.height(); ++y) {
    const uchar *linha = imagem.constScanLine(y);
    for (int x = 0; x < imagem.width() * 4; ++x) soma += linha[x];
  }
  return soma == 0xFFFFFFFFu ? 0 : 0;
}

}  // namespace kovrinta::fuzz
