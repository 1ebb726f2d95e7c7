#pragma once
// Reader for the composite image of 8-bit grey, indexed and RGB Photoshop files (raw or
// PackBits), for the files ImageMagick 6 refuses (indexed-colour files among them).

#include "picture/Bitmap32.h"

#include <QByteArray>

// False when the file is no Photoshop file of these modes; raises the decode limits' messages
// for oversized or truncated images.
bool DecodePsdComposite(const QByteArray &data, TBitmap32 &bitmap);
