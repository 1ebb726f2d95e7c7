#pragma once
// Windows metafile renderer: plays a WMF (with or without the placeable header) or an EMF onto
// a white picture at the metafile's natural pixel size (96 dpi).

#include "picture/Bitmap32.h"

#include <QByteArray>

#include <cstdint>

// Largest picture the renderer makes; bigger metafiles are refused.
constexpr int64_t kMetafileMaxPixels = int64_t(1) << 28;

// Renders the metafile in data into bitmap (alpha 255). Raises OrvantaError on failure.
void DecodeMetafile(const QByteArray &data, TBitmap32 &bitmap);
// The same with a lower size limit (for tools such as the fuzzer).
void DecodeMetafile(const QByteArray &data, TBitmap32 &bitmap, int64_t maxPixels);
