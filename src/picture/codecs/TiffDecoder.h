#pragma once
// TIFF decoder on libtiff: the first page of a TIFF or BigTIFF file in every compression libtiff
// reads (LZW, Deflate, PackBits, JPEG old and new, CCITT fax, LZMA, ...), strips or tiles, contiguous
// or planar, 1 to 16 bits per sample, grey, palette, RGB, CMYK, YCbCr and CIE Lab.

#include "picture/Bitmap32.h"

#include <QByteArray>

// Raises OrvantaError "Cannot load image. Invalid or unexpected TIFF image format." on a file
// libtiff cannot read, and the decode limits' messages.
void DecodeTiff(const QByteArray &data, TBitmap32 &bitmap);
// The same for a part of a larger buffer (the TIFF preview of an EPS file); the bytes must stay
// valid during the call.
void DecodeTiff(const char *data, size_t size, TBitmap32 &bitmap);
