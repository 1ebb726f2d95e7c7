#include "picture/codecs/BmpRle24.h"

#include "picture/DecodeLimits.h"
#include "picture/codecs/ByteReader.h"

namespace {

constexpr uint32_t kOs2Rle24 = 4;

// A run needs at least 2 bytes for up to 255 pixels.
constexpr int64_t kMaxPixelsPerByte = 128;

} // namespace

bool DecodeBmpRle24(const QByteArray &data, TBitmap32 &bitmap) {
    ByteReader r(data);
    if (r.Le16() != 0x4D42u) // "BM"
        return false;
    r.Skip(8);
    const uint32_t offset = r.Le32();
    const uint32_t infoSize = r.Le32();
    const int32_t width = int32_t(r.Le32()), height = int32_t(r.Le32());
    const uint16_t planes = r.Le16(), bits = r.Le16();
    const uint32_t compression = r.Le32();
    // OS/2 version 2 headers are 16 to 64 bytes long; 40 (and longer) is Windows, where 4 means JPEG.
    const bool os2 = infoSize == 64 || (infoSize >= 16 && infoSize < 40);
    if (r.Overrun() || !os2 || planes != 1 || bits != 24 || compression != kOs2Rle24 || height <= 0)
        return false;
    decode_limits::CheckPictureSize(width, height);
    decode_limits::CheckDataPromise(int64_t(width) * height, data.size(), kMaxPixelsPerByte);
    decode_limits::SizeBitmap(bitmap, width, height);
    bitmap.Clear(Color32(0, 0, 0));
    r.Seek(offset);
    int64_t x = 0, y = height - 1; // rows are stored bottom-up
    auto put = [&](uint8_t b, uint8_t g, uint8_t red) {
        if (x < width && y >= 0)
            bitmap.ScanLine(int(y))[x] = Color32(red, g, b);
        ++x;
    };
    while (!r.Overrun() && y >= 0) {
        const uint8_t count = r.U8(), code = r.U8();
        if (count > 0) {
            const uint8_t g = r.U8(), red = r.U8();
            for (int i = 0; i < count; ++i)
                put(code, g, red);
        } else if (code == 0) {
            x = 0;
            --y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            x += r.U8();
            y -= r.U8();
        } else {
            if (!r.Has(3u * code))
                break;
            for (int i = 0; i < code; ++i) {
                const uint8_t b = r.U8(), g = r.U8(), red = r.U8();
                put(b, g, red);
            }
            if ((3 * code) & 1)
                r.Skip(1);
        }
    }
    if (r.Overrun())
        decode_limits::RaiseTooShort();
    return true;
}
