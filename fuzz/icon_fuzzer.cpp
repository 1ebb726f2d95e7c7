// libFuzzer target: the icon reader (BMP and PNG entries).
#include "picture/codecs/IconReader.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TBitmap32 bitmap;
    try {
        ReadIcon(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), bitmap);
    } catch (const OrvantaError &) {
    }
    return 0;
}
