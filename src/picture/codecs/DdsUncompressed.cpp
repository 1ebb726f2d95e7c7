#include "picture/codecs/DdsUncompressed.h"

#include "picture/DecodeLimits.h"
#include "picture/codecs/ByteReader.h"

#include <bit>

namespace {

constexpr uint32_t kAlphaPixels = 0x1, kFourCC = 0x4, kPaletteIndexed8 = 0x20, kRgb = 0x40,
                   kLuminance = 0x20000;

struct Mask {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Mask(uint32_t m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint8_t Of(uint32_t v) const { return max ? uint8_t(((v & mask) >> shift) * 255u / max) : 0; }
};

} // namespace

bool DecodeUncompressedDds(const QByteArray &data, TBitmap32 &bitmap) {
    ByteReader r(data);
    if (r.Le32() != 0x20534444u || r.Le32() != 124u) // "DDS ", header size
        return false;
    r.Skip(4);
    const uint32_t height = r.Le32(), width = r.Le32();
    r.Seek(80);
    const uint32_t flags = r.Le32(), fourCC = r.Le32(), bits = r.Le32();
    const uint32_t rm = r.Le32(), gm = r.Le32(), bm = r.Le32(), am = r.Le32();
    if (r.Overrun())
        return false;
    uint32_t bytes = 0, red = rm, green = gm, blue = bm;
    bool palette = false;
    size_t offset = 128;
    if ((flags & kFourCC) && fourCC == 0x30315844u) { // "DX10"
        r.Seek(128);
        const uint32_t format = r.Le32();
        offset = 148;
        bytes = 4;
        if (format == 28 || format == 29) { // R8G8B8A8 (UNORM, UNORM_SRGB)
            red = 0xFFu; green = 0xFF00u; blue = 0xFF0000u;
        } else if (format == 87 || format == 88 || format == 91 || format == 93) { // B8G8R8A8/X8
            red = 0xFF0000u; green = 0xFF00u; blue = 0xFFu;
        } else {
            return false;
        }
    } else if (flags & kFourCC) {
        return false; // compressed: ImageMagick's part
    } else if (flags & kPaletteIndexed8) {
        palette = true;
        bytes = 1;
        offset = 128 + 1024;
    } else if (flags & (kRgb | kLuminance)) {
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return false;
        bytes = bits / 8;
        if (flags & kLuminance)
            green = blue = red;
    } else {
        return false;
    }
    (void)am;
    (void)kAlphaPixels;
    decode_limits::CheckPictureSize(width, height);
    const uint64_t need = uint64_t(width) * height * bytes;
    if (uint64_t(data.size()) < offset || uint64_t(data.size()) - offset < need)
        decode_limits::RaiseTooShort();
    decode_limits::SizeBitmap(bitmap, int(width), int(height));
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData());
    const Mask mr(red), mg(green), mb(blue);
    for (uint32_t y = 0; y < height; ++y) {
        TColor32 *out = bitmap.ScanLine(int(y));
        const uint8_t *in = p + offset + size_t(y) * width * bytes;
        for (uint32_t x = 0; x < width; ++x, in += bytes) {
            if (palette) {
                const uint8_t *e = p + 128 + 4 * size_t(in[0]);
                out[x] = Color32(e[0], e[1], e[2]);
                continue;
            }
            uint32_t v = 0;
            for (uint32_t b = 0; b < bytes; ++b)
                v |= uint32_t(in[b]) << (8 * b);
            out[x] = Color32(mr.Of(v), mg.Of(v), mb.Of(v));
        }
    }
    return true;
}
