#include "picture/codecs/MetafileDib.h"

#include <bit>
#include <climits>
#include <cstring>
#include <vector>

namespace {

uint16_t U16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t *p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct DibHeader {
    size_t headerSize = 0;
    int64_t width = 0, height = 0;  // height < 0: rows run top-down
    int bitCount = 0;
    uint32_t compression = 0;
    uint32_t masks[4] = {};         // red, green, blue, alpha for bit fields
    size_t colours = 0;             // colour table entries
    size_t colourSize = 4;          // bytes per entry
    size_t infoSize = 0;            // header + masks + colour table
};

enum { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5 };

bool ParseHeader(const uint8_t *p, size_t n, DibHeader &h) {
    if (n < 12)
        return false;
    h.headerSize = U32(p);
    if (h.headerSize == 12) {
        h.width = U16(p + 4);
        h.height = U16(p + 6);
        h.bitCount = U16(p + 10);
        h.colourSize = 3;
    } else if (h.headerSize >= 40 && h.headerSize <= n) {
        h.width = int32_t(U32(p + 4));
        h.height = int32_t(U32(p + 8));
        h.bitCount = U16(p + 14);
        h.compression = U32(p + 16);
        const uint32_t used = U32(p + 32);
        if (h.bitCount <= 8 && used > (1u << h.bitCount))
            return false;
        if (used > 65536)
            return false;
        h.colours = used;
    } else {
        return false;
    }
    if (h.headerSize > n)
        return false;
    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    case 0: if (h.compression != kJpeg && h.compression != kPng) return false; break;
    default: return false;
    }
    if (h.bitCount <= 8 && h.bitCount > 0 && h.colours == 0)
        h.colours = size_t(1) << h.bitCount;
    size_t at = h.headerSize;
    if (h.compression == kBitFields || h.compression == 6 /* alpha bit fields */) {
        if (h.bitCount != 16 && h.bitCount != 32)
            return false;
        if (h.headerSize == 40) {
            const size_t count = h.compression == 6 ? 4 : 3;
            if (n < at + count * 4)
                return false;
            for (size_t i = 0; i < count; ++i)
                h.masks[i] = U32(p + at + i * 4);
            at += count * 4;
        } else if (h.headerSize >= 52) {
            for (int i = 0; i < 3; ++i)
                h.masks[i] = U32(p + 40 + i * 4);
            if (h.headerSize >= 56)
                h.masks[3] = U32(p + 52);
        } else {
            return false;
        }
        h.compression = kBitFields;
    } else if (h.compression == kRgb && h.bitCount == 16) {
        h.masks[0] = 0x7C00; h.masks[1] = 0x03E0; h.masks[2] = 0x001F;
    } else if (h.compression == kRle8 && h.bitCount != 8) {
        return false;
    } else if (h.compression == kRle4 && h.bitCount != 4) {
        return false;
    } else if (h.compression > kPng) {
        return false;
    }
    h.infoSize = at + h.colours * h.colourSize;
    return true;
}

bool SizeOk(int64_t w, int64_t h) {
    return w > 0 && h > 0 && w <= kMetafileMaxDibSide && h <= kMetafileMaxDibSide &&
           w * h <= kMetafileMaxDibPixels;
}

// One channel of a bit-field pixel, scaled to 0..255.
uint8_t Field(uint32_t px, uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t max = mask >> shift;
    return uint8_t(((px & mask) >> shift) * 255u / max);
}

