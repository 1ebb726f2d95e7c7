#include "picture/codecs/PspDecoder.h"

#include "platform/Errors.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

// Paint Shop Pro files (all little-endian):
//   header   32-byte signature "Paint Shop Pro Image File\n\x1a" padded with zeros, major and
//            minor version (u16 each); major 3 is Paint Shop Pro 5, 4 is 6, 5 is 7 and so on.
//   blocks   "~BK\0", id u16, [major 3: initial data length u32], total data length u32, data.
// The blocks this decoder reads:
//   0  general image attributes: canvas size, compression, bit depth, greyscale flag
//   2  colour palette (BGRx entries)
//   3  layer bank, holding one block 4 per layer, bottom layer first
//   4  layer: layer information (name, type, rectangles, opacity, blend mode, flags), a bitmap
//      information chunk, then channel blocks (5)
//   5  channel: compressed length, uncompressed length, bitmap type, channel type, then data
//   16 composite image bank: composite attributes blocks (17), then per composite image either
//      a composite image block (9, laid out like a layer's channels) or a JPEG block (18)
// From major 4 on, each block's data starts with its own chunk length, so the decoder skips
// fields it does not know. The full composite is used when present; otherwise the visible raster
// layers are merged with normal blending and their opacity onto white. JPEG thumbnails are
// ignored.

namespace {

constexpr int kMaxSide = 1 << 20;
constexpr int kMaxLayers = 4096;
constexpr int kMaxChannels = 64;  // per layer

const char kSignature[] = "Paint Shop Pro Image File\n\x1a";

[[noreturn]] void Fail() {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected PSP image format."));
}

// A bounds-checked view of a byte range of the file.
struct Reader {
    const uint8_t *data;
    size_t size;
    size_t pos = 0;

