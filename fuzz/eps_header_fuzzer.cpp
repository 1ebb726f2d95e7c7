// Binary EPS header parsing and the TIFF preview it points to.
#include "picture/Bitmap32.h"
#include "picture/codecs/EpsDecoder.h"
#include "platform/Errors.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto preview = FindEpsTiffPreview(bytes)) {
        if (uint64_t(preview->offset) + preview->length > size || preview->offset < 30 || preview->length == 0)
            std::abort(); // the preview must lie inside the file, after the header
    }
    TBitmap32 bitmap;
    try {
        DecodeEps(bytes, bitmap);
    } catch (const OrvantaError &) {
    }
    return 0;
}
