#pragma once
// PNG decoder on libpng: every colour type and bit depth, interlaced files, palette and
// single-colour transparency (transparent pixels keep their own colour).

#include "picture/Bitmap32.h"

#include <QByteArray>

// Raises OrvantaError "Cannot load image. Invalid or unexpected PNG image format." on a file
// libpng refuses (bad signature, CRC, chunk, data), and the decode limits' messages.
void DecodePng(const QByteArray &data, TBitmap32 &bitmap);
