#pragma once
// Enhanced metafile (EMF) records played onto a MetafileCanvas. EMF+ records inside comments
// are skipped; dual files carry the same picture as plain EMF records, which are played.

#include "picture/codecs/MetafileCanvas.h"

#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <cstddef>
#include <cstdint>

struct EmfInfo {
    int width = 0;               // natural size in pixels (96 dpi)
    int height = 0;
    QTransform deviceToOutput;   // reference-device pixels -> output pixels
    QPointF devicePixelsPerMm;   // of the reference device
    int handles = 0;             // object table size
};

// True when data starts with an EMF header record.
bool EmfLooksLike(const uint8_t *data, size_t size);
// Reads the header; raises OrvantaError when it is malformed.
EmfInfo EmfProbe(const uint8_t *data, size_t size);
// Plays the records onto canvas.
void EmfPlay(const uint8_t *data, size_t size, const EmfInfo &info, MetafileCanvas &canvas);
