// Decoder plug-in for the loader tests. The "picture" file is a line of text:
//   CODE WIDTH HEIGHT FORMAT
// LibLoadImage returns CODE; on 0 it fills the record with a WIDTH x HEIGHT picture of the
// given pixel format (decimal or 0x..), whose pixel (x, y) has the samples x, y, x + y (+ 7).
// Built without the free entry point when TEST_PLUGIN_NO_FREE is defined.

#include "picture/ImageContainer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
char kLoadFilter[] = "Test pictures (*.tst;*.TST;*.tif)|*.tst;*.tiff;*.tif;*.TST";
char kSaveFilter[] = "Test pictures|*.tst";
int gFreeCount = 0;
} // namespace

ORVANTA_PLUGIN_EXPORT int32_t ORVANTA_PLUGIN_LOAD_IMAGE(char *FileName, char *FileType, TImageContainer *Image) {
    (void)FileType;
    FILE *f = std::fopen(FileName, "rb");
    if (!f)
        return 2;
    int code = 3, w = 0, h = 0;
    unsigned format = 0;
    const int n = std::fscanf(f, "%d %d %d %i", &code, &w, &h, &format);
    std::fclose(f);
    if (n != 4)
        return 3;
    if (code != 0)
        return code;
    int bytes = 1;
    if (format == 3 || format == 4)
        bytes = int(format);
    else if (format == 0x21 || format == 0x11)
        bytes = 2;
    else if (format == 0x13 || format == 0x14)
        bytes = int(format & 15) * 2;
    auto *p = static_cast<unsigned char *>(std::calloc(size_t(w) * size_t(h) * size_t(bytes) + 1, 1));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char *px = p + (size_t(y) * w + x) * bytes;
            for (int b = 0; b < bytes; ++b)
                px[b] = (unsigned char)(b == 0 ? x : b == 1 ? y : b == 2 ? x + y : 7);
        }
    Image->Width = w;
    Image->Height = h;
    Image->PixelFormat = int32_t(format);
    Image->Pixels = p;
    Image->Palette = nullptr;
    return 0;
}

ORVANTA_PLUGIN_EXPORT int32_t ORVANTA_PLUGIN_SAVE_IMAGE(char *, char *, TImageContainer *) { return 2; }

#ifndef TEST_PLUGIN_NO_FREE
ORVANTA_PLUGIN_EXPORT int32_t ORVANTA_PLUGIN_FREE_IMAGE(TImageContainer *Image) {
    std::free(Image->Pixels);
    Image->Pixels = nullptr;
    ++gFreeCount;
    return 0;
}
#endif

ORVANTA_PLUGIN_EXPORT char *ORVANTA_PLUGIN_GET_LOAD_FILTER() { return kLoadFilter; }
ORVANTA_PLUGIN_EXPORT char *ORVANTA_PLUGIN_GET_SAVE_FILTER() { return kSaveFilter; }
// Not an entry point of the program's: lets the tests see that the record was given back.
ORVANTA_PLUGIN_EXPORT int TestPluginFreeCount() { return gFreeCount; }
