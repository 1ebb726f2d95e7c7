#include "picture/codecs/IconReader.h"

#include "platform/Errors.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// Icon file layout (all little-endian):
//   ICONDIR       reserved u16 (0), type u16 (1 icon, 2 cursor), count u16
//   ICONDIRENTRY  width u8, height u8 (0 means 256), colours u8, reserved u8, planes u16,
//                 bit count u16 (hot spot for cursors), bytes u32, offset u32    (16 bytes each)
//   image         a PNG stream, or a BITMAPINFOHEADER, palette, XOR pixels and the 1-bit AND
//                 mask, both bottom-up with rows padded to 4 bytes; the header's height counts
//                 both the XOR and the AND rows.
// The reader trusts only what it can check against the file: the image's own header gives its
// size and depth, and every array is checked to lie inside the entry and the file before use.

namespace {

constexpr int kStandardIconSize = 32;  // the standard icon size of the display
constexpr int kMaxIconSide = 1024;     // largest icon side accepted
constexpr int kMaxEntries = 512;       // largest directory accepted

[[noreturn]] void Fail() {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected ICO image format."));
}

uint16_t U16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t *p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int32_t S32(const uint8_t *p) { return int32_t(U32(p)); }

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// What the image of one directory entry is, read from the image's own header.
struct IconImage {
    const uint8_t *data = nullptr;  // start of the image inside the file
    size_t size = 0;                // bytes of the image that lie inside the file
    bool png = false;
    int width = 0;
    int height = 0;
    int bitCount = 0;  // colour depth: more bits, more colours
};

// Fills img from the entry's bytes; false when the header is not one this reader can decode.
bool ProbeImage(const uint8_t *p, size_t n, IconImage &img) {
    img.data = p;
    img.size = n;
    if (n >= 24 && std::memcmp(p, kPngSignature, 8) == 0) {
        // IHDR comes first: length, "IHDR", width, height (big-endian), bit depth, colour type.
        if (std::memcmp(p + 12, "IHDR", 4) != 0)
            return false;
        auto be = [](const uint8_t *q) {
            return (uint32_t(q[0]) << 24) | (uint32_t(q[1]) << 16) | (uint32_t(q[2]) << 8) | q[3];
        };
        const uint32_t w = be(p + 16), h = be(p + 20);
        if (w == 0 || h == 0 || w > uint32_t(kMaxIconSide) || h > uint32_t(kMaxIconSide))
            return false;
        img.png = true;
        img.width = int(w);
        img.height = int(h);
        img.bitCount = 32;  // refined below when the colour type is known
        if (n >= 26) {
            const int depth = p[24], type = p[25];
            const int channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
            img.bitCount = type == 3 ? depth : depth * channels;
        }
        return true;
    }
    if (n < 40)
        return false;
    const uint32_t headerSize = U32(p);
    if (headerSize < 40 || headerSize > n)
        return false;
    const int32_t w = S32(p + 4), h2 = S32(p + 8);
    const int planes = U16(p + 12), bits = U16(p + 14);
    const uint32_t compression = U32(p + 16);
    if (w <= 0 || w > kMaxIconSide || h2 <= 0 || h2 > 2 * kMaxIconSide || h2 < 2)
        return false;
    if (planes > 1 || compression != 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return false;
    img.width = w;
    img.height = h2 / 2;
    img.bitCount = bits;
    return true;
}

// Size rule: the distance |w - 32| + |h - 32|; the nearest size wins, then the deeper colour,
// then the earlier entry. Every display we run on shows 32-bit colour, so no depth is excluded.
bool Better(const IconImage &a, const IconImage &b) {
    const int da = std::abs(a.width - kStandardIconSize) + std::abs(a.height - kStandardIconSize);
    const int db = std::abs(b.width - kStandardIconSize) + std::abs(b.height - kStandardIconSize);
    if (da != db)
        return da < db;
    return a.bitCount > b.bitCount;
}

void DrawPng(const IconImage &img, TBitmap32 &bitmap) {
    QImage image;
    if (!image.loadFromData(img.data, int(img.size), "PNG") || image.isNull())
        Fail();
    if (image.width() > kMaxIconSide || image.height() > kMaxIconSide)
        Fail();
    image = image.convertToFormat(QImage::Format_ARGB32);
    bitmap.SetSize(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        TColor32 *dst = bitmap.ScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const unsigned a = qAlpha(src[x]);
            dst[x] = Color32(uint8_t(qRed(src[x]) * a / 255), uint8_t(qGreen(src[x]) * a / 255),
                             uint8_t(qBlue(src[x]) * a / 255));
        }
    }
}

void DrawBmp(const IconImage &img, TBitmap32 &bitmap) {
    const uint8_t *p = img.data;
    const size_t n = img.size;
    const size_t headerSize = U32(p);
    const int w = img.width, h = img.height, bits = img.bitCount;
    size_t colours = 0;
    if (bits <= 8) {
        const uint32_t used = U32(p + 32);
        colours = used == 0 || used > (1u << bits) ? (size_t(1) << bits) : used;
    }
    // All sizes below are bounded by kMaxIconSide, so the products fit comfortably in size_t.
    const size_t paletteAt = headerSize;
    const size_t xorAt = paletteAt + colours * 4;
    const size_t xorStride = ((size_t(w) * size_t(bits) + 31) / 32) * 4;
    const size_t andAt = xorAt + xorStride * size_t(h);
    const size_t andStride = ((size_t(w) + 31) / 32) * 4;
    if (andAt > n)
        Fail();
    // Icons whose AND mask was cut off are drawn without one (every pixel opaque).
    const bool hasMask = andAt + andStride * size_t(h) <= n;

    TColor32 palette[256];
    for (size_t i = 0; i < colours; ++i) {
        const uint8_t *q = p + paletteAt + i * 4;
        palette[i] = Color32(q[2], q[1], q[0]);
    }
    for (size_t i = colours; i < 256; ++i)
        palette[i] = Color32(0, 0, 0);

    bool useAlpha = false;
    if (bits == 32) {
        for (int y = 0; y < h && !useAlpha; ++y) {
            const uint8_t *row = p + xorAt + xorStride * size_t(y);
            for (int x = 0; x < w; ++x)
                if (row[x * 4 + 3] != 0) {
                    useAlpha = true;
                    break;
                }
        }
    }

    bitmap.SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        const int srcRow = h - 1 - y;
        const uint8_t *row = p + xorAt + xorStride * size_t(srcRow);
        const uint8_t *mask = hasMask ? p + andAt + andStride * size_t(srcRow) : nullptr;
        TColor32 *dst = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            TColor32 c;
            switch (bits) {
            case 1: c = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: c = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: c = palette[row[x]]; break;
            case 24: c = Color32(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); break;
            default: {
                const uint8_t *q = row + x * 4;
                if (useAlpha) {
                    const unsigned a = q[3];
                    c = Color32(uint8_t(q[2] * a / 255), uint8_t(q[1] * a / 255),
                                uint8_t(q[0] * a / 255));
                } else {
                    c = Color32(q[2], q[1], q[0]);
                }
            }
            }
            // A set mask bit is a transparent pixel, which comes out black over the black ground.
            if (mask && !useAlpha && ((mask[x >> 3] >> (7 - (x & 7))) & 1))
                c = Color32(0, 0, 0);
            dst[x] = c;
        }
    }
}

} // namespace

