#pragma once
// Paint Shop Pro image decoder (file versions 5 and later): the composite image, or the merged
// raster layers when the file carries no composite.

#include "picture/Bitmap32.h"

#include <QByteArray>

// Decodes the Paint Shop Pro file in data into bitmap (alpha 255). Raises OrvantaError on failure.
void DecodePsp(const QByteArray &data, TBitmap32 &bitmap);
