#pragma once
// Windows metafile (WMF) records, with or without the 22-byte placeable header, played onto a
// MetafileCanvas.

#include "picture/codecs/MetafileCanvas.h"

#include <QRectF>

#include <cstddef>
#include <cstdint>

struct WmfInfo {
    bool placeable = false;
    QRectF frame;          // the logical rectangle the picture shows
    int width = 0;         // natural size in pixels (96 dpi)
    int height = 0;
    size_t recordsAt = 0;  // first record after the headers
    int objects = 0;       // object table size
};

// True when data starts like a WMF (placeable or plain header).
bool WmfLooksLike(const uint8_t *data, size_t size);
// Reads the headers and the natural size; raises OrvantaError when the file is malformed.
WmfInfo WmfProbe(const uint8_t *data, size_t size);
// Plays the records onto canvas, whose output picture is info.width x info.height.
void WmfPlay(const uint8_t *data, size_t size, const WmfInfo &info, MetafileCanvas &canvas);
