// libFuzzer target: the Paint Shop Pro decoder. Pictures are capped at 2^22 pixels so that each
// run stays fast; the full-size limit is exercised by the unit tests.
#include "picture/codecs/PspDecoder.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TBitmap32 bitmap;
    try {
        DecodePsp(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), bitmap, int64_t(1) << 22);
    } catch (const OrvantaError &) {
    }
    return 0;
}