    bool Has(size_t n) const { return pos <= size && n <= size - pos; }
    void Need(size_t n) const { if (!Has(n)) Fail(); }
    uint8_t U8() { Need(1); return data[pos++]; }
    uint16_t U16() { Need(2); const uint16_t v = uint16_t(data[pos] | (data[pos + 1] << 8)); pos += 2; return v; }
    uint32_t U32() {
        Need(4);
        const uint32_t v = uint32_t(data[pos]) | (uint32_t(data[pos + 1]) << 8) |
                           (uint32_t(data[pos + 2]) << 16) | (uint32_t(data[pos + 3]) << 24);
        pos += 4;
        return v;
    }
    int32_t S32() { return int32_t(U32()); }
    void Skip(size_t n) { Need(n); pos += n; }
    Reader Sub(size_t n) { Need(n); Reader r{data + pos, n}; pos += n; return r; }
};

struct Block {
    int id = -1;
    Reader body{nullptr, 0};  // the block's data
    size_t initialLength = 0; // major 3 only: length of the block's fixed part
};

// Reads the next block of r; false at the end or when no block marker follows.
bool NextBlock(Reader &r, int major, Block &b) {
    if (!r.Has(10) || std::memcmp(r.data + r.pos, "~BK\0", 4) != 0)
        return false;
    r.pos += 4;
    b.id = r.U16();
    b.initialLength = major == 3 ? r.U32() : 0;
    const uint32_t total = r.U32();
    if (!r.Has(total))
        Fail();
    b.body = r.Sub(total);
    return true;
}

enum Compression { kNone = 0, kRle = 1, kLz77 = 2, kJpeg = 3 };

struct ImageInfo {
    int width = 0, height = 0;
    int compression = kNone;
    int bitDepth = 0;
    bool greyscale = false;
};

// Rows are padded to 4 bytes in uncompressed channels; compressed channels usually are not.
// Both layouts are recognised by the amount of data the channel holds.
struct Plane {
    std::vector<uint8_t> bytes;
    size_t stride = 0;
};

size_t RowBytes(int width, int bitDepth) {
    const int bits = bitDepth == 1 ? 1 : bitDepth == 4 ? 4 : 8;
    return (size_t(width) * size_t(bits) + 7) / 8;
}

// Decodes one channel's data into plane; rowBytes x height bytes are needed.
void DecodeChannel(Reader data, int compression, size_t rowBytes, int height, Plane &plane) {
    const size_t padded = (rowBytes + 3) & ~size_t(3);
    const size_t need = rowBytes * size_t(height);
    const size_t want = padded * size_t(height);
    // What a channel can promise from its size: RLE repeats a byte at most 127 times per two
    // bytes, zlib at most 1032 times per byte. Refuse before allocating.
    const size_t n = data.size;
    const size_t maxOut = compression == kNone ? n : compression == kRle ? n / 2 * 127 : n * 1032 + 64;
    if (maxOut < need)
        Fail();
    plane.bytes.assign(want, 0);
    size_t produced = 0;
    if (compression == kNone) {
        produced = std::min(n, want);
        std::memcpy(plane.bytes.data(), data.data, produced);
    } else if (compression == kRle) {
        size_t i = 0;
        while (produced < want && i < n) {
            unsigned run = data.data[i++];
            if (run > 128) {
                run -= 128;
                if (i >= n)
                    break;
                const uint8_t v = data.data[i++];
                run = unsigned(std::min<size_t>(run, want - produced));
                std::memset(plane.bytes.data() + produced, v, run);
            } else {
                run = unsigned(std::min<size_t>({run, n - i, want - produced}));
                std::memcpy(plane.bytes.data() + produced, data.data + i, run);
                i += run;
            }
            produced += run;
        }
    } else if (compression == kLz77) {
        z_stream z{};
        if (inflateInit(&z) != Z_OK)
            Fail();
        z.next_in = const_cast<Bytef *>(data.data);
        z.avail_in = uInt(std::min<size_t>(n, 0x7fffffff));
        z.next_out = plane.bytes.data();
        z.avail_out = uInt(want);
        const int rc = inflate(&z, Z_FINISH);
        produced = want - z.avail_out;
        inflateEnd(&z);
        if (rc != Z_STREAM_END && rc != Z_OK && rc != Z_BUF_ERROR)
            Fail();
    } else {
        Fail();
    }
    if (produced == want) {
        plane.stride = padded;
    } else if (produced >= need) {
        plane.stride = rowBytes;
    } else {
        Fail();
    }
}

// A raster (a layer or the composite) with its channels decoded.
struct Raster {
    int left = 0, top = 0, width = 0, height = 0;
    int opacity = 255;
    Plane colour[4];  // index 0: palette index or grey; 1..3: red, green, blue
    Plane alpha;      // transparency mask
    bool has[4] = {};
    bool hasAlpha = false;
};

// Reads the channel blocks that follow inside r into raster (skipping other sub-blocks, and the
// bitmap information chunk, which is not a block).
void ReadChannels(Reader &r, int major, const ImageInfo &info, int compression, Raster &raster) {
    const size_t rowBytes = RowBytes(raster.width, info.bitDepth);
    int channels = 0;
    while (r.Has(4)) {
        Block b;
        if (!NextBlock(r, major, b)) {
            // Not a block: a chunk with its own length (the bitmap information chunk).
            if (major == 3)
                break;
            const uint32_t len = r.U32();
            if (len < 4 || !r.Has(len - 4))
                Fail();
            r.Skip(len - 4);
            continue;
        }
        if (b.id != 5)
            continue;
        if (++channels > kMaxChannels)
            Fail();
        Reader c = b.body;
        size_t dataAt;
        if (major == 3) {
            dataAt = b.initialLength;
        } else {
            dataAt = c.U32();
        }
        const uint32_t compressedLength = c.U32();
        c.U32();  // uncompressed length: writers disagree on what it counts
        const int bitmapType = c.U16();
        const int channelType = c.U16();
        if (dataAt > c.size || compressedLength > c.size - dataAt)
            Fail();
        if (raster.width == 0 || raster.height == 0)
            continue;
        Reader data{c.data + dataAt, compressedLength};
        Plane *plane = nullptr;
        if (bitmapType == 0 && channelType <= 3) {
            plane = &raster.colour[channelType];
            raster.has[channelType] = true;
        } else if (bitmapType == 1) {
            plane = &raster.alpha;
            raster.hasAlpha = true;
        } else {
            continue;  // masks, selections, thumbnails
        }
        DecodeChannel(data, compression, bitmapType == 0 ? rowBytes : size_t(raster.width),
                      raster.height, *plane);
    }
}

int SampleAt(const Plane &p, int bitDepth, int x, int y) {
    const uint8_t *row = p.bytes.data() + p.stride * size_t(y);
    if (bitDepth == 1)
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (bitDepth == 4)
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    return row[x];
}

// Blends raster onto the canvas with normal blending.
void Blend(const Raster &raster, const ImageInfo &info, const TColor32 *palette, TBitmap32 &canvas) {
    const bool rgb = raster.has[1] && raster.has[2] && raster.has[3];
    if (!rgb && !raster.has[0])
        return;
    const int x0 = std::max(raster.left, 0), y0 = std::max(raster.top, 0);
    const int x1 = int(std::min<int64_t>(int64_t(raster.left) + raster.width, canvas.Width()));
    const int y1 = int(std::min<int64_t>(int64_t(raster.top) + raster.height, canvas.Height()));
    for (int y = y0; y < y1; ++y) {
        const int sy = y - raster.top;
        TColor32 *dst = canvas.ScanLine(y);
        for (int x = x0; x < x1; ++x) {
            const int sx = x - raster.left;
            unsigned r, g, b;
            if (rgb) {
                r = SampleAt(raster.colour[1], 8, sx, sy);
                g = SampleAt(raster.colour[2], 8, sx, sy);
                b = SampleAt(raster.colour[3], 8, sx, sy);
            } else {
                const int v = SampleAt(raster.colour[0], info.bitDepth, sx, sy);
                if (info.greyscale || !palette) {
                    r = g = b = unsigned(info.bitDepth == 1 ? v * 255 : info.bitDepth == 4 ? v * 17 : v);
                } else {
                    r = RedOf(palette[v]);
                    g = GreenOf(palette[v]);
                    b = BlueOf(palette[v]);
                }
            }
            unsigned a = unsigned(raster.opacity);
            if (raster.hasAlpha)
                a = a * raster.alpha.bytes[raster.alpha.stride * size_t(sy) + size_t(sx)] / 255;
            const TColor32 d = dst[x];
            dst[x] = Color32(uint8_t((r * a + RedOf(d) * (255 - a)) / 255),
                             uint8_t((g * a + GreenOf(d) * (255 - a)) / 255),
                             uint8_t((b * a + BlueOf(d) * (255 - a)) / 255));
        }
    }
}

void CheckSize(int64_t w, int64_t h, int64_t maxPixels) {
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h > maxPixels)
        Fail();
}

