#pragma once
// Device-independent bitmaps inside metafile records: BITMAPCOREHEADER, BITMAPINFOHEADER and its
// V4/V5 extensions with 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed, RLE4, RLE8 or
// bit fields. Every size is checked against the bytes the record holds before anything is
// allocated.

#include <QImage>

#include <cstddef>
#include <cstdint>

// Largest bitmap a metafile record may carry, in pixels and on a side.
constexpr int64_t kMetafileMaxDibPixels = int64_t(1) << 26;
constexpr int kMetafileMaxDibSide = 1 << 15;

// Decodes the bitmap whose header and colour table are info[0, infoSize) and whose pixel rows
// are bits[0, bitsSize) into out (Format_RGB32, or Format_ARGB32 when keepAlpha is set and the
// bitmap has 32 bits per pixel). Returns false when the bitmap is malformed or unsupported.
bool MetafileDibToImage(const uint8_t *info, size_t infoSize, const uint8_t *bits, size_t bitsSize,
                        bool keepAlpha, QImage &out);

// The size of the header plus colour table of a packed bitmap (header, colours, then pixels in
// one block), or 0 when the header is malformed.
size_t MetafileDibInfoSize(const uint8_t *info, size_t size);