// Plays RLE8/RLE4 data into index rows (bottom-up row order as stored); false on overrun.
bool DecodeRle(const uint8_t *src, size_t n, bool four, int w, int h, std::vector<uint8_t> &idx) {
    idx.assign(size_t(w) * size_t(h), 0);
    size_t i = 0;
    int x = 0, y = 0;
    auto put = [&](uint8_t v) {
        if (x < w && y < h)
            idx[size_t(y) * size_t(w) + size_t(x)] = v;
        ++x;
    };
    while (i + 1 < n && y < h) {
        const uint8_t count = src[i], value = src[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < w; ++k)
                put(four ? uint8_t((k & 1) ? (value & 15) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 1 >= n)
                return false;
            x += src[i];
            y += src[i + 1];
            i += 2;
        } else {
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            if (i + bytes > n)
                return false;
            for (int k = 0; k < value && x < w; ++k)
                put(four ? uint8_t((k & 1) ? (src[i + k / 2] & 15) : (src[i + k / 2] >> 4)) : src[i + k]);
            i += (bytes + 1) & ~size_t(1);
        }
    }
    return true;
}

} // namespace

size_t MetafileDibInfoSize(const uint8_t *info, size_t size) {
    DibHeader h;
    if (!ParseHeader(info, size, h) || h.infoSize > size)
        return 0;
    return h.infoSize;
}

bool MetafileDibToImage(const uint8_t *info, size_t infoSize, const uint8_t *bits, size_t bitsSize,
                        bool keepAlpha, QImage &out) {
    DibHeader h;
    if (!ParseHeader(info, infoSize, h) || h.infoSize > infoSize)
        return false;
    const bool topDown = h.height < 0;
    const int64_t w = h.width, hh = topDown ? -h.height : h.height;
    if (!SizeOk(w, hh))
        return false;

    if (h.compression == kJpeg || h.compression == kPng) {
        QImage img;
        if (bitsSize > size_t(INT32_MAX) || !img.loadFromData(bits, int(bitsSize), h.compression == kPng ? "PNG" : "JPEG"))
            return false;
        if (!SizeOk(img.width(), img.height()))
            return false;
        out = img.convertToFormat(keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        return !out.isNull();
    }

    QRgb palette[256];
    const size_t colours = h.bitCount <= 8 ? h.colours : 0;
    for (size_t i = 0; i < 256; ++i)
        palette[i] = qRgb(0, 0, 0);
    for (size_t i = 0; i < colours; ++i) {
        const uint8_t *q = info + h.headerSize + (h.compression == kBitFields && h.headerSize == 40 ? 12 : 0) +
                           i * h.colourSize;
        palette[i] = qRgb(q[2], q[1], q[0]);
    }

    const int width = int(w), height = int(hh);
    std::vector<uint8_t> rle;
    const size_t stride = ((size_t(width) * size_t(h.bitCount) + 31) / 32) * 4;
    if (h.compression == kRle8 || h.compression == kRle4) {
        if (topDown || !DecodeRle(bits, bitsSize, h.compression == kRle4, width, height, rle))
            return false;
    } else if (stride * size_t(height) > bitsSize) {
        return false;
    }

    const bool alpha = keepAlpha && h.bitCount == 32;
    out = QImage(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return false;
    for (int y = 0; y < height; ++y) {
        const int srcRow = topDown ? y : height - 1 - y;
        QRgb *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        if (!rle.empty()) {
            const uint8_t *row = rle.data() + size_t(srcRow) * size_t(width);
            for (int x = 0; x < width; ++x)
                dst[x] = palette[row[x]];
            continue;
        }
        const uint8_t *row = bits + stride * size_t(srcRow);
        for (int x = 0; x < width; ++x) {
            switch (h.bitCount) {
            case 1: dst[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: dst[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: dst[x] = palette[row[x]]; break;
            case 16: {
                const uint32_t px = U16(row + x * 2);
                dst[x] = qRgb(Field(px, h.masks[0]), Field(px, h.masks[1]), Field(px, h.masks[2]));
                break;
            }
            case 24: dst[x] = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); break;
            default: {
                const uint32_t px = U32(row + x * 4);
                if (h.compression == kBitFields)
                    dst[x] = qRgba(Field(px, h.masks[0]), Field(px, h.masks[1]), Field(px, h.masks[2]),
                                   h.masks[3] ? Field(px, h.masks[3]) : 255);
                else
                    dst[x] = alpha ? px : (px | 0xFF000000u);
            }
            }
        }
    }
    return true;
}
