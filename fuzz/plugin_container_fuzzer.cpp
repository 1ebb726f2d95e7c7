// Conversion of a plug-in's picture record (every pixel format code, size and palette choice)
// and the parsing of a plug-in's load filter text.
#include "picture/Bitmap32.h"
#include "picture/ImageDLLLoader.h"
#include "platform/Errors.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 10)
        return 0;
    int16_t w, h;
    std::memcpy(&w, data, 2);
    std::memcpy(&h, data + 2, 2);
    int32_t format;
    std::memcpy(&format, data + 4, 4);
    const bool withPalette = data[8] & 1;
    const uint8_t filterBytes = data[9];
    data += 10;
    size -= 10;

    const size_t filterSize = std::min<size_t>(filterBytes, size);
    const QStringList extensions =
        ParseLoadFilterExtensions(QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(filterSize)));
    for (const QString &ext : extensions)
        if (ext.isEmpty() || extensions.count(ext) != 1)
            std::abort();
    data += filterSize;
    size -= filterSize;

    // A plug-in's buffer holds Width x Height pixels of up to 8 bytes; give one that large,
    // filled from the input, for every size the conversion could accept.
    const int64_t pixels = int64_t(w) * h;
    if (w > 0 && h > 0 && pixels > 65536)
        return 0;
    std::vector<uint8_t> buffer(size_t(w > 0 && h > 0 ? pixels * 8 : 1));
    for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = size ? data[i % size] : uint8_t(i);
    uint8_t palette[768];
    for (int i = 0; i < 768; ++i)
        palette[i] = size ? data[(i * 7) % size] : uint8_t(i);
    TImageContainer image{w, h, 0, format, buffer.data(), withPalette ? palette : nullptr, nullptr};
    TBitmap32 bitmap;
    try {
        ConvertImageContainer(image, bitmap);
        if (bitmap.Width() != w || bitmap.Height() != h)
            std::abort();
    } catch (const OrvantaError &) {
    }
    return 0;
}
