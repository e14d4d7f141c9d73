// Draws an SVG picture at its own size and encodes it as a JPEG for a language's picture file.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace mkidioma {

// Renders the SVG document svg at the size its root element declares times escala (rounded
// to whole pixels), over opaque black; needs a QGuiApplication; throws std::runtime_error
// naming origem when the document is not a valid SVG or declares no size.
QImage renderizarSvg(const QByteArray &svg, const QString &origem, double escala = 1);

// Encodes imagem as a baseline JPEG (4:4:4, so small lettering stays sharp) at the given
// quality (1-100) with TurboJPEG; throws std::runtime_error when the encoder fails.
QByteArray codificarJpeg(const QImage &imagem, int qualidade);

}  // namespace mkidioma
