#include "picture/codecs/TiffDecoder.h"

#include "picture/DecodeLimits.h"
#include "platform/Errors.h"

#include <cstring>
#include <vector>
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
// Counts libtiff's errors: some (a bad fax code word) do not stop the RGBA reader by themselves.
int CountingHandler(TIFF *, void *user, const char *, const char *, va_list) {
    ++*static_cast<int *>(user);
    return 1;
}

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


// Sample i of a row of samples of `bits` bits each (16-bit samples are already in host order,
// other depths are a bit stream, most significant bit first), scaled to 8 bits.
uint8_t SampleAt(const uint8_t *row, uint64_t i, int bits) {
    if (bits == 8)
        return row[i];
    if (bits == 16) {
        uint16_t v;
        std::memcpy(&v, row + 2 * i, 2);
        return uint8_t(v >> 8);
    }
    uint64_t bit = i * uint64_t(bits);
    uint32_t v = 0;
    for (int b = 0; b < bits; ++b, ++bit)
        v = (v << 1) | ((row[bit >> 3] >> (7 - (bit & 7))) & 1u);
    const uint32_t max = (1u << bits) - 1u;
    return uint8_t((v * 255u + max / 2) / max);
}

// Strip-based grey, RGB and CMYK pictures of depths the RGBA reader does not take (10 or 12
// bits, 16-bit separated planes, ...). The channels are gathered into the pixel bytes first and
// turned into colours at the end.
void ReadBySamples(TIFF *tif, uint32_t width, uint32_t height, int &errors, TBitmap32 &bitmap) {
    uint16_t bits = 0, spp = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    uint16_t inkset = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkset);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        Invalid();
    int channels = 0;
    if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE)
        channels = 1;
    else if (photometric == PHOTOMETRIC_RGB)
        channels = 3;
    else if (photometric == PHOTOMETRIC_SEPARATED && inkset == INKSET_CMYK)
        channels = 4;
    if (channels == 0 || spp < channels || bits < 1 || bits > 16 || format != SAMPLEFORMAT_UINT || TIFFIsTiled(tif))
        Invalid();
    const tmsize_t lineBytes = TIFFScanlineSize(tif);
    const uint64_t samplesPerRow = planar == PLANARCONFIG_CONTIG ? uint64_t(width) * spp : width;
    if (lineBytes <= 0 || uint64_t(lineBytes) * 8 < samplesPerRow * bits)
        Invalid();
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    const int passes = planar == PLANARCONFIG_CONTIG ? 1 : channels;
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tif, line.data(), y, uint16_t(pass)) < 0 || errors > 0)
                Invalid();
            auto *out = reinterpret_cast<uint8_t *>(bitmap.ScanLine(int(y)));
            for (uint32_t x = 0; x < width; ++x) {
                if (planar == PLANARCONFIG_CONTIG)
                    for (int c = 0; c < channels; ++c)
                        out[4 * x + c] = SampleAt(line.data(), uint64_t(x) * spp + c, bits);
                else
                    out[4 * x + pass] = SampleAt(line.data(), x, bits);
            }
        }
    }
    TColor32 *p = bitmap.Bits();
    const size_t n = size_t(width) * height;
    for (size_t i = 0; i < n; ++i) {
        const auto *b = reinterpret_cast<const uint8_t *>(p + i);
        switch (channels) {
        case 1: {
            const uint8_t g = photometric == PHOTOMETRIC_MINISWHITE ? uint8_t(255 - b[0]) : b[0];
            p[i] = Color32(g, g, g);
            break;
        }
        case 3:
            p[i] = Color32(b[0], b[1], b[2]);
            break;
        default: {
            const int k = 255 - b[3];
            p[i] = Color32(uint8_t((255 - b[0]) * k / 255), uint8_t((255 - b[1]) * k / 255),
                           uint8_t((255 - b[2]) * k / 255));
            break;
        }
        }
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
    int errors = 0;
    TIFFOpenOptionsSetErrorHandlerExtR(closer.options, CountingHandler, &errors);
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
    decode_limits::SizeBitmap(bitmap, int(width), int(height));
    if (!TIFFRGBAImageOK(tif, message)) {
        ReadBySamples(tif, width, height, errors, bitmap);
        return;
    }
    if (!TIFFReadRGBAImageOriented(tif, width, height, reinterpret_cast<uint32_t *>(bitmap.Bits()),
                                   ORIENTATION_TOPLEFT, 0)) {
        // The RGBA reader turns down some layouts it calls fine beforehand (16-bit separated
        // planes); the sample reader takes those.
        errors = 0;
        ReadBySamples(tif, width, height, errors, bitmap);
        return;
    }
    if (errors > 0)
        Invalid();
    SwapRedBlue(bitmap);
}

void DecodeTiff(const QByteArray &data, TBitmap32 &bitmap) {
    DecodeTiff(data.constData(), size_t(data.size()), bitmap);
}