void ReadIcon(const QByteArray &data, TBitmap32 &bitmap) {
    const uint8_t *file = reinterpret_cast<const uint8_t *>(data.constData());
    const size_t fileSize = size_t(data.size());
    if (fileSize < 6 || U16(file) != 0)
        Fail();
    // Cursors share the layout (their planes and bit count fields hold the hot spot), so the
    // reader takes them too; the decode front end decides which files reach it.
    const int type = U16(file + 2);
    if (type != 1 && type != 2)
        Fail();
    const int count = U16(file + 4);
    if (count == 0 || count > kMaxEntries || 6 + size_t(count) * 16 > fileSize)
        Fail();

    IconImage best;
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const uint8_t *e = file + 6 + size_t(i) * 16;
        // The entry's byte count is not trusted (writers get it wrong); every array is checked
        // against the end of the file instead.
        const size_t offset = U32(e + 12);
        if (offset >= fileSize || offset < 6 + size_t(count) * 16)
            continue;
        IconImage img;
        if (!ProbeImage(file + offset, fileSize - offset, img))
            continue;
        if (!found || Better(img, best)) {
            best = img;
            found = true;
        }
    }
    if (!found)
        Fail();
    if (best.png)
        DrawPng(best, bitmap);
    else
        DrawBmp(best, bitmap);
    bitmap.SetAlpha(255);
}
