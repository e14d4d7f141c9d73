#include "RenderizadorImagem.h"

#include <QPainter>
#include <QSvgRenderer>

#include <turbojpeg.h>

#include <memory>
#include <stdexcept>

namespace mkidioma {

QImage renderizarSvg(const QByteArray &svg, const QString &origem, double escala) {
  QSvgRenderer renderizador(svg);
  if (!renderizador.isValid())
    throw std::runtime_error(qPrintable(origem + ": not a valid SVG document"));
  const QSize tamanho = renderizador.defaultSize();
  if (tamanho.isEmpty()) throw std::runtime_error(qPrintable(origem + ": SVG declares no size"));

  QImage imagem(QSize(qRound(tamanho.width() * escala), qRound(tamanho.height() * escala)),
                QImage::Format_ARGB32_Premultiplied);
  imagem.fill(Qt::black);
  QPainter pintor(&imagem);
  pintor.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                        QPainter::SmoothPixmapTransform);
  renderizador.render(&pintor, QRectF(QPointF(0, 0), QSizeF(imagem.size())));
  pintor.end();
  return imagem.convertToFormat(QImage::Format_RGB888);
}

QByteArray codificarJpeg(const QImage &imagem, int qualidade) {
  const QImage rgb = imagem.convertToFormat(QImage::Format_RGB888);
  std::unique_ptr<void, int (*)(tjhandle)> codificador(tjInitCompress(), tjDestroy);
  if (!codificador) throw std::runtime_error("TurboJPEG: cannot create an encoder");

  unsigned char *saida = nullptr;
  unsigned long tamanho = 0;
  const int rc = tjCompress2(codificador.get(), rgb.constBits(), rgb.width(),
                             static_cast<int>(rgb.bytesPerLine()), rgb.height(), TJPF_RGB, &saida,
                             &tamanho, TJSAMP_444, qualidade, TJFLAG_ACCURATEDCT);
  std::unique_ptr<unsigned char, void (*)(unsigned char *)> dono(saida, tjFree);
  if (rc != 0)
    throw std::runtime_error(std::string("TurboJPEG: ") + tjGetErrorStr2(codificador.get()));
  return QByteArray(reinterpret_cast<const char *>(saida), static_cast<qsizetype>(tamanho));
}

}  // namespace mkidioma
