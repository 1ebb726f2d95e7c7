#include "picture/codecs/EpsDecoder.h"

#include "picture/DecodeLimits.h"
#include "picture/codecs/TiffDecoder.h"

namespace {

constexpr int kHeaderBytes = 30;

uint32_t ReadLe32(const QByteArray &data, int at) {
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData()) + at;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

std::optional<EpsTiffPreview> FindEpsTiffPreview(const QByteArray &data) {
    if (data.size() < kHeaderBytes)
        return std::nullopt;
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData());
    if (p[0] != 0xC5 || p[1] != 0xD0 || p[2] != 0xD3 || p[3] != 0xC6)
        return std::nullopt;
    // Header: magic, PostScript offset and length, metafile offset and length, TIFF offset and
    // length, checksum. Only the TIFF section matters here; the others may be wrong without harm.
    const uint32_t offset = ReadLe32(data, 20);
    const uint32_t length = ReadLe32(data, 24);
    const uint64_t end = uint64_t(offset) + length;
    if (offset == 0 || length == 0 || offset < uint32_t(kHeaderBytes) || end > uint64_t(data.size()))
        return std::nullopt;
    return EpsTiffPreview{offset, length};
}

void DecodeEps(const QByteArray &data, TBitmap32 &bitmap) {
    const std::optional<EpsTiffPreview> preview = FindEpsTiffPreview(data);
    if (!preview)
        decode_limits::RaiseInvalidFormat("EPS");
    DecodeTiff(data.constData() + preview->offset, preview->length, bitmap);
}