ImageInfo ReadImageAttributes(Reader r, int major, int64_t maxPixels) {
    if (major >= 4)
        r.U32();  // chunk length
    ImageInfo info;
    const int32_t w = r.S32(), h = r.S32();
    CheckSize(w, h, maxPixels);
    info.width = w;
    info.height = h;
    r.Skip(8 + 1);  // resolution, resolution unit
    info.compression = r.U16();
    info.bitDepth = r.U16();
    r.U16();  // plane count
    r.U32();  // colour count
    info.greyscale = r.U8() != 0;
    if (info.compression > kLz77)
        Fail();
    if (info.bitDepth != 1 && info.bitDepth != 4 && info.bitDepth != 8 && info.bitDepth != 24)
        Fail();
    return info;
}

void ReadPalette(Reader r, int major, TColor32 *palette, bool &hasPalette) {
    if (major >= 4)
        r.U32();
    const uint32_t count = r.U32();
    if (count > 256 || !r.Has(size_t(count) * 4))
        Fail();
    for (uint32_t i = 0; i < 256; ++i)
        palette[i] = Color32(0, 0, 0);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t b = r.U8(), g = r.U8(), rd = r.U8();
        r.U8();
        palette[i] = Color32(rd, g, b);
    }
    hasPalette = true;
}

// Reads one layer block; returns false when the layer is not a visible raster layer.
bool ReadLayer(Reader r, int major, const Block &block, const ImageInfo &info, int64_t maxPixels,
               Raster &raster) {
    int32_t image[4], saved[4];
    int type, flags;
    if (major == 3) {
        r.Skip(256);  // name
        type = r.U8();
        for (int32_t &v : image) v = r.S32();
        for (int32_t &v : saved) v = r.S32();
        raster.opacity = r.U8();
        r.U8();  // blend mode
        flags = r.U8() ? 1 : 0;
        r.pos = std::max(r.pos, std::min(block.initialLength, r.size));
    } else {
        const size_t start = r.pos;
        const uint32_t chunk = r.U32();
        const uint16_t nameLength = r.U16();
        r.Skip(nameLength);
        type = r.U8();
        for (int32_t &v : image) v = r.S32();
        for (int32_t &v : saved) v = r.S32();
        raster.opacity = r.U8();
        r.U8();  // blend mode: layers of other modes are blended as normal ones
        flags = r.U8();
        if (chunk < r.pos - start || chunk > r.size - start)
            Fail();
        r.pos = start + chunk;
    }
    // Raster layer types: major 4 has 0 normal and 1 floating selection; from major 5 on
    // 1 raster, 2 floating raster selection (0 undefined, 3 vector, 4 adjustment, 5 group...).
    const bool raster_ = major <= 4 ? (type == 0 || type == 1) : (type == 1 || type == 2);
    if (!raster_ || !(flags & 1))
        return false;
    const int64_t w = int64_t(saved[2]) - saved[0], h = int64_t(saved[3]) - saved[1];
    if (w < 0 || h < 0)
        Fail();
    if (w == 0 || h == 0)
        return false;
    CheckSize(w, h, maxPixels);
    const int64_t left = int64_t(image[0]) + saved[0], top = int64_t(image[1]) + saved[1];
    if (left < -kMaxSide || left > kMaxSide || top < -kMaxSide || top > kMaxSide)
        Fail();
    raster.left = int(left);
    raster.top = int(top);
    raster.width = int(w);
    raster.height = int(h);
    ReadChannels(r, major, info, info.compression, raster);
    return true;
}

