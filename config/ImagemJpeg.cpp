#include "config/ImagemJpeg.h"

#include <turbojpeg.h>

#include <memory>

namespace {

struct LiberaDecodificador {
  void operator()(void *handle) const { tjDestroy(handle); }
};

}  // namespace

QImage decodificarJpeg(const QByteArray &dados) {
  if (dados.isEmpty()) return {};
  std::unique_ptr<void, LiberaDecodificador> tj(tjInitDecompress());
  if (!tj) return {};

  auto *origem = reinterpret_cast<const unsigned char *>(dados.constData());
  const auto tamanho = static_cast<unsigned long>(dados.size());
  int largura = 0, altura = 0, subamostragem = 0, cores = 0;
  if (tjDecompressHeader3(tj.get(), origem, tamanho, &largura, &altura, &subamostragem, &cores) !=
      0)
    return {};
  if (largura <= 0 || altura <= 0 || largura > ladoMaximoJpeg || altura > ladoMaximoJpeg) return {};

  // A failed allocation (memory exhausted) gives a null QImage.
  QImage imagem(largura, altura, QImage::Format_RGBX8888);
  if (imagem.isNull()) return {};
  if (tjDecompress2(tj.get(), origem, tamanho, imagem.bits(), largura,
                    static_cast<int>(imagem.bytesPerLine()), altura, TJPF_RGBX,
                    TJFLAG_STOPONWARNING) != 0)
    return {};
  return imagem;
}
