#pragma once
// Reader for the uncompressed DirectDraw surfaces that ImageMagick 6 does not read: bit-mask
// RGB and luminance layouts of any mask (X1R5G5B5, ...), 8-bit palette-indexed surfaces and the
// DX10 header with 8-bit RGBA/BGRA formats. Only the main surface (the first mipmap) is read.

#include "picture/Bitmap32.h"

#include <QByteArray>

// False when the file is no DDS file of these layouts (the caller then reports its own
// message); raises the decode limits' messages for oversized or truncated surfaces.
bool DecodeUncompressedDds(const QByteArray &data, TBitmap32 &bitmap);
