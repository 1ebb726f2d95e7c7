#pragma once
// JPEG decoder on libjpeg-turbo: baseline, progressive and arithmetic-coded files, greyscale,
// YCbCr, RGB, CMYK and YCCK (Adobe inverted or not), decoded straight into the bitmap's rows.

#include "picture/Bitmap32.h"

#include <QByteArray>

// Raises OrvantaError "JPEG error #<code>" with libjpeg's message code on a broken file, and
// the decode limits' messages for pictures that are too large.
void DecodeJpeg(const QByteArray &data, TBitmap32 &bitmap);
