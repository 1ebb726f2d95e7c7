#include "picture/codecs/TiffDecoder.h"

#include "picture/DecodeLimits.h"
#include "platform/Errors.h"

#include <cstring>
#include <tiffio.h>

namespace {

constexpr tmsize_t kMaxSingleAllocation = tmsize_t(256) * 1024 * 1024;

struct MemoryFile {
    const char *data;
    toff_t size;
    toff_t pos;
};

tmsize_t ReadProc(thandle_t h, void *out, tmsize_t n) {
    auto *f = static_cast<MemoryFile *>(h);
    if (n <= 0 || f->pos >= f->size)
        return 0;
    const toff_t count = std::min<toff_t>(toff_t(n), f->size - f->pos);
    std::memcpy(out, f->data + f->pos, size_t(count));
    f->pos += count;
    return tmsize_t(count);
}
tmsize_t WriteProc(thandle_t, void *, tmsize_t) { return 0; }
toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto *f = static_cast<MemoryFile *>(h);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = f->size;
    // Offsets are unsigned; a position beyond the data simply reads nothing.
    f->pos = base + off;
    return f->pos;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<MemoryFile *>(h)->size; }
int MapProc(thandle_t, void **, toff_t *) { return 0; }
void UnmapProc(thandle_t, void *, toff_t) {}

int QuietHandler(TIFF *, void *, const char *, const char *, va_list) { return 1; }

struct TiffCloser {
    TIFF *tif = nullptr;
    TIFFOpenOptions *options = nullptr;
    ~TiffCloser() {
        if (tif)
            TIFFClose(tif);
        if (options)
            TIFFOpenOptionsFree(options);
    }
};

[[noreturn]] void Invalid() { decode_limits::RaiseInvalidFormat("TIFF"); }

// libtiff's raster holds R, G, B, A bytes per pixel; the bitmap wants B, G, R, A.
void SwapRedBlue(TBitmap32 &bitmap) {
    TColor32 *p = bitmap.Bits();
    const size_t n = size_t(bitmap.Width()) * size_t(bitmap.Height());
    for (size_t i = 0; i < n; ++i) {
        const TColor32 c = p[i];
        p[i] = (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
    }
}

} // namespace

void DecodeTiff(const char *data, size_t size, TBitmap32 &bitmap) {
    MemoryFile file{data, toff_t(size), 0};
    TiffCloser closer;
    closer.options = TIFFOpenOptionsAlloc();
    if (!closer.options)
        throw OrvantaError(QStringLiteral("Cannot load image. Not enough memory."));
    TIFFOpenOptionsSetMaxSingleMemAlloc(closer.options, kMaxSingleAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(closer.options, QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(closer.options, QuietHandler, nullptr);
    closer.tif = TIFFClientOpenExt("picture", "rm", &file, ReadProc, WriteProc, SeekProc, CloseProc,
                                   SizeProc, MapProc, UnmapProc, closer.options);
    TIFF *tif = closer.tif;
    if (!tif)
        Invalid();
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
        Invalid();
    decode_limits::CheckPictureSize(width, height);
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message))
        Invalid();
    decode_limits::SizeBitmap(bitmap, int(width), int(height));
    if (!TIFFReadRGBAImageOriented(tif, width, height, reinterpret_cast<uint32_t *>(bitmap.Bits()),
                                   ORIENTATION_TOPLEFT, 1))
        Invalid();
    SwapRedBlue(bitmap);
}

void DecodeTiff(const QByteArray &data, TBitmap32 &bitmap) {
    DecodeTiff(data.constData(), size_t(data.size()), bitmap);
}
