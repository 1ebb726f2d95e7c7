#include "picture/codecs/PsdComposite.h"

#include "picture/DecodeLimits.h"
#include "picture/codecs/ByteReader.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kGrey = 1, kIndexed = 2, kRgb = 3;

// Unpacks one PackBits row of exactly `width` bytes; false on malformed data.
bool UnpackRow(ByteReader &r, size_t packed, uint8_t *out, uint32_t width) {
    const size_t end = r.Pos() + packed;
    uint32_t x = 0;
    while (x < width && r.Pos() < end) {
        const int n = int8_t(r.U8());
        if (n >= 0) {
            const uint32_t count = uint32_t(n) + 1;
            if (count > width - x || !r.Has(count))
                return false;
            for (uint32_t i = 0; i < count; ++i)
                out[x++] = r.U8();
        } else if (n != -128) {
            const uint32_t count = uint32_t(1 - n);
            if (count > width - x)
                return false;
            const uint8_t v = r.U8();
            for (uint32_t i = 0; i < count; ++i)
                out[x++] = v;
        }
    }
    if (r.Overrun() || x != width || end > r.Size())
        return false;
    r.Seek(end);
    return true;
}

} // namespace

bool DecodePsdComposite(const QByteArray &data, TBitmap32 &bitmap) {
    ByteReader r(data);
    if (r.Be32() != 0x38425053u) // "8BPS"
        return false;
    const uint16_t version = r.Be16();
    r.Skip(6);
    const uint16_t channels = r.Be16();
    const uint32_t height = r.Be32(), width = r.Be32();
    const uint16_t depth = r.Be16(), mode = r.Be16();
    if (r.Overrun() || (version != 1 && version != 2) || depth != 8 || channels < 1 || channels > 56)
        return false;
    const int needed = mode == kRgb ? 3 : 1;
    if ((mode != kGrey && mode != kIndexed && mode != kRgb) || channels < needed)
        return false;
    const uint32_t colourBytes = r.Be32();
    const size_t paletteAt = r.Pos();
    if (mode == kIndexed && colourBytes < 768)
        return false;
    r.Skip(colourBytes);
    r.Skip(r.Be32());                                // image resources
    uint64_t layerBytes = r.Be32(); // layers and masks
    if (version == 2)
        layerBytes = layerBytes << 32 | r.Be32();
    r.Skip(layerBytes);
    const uint16_t compression = r.Be16();
    if (r.Overrun() || compression > 1)
        return false;
    decode_limits::CheckPictureSize(width, height);
    decode_limits::SizeBitmap(bitmap, int(width), int(height));

    // The composite is stored plane by plane; only the colour planes are read.
    std::vector<uint8_t> planes(size_t(width) * height * needed);
    if (compression == 0) {
        if (!r.Has(planes.size()))
            decode_limits::RaiseTooShort();
        std::memcpy(planes.data(), r.Here(), planes.size());
    } else {
        const uint64_t rows = uint64_t(height) * channels;
        const int countBytes = version == 1 ? 2 : 4;
        if (!r.Has(rows * countBytes))
            decode_limits::RaiseTooShort();
        std::vector<uint32_t> counts(rows);
        for (uint64_t i = 0; i < rows; ++i)
            counts[i] = version == 1 ? r.Be16() : r.Be32();
        for (uint64_t i = 0; i < uint64_t(height) * needed; ++i)
            if (!UnpackRow(r, counts[i], planes.data() + i * width, width))
                decode_limits::RaiseTooShort();
    }
    const auto *pal = reinterpret_cast<const uint8_t *>(data.constData()) + paletteAt;
    const size_t plane = size_t(width) * height;
    for (uint32_t y = 0; y < height; ++y) {
        TColor32 *out = bitmap.ScanLine(int(y));
        const size_t row = size_t(y) * width;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t v = planes[row + x];
            if (mode == kGrey)
                out[x] = Color32(v, v, v);
            else if (mode == kIndexed)
                out[x] = Color32(pal[v], pal[256 + v], pal[512 + v]);
            else
                out[x] = Color32(v, planes[plane + row + x], planes[2 * plane + row + x]);
        }
    }
    return true;
}
