// Decodes a JPEG picture held in memory.
#pragma once

#include <QByteArray>
#include <QImage>

// The widest and the tallest picture the loader accepts, in pixels. The program's windows
// have fixed sizes and show their pictures one to one; the largest is 793 x 527. Twice that,
// rounded up to a power of two, leaves room for bigger artwork while a damaged or hostile
// header can ask for at most 2048 x 2048 x 4 bytes (16 MiB), never the 16 GB a header of
// 64000 x 64000 would.
constexpr int ladoMaximoJpeg = 2048;

// Decodes dados as one JPEG picture; a null QImage when the bytes are not a whole, sound
// JPEG picture (a decoder warning such as a premature end counts as a failure) or when its
// header declares a side longer than ladoMaximoJpeg, which is refused before any pixel
// memory is taken.
QImage decodificarJpeg(const QByteArray &dados);
