#pragma once
// Windows metafile renderer: plays a WMF (with or without the placeable header) or an EMF onto
// a white picture at the metafile's natural pixel size (96 dpi).

#include "picture/Bitmap32.h"

#include <QByteArray>

// Renders the metafile in data into bitmap (alpha 255). Raises OrvantaError on failure.
void DecodeMetafile(const QByteArray &data, TBitmap32 &bitmap);
