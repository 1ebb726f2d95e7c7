#pragma once
// The record the program hands to a decoder plug-in, and the plug-in's entry points. Shared by
// the program and the plug-ins (plain C layout; pointers are 64-bit, fields keep their order).
//
// PixelFormat: bits 0 to 3 are the number of colour planes. 3 = three 8-bit planes, 4 = four
// 8-bit planes, 0x21 = one plane of 2 bytes per pixel (5-6-5 red, green, blue in a little-endian
// word), 0x10 + n = n planes of 16-bit samples; any other one-plane value = one 8-bit plane with
// Palette (256 R, G, B triplets) or, when Palette is null, a grey ramp. Multi-plane pixels are
// stored blue, green, red(, fourth), Windows bitmap order; rows are Width x bytes per pixel long,
// top row first, without padding.

#include <stdint.h>

struct TImageContainer {
    int32_t Width;
    int32_t Height;
    int32_t Reserved0;   // not read on loading
    int32_t PixelFormat;
    void *Pixels;
    void *Palette;
    void *Reserved1;     // not read
};

#ifdef __cplusplus
extern "C" {
#endif
// LibLoadImage(file name, writable 261-byte buffer holding the upper-case file type, record):
// 0 on success, 2 cannot open, 3 bad bitmap data, 4 unsupported pixel format, 5 cannot close.
typedef int32_t (*TLibLoadImage)(char *FileName, char *FileType, struct TImageContainer *Image);
typedef int32_t (*TLibSaveImage)(char *FileName, char *FileType, struct TImageContainer *Image);
typedef int32_t (*TLibFreeImage)(struct TImageContainer *Image);
typedef char *(*TLibGetFilter)(void);
#ifdef __cplusplus
}
#endif

// The exported names the program looks up.
#define ORVANTA_LIB_LOAD_IMAGE_NAME "?LibLoadImage@@YGHPAD0PAUTImageContainer@@@Z"
#define ORVANTA_LIB_SAVE_IMAGE_NAME "?LibSaveImage@@YGHPAD0PAUTImageContainer@@@Z"
#define ORVANTA_LIB_FREE_IMAGE_NAME "?LibFreeImage@@YGHPAUTImageContainer@@@Z"
#define ORVANTA_LIB_GET_LOAD_FILTER_NAME "?LibGetLoadFilter@@YGPADXZ"
#define ORVANTA_LIB_GET_SAVE_FILTER_NAME "?LibGetSaveFilter@@YGPADXZ"

// A plug-in defines its entry points under these stand-in names (same length, '?' as 'X', '@' as
// '_'); the build (plugins/decorated-exports) renames them to the names above after linking.
#define ORVANTA_PLUGIN_LOAD_IMAGE XLibLoadImage__YGHPAD0PAUTImageContainer___Z
#define ORVANTA_PLUGIN_SAVE_IMAGE XLibSaveImage__YGHPAD0PAUTImageContainer___Z
#define ORVANTA_PLUGIN_FREE_IMAGE XLibFreeImage__YGHPAUTImageContainer___Z
#define ORVANTA_PLUGIN_GET_LOAD_FILTER XLibGetLoadFilter__YGPADXZ
#define ORVANTA_PLUGIN_GET_SAVE_FILTER XLibGetSaveFilter__YGPADXZ
#define ORVANTA_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