// Reads a composite image bank; true when it held the full composite, now blended on canvas.
bool ReadCompositeBank(Reader r, int major, const ImageInfo &info, const TColor32 *palette,
                       bool hasPalette, TBitmap32 &canvas) {
    if (major >= 4) {
        const uint32_t chunk = r.U32();
        if (chunk < 4 || chunk > r.size)
            Fail();
        r.pos = chunk;
    }
    struct Attributes { int width, height, bitDepth, compression, type; };
    std::vector<Attributes> attributes;
    size_t image = 0;
    Block b;
    while (NextBlock(r, major, b)) {
        Reader c = b.body;
        if (b.id == 17) {
            if (attributes.size() >= 64)
                Fail();
            if (major >= 4)
                c.U32();
            Attributes a;
            a.width = c.S32();
            a.height = c.S32();
            a.bitDepth = c.U16();
            a.compression = c.U16();
            c.U16();  // planes
            c.U32();  // colours
            a.type = c.U16();
            attributes.push_back(a);
        } else if (b.id == 9 || b.id == 18) {
            const size_t index = image++;
            if (b.id == 18 || index >= attributes.size())
                continue;
            const Attributes &a = attributes[index];
            // Type 0 is the full composite; type 1 is a thumbnail.
            if (a.type != 0 || a.width != info.width || a.height != info.height ||
                a.bitDepth != info.bitDepth || a.compression > kLz77)
                continue;
            if (major >= 4) {
                const uint32_t chunk = c.U32();
                if (chunk < 4 || chunk > c.size)
                    Fail();
                c.pos = chunk;
            }
            // A composite may carry its own palette block before the channels.
            TColor32 own[256];
            bool hasOwn = false;
            Reader scan = c;
            Block p;
            while (NextBlock(scan, major, p))
                if (p.id == 2)
                    ReadPalette(p.body, major, own, hasOwn);
            Raster raster;
            raster.width = info.width;
            raster.height = info.height;
            ReadChannels(c, major, info, a.compression, raster);
            if (!(raster.has[0] || (raster.has[1] && raster.has[2] && raster.has[3])))
                continue;
            raster.hasAlpha = false;  // the composite is shown opaque
            Blend(raster, info, hasOwn ? own : hasPalette ? palette : nullptr, canvas);
            return true;
        }
    }
    return false;
}

void Decode(const QByteArray &data, TBitmap32 &bitmap, int64_t maxPixels) {
    Reader file{reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size())};
    if (file.size < 36 || std::memcmp(file.data, kSignature, sizeof kSignature - 1) != 0)
        Fail();
    for (size_t i = sizeof kSignature - 1; i < 32; ++i)
        if (file.data[i] != 0)
            Fail();
    file.pos = 32;
    const int major = file.U16();
    file.U16();
    if (major < 3 || major > 64)
        Fail();

    // Pass 1: attributes and palette, which may come in any order before the image data.
    ImageInfo info;
    bool haveInfo = false, hasPalette = false;
    TColor32 palette[256];
    Block b;
    Reader r = file;
    while (NextBlock(r, major, b)) {
        if (b.id == 0 && !haveInfo) {
            info = ReadImageAttributes(b.body, major, maxPixels);
            haveInfo = true;
        } else if (b.id == 2) {
            ReadPalette(b.body, major, palette, hasPalette);
        }
    }
    if (!haveInfo)
        Fail();
    if (info.bitDepth <= 8 && !info.greyscale && !hasPalette)
        Fail();

    bitmap.SetSize(info.width, info.height);
    bitmap.Clear(Color32(255, 255, 255));

    // Pass 2: the full composite when there is one, else the layers.
    r = file;
    while (NextBlock(r, major, b))
        if (b.id == 16 && ReadCompositeBank(b.body, major, info, palette, hasPalette, bitmap)) {
            bitmap.SetAlpha(255);
            return;
        }
    int layers = 0;
    r = file;
    while (NextBlock(r, major, b)) {
        if (b.id != 3)
            continue;
        Reader bank = b.body;
        Block l;
        while (NextBlock(bank, major, l)) {
            if (l.id != 4)
                continue;
            if (++layers > kMaxLayers)
                Fail();
            Raster raster;
            if (ReadLayer(l.body, major, l, info, maxPixels, raster))
                Blend(raster, info, hasPalette ? palette : nullptr, bitmap);
        }
    }
    // A file whose layers are all hidden shows the white canvas; one without layers is broken.
    if (layers == 0)
        Fail();
    bitmap.SetAlpha(255);
}

} // namespace

void DecodePsp(const QByteArray &data, TBitmap32 &bitmap) { DecodePsp(data, bitmap, kPspMaxPixels); }

void DecodePsp(const QByteArray &data, TBitmap32 &bitmap, int64_t maxPixels) {
    try {
        Decode(data, bitmap, maxPixels);
    } catch (const std::bad_alloc &) {
        Fail();
    }
}
