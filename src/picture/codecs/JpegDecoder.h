#pragma once
// JPEG decoder on libjpeg-turbo: baseline, progressive and arithmetic-coded files, greyscale,
// YCbCr, RGB, CMYK and YCCK (Adobe inverted or not), decoded straight into the bitmap's rows.

#include "picture/Bitmap32.h"
#include "picture/DecodeRequest.h"

#include <QByteArray>

// Raises OrvantaError "JPEG error #<code>" with libjpeg's message code on a broken file, and
// the decode limits' messages for pictures that are too large.
void DecodeJpeg(const QByteArray &data, TBitmap32 &bitmap);

// The same, honouring the request: the picture comes out reduced by DCT scaling (1/2, 1/4 or
// 1/8, the strongest whose size still meets the request's minimum in both directions) and
// mirrored when asked; fullSize receives the size the file declares.
void DecodeJpeg(const QByteArray &data, TBitmap32 &bitmap, const DecodeRequest &request, PictureSize &fullSize);
