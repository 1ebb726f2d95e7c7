#pragma once
// Reader for OS/2 version 2 bitmaps with 24-bit run-length compression, which ImageMagick 6 does
// not read.

#include "picture/Bitmap32.h"

#include <QByteArray>

// False when the file is no such bitmap; raises the decode limits' messages for oversized
// pictures and OrvantaError for broken run data.
bool DecodeBmpRle24(const QByteArray &data, TBitmap32 &bitmap);
