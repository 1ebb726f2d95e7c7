#pragma once
// Paint Shop Pro image decoder (file versions 5 and later): the composite image, or the merged
// raster layers when the file carries no composite.

#include "picture/Bitmap32.h"

#include <QByteArray>

#include <cstdint>

// Largest canvas or layer the decoder accepts, in pixels.
constexpr int64_t kPspMaxPixels = int64_t(1) << 28;

// Decodes the Paint Shop Pro file in data into bitmap (alpha 255). Raises OrvantaError on failure.
void DecodePsp(const QByteArray &data, TBitmap32 &bitmap);
// The same with a lower size limit (for tools such as the fuzzer).
void DecodePsp(const QByteArray &data, TBitmap32 &bitmap, int64_t maxPixels);
