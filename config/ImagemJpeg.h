// Decodes a JPEG picture held in memory.
#pragma once

#include <QByteArray>
#include <QImage>

// Decodes dados as one JPEG picture; a null QImage when the bytes are not a whole, sound
// JPEG picture (a decoder warning such as a premature end counts as a failure).
QImage decodificarJpeg(const QByteArray &dados);
