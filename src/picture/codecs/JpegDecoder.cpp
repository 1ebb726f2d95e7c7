#include "picture/codecs/JpegDecoder.h"

#include "picture/DecodeLimits.h"
#include "platform/Errors.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace {

// A Huffman-coded JPEG needs at least a couple of bits per 8 x 8 block of each component, so no
// real file holds more than a few hundred pixels per byte; 1024 leaves a wide margin.
constexpr int64_t kMaxHuffmanPixelsPerByte = 1024;
// Pixels that libjpeg may buffer for multi-scan files: bounded by the picture limit as well.
constexpr long kMaxLibjpegMemory = 1536L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    int code;
};

void OnError(j_common_ptr cinfo) {
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    err->code = err->pub.msg_code;
    longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr, int) {} // warnings (corrupt data, early end) are not shown

enum class Failure { None, Library, Size, Memory, Promise };

// Converts one row of CMYK samples (in place, 4 bytes per pixel) to B, G, R, 255.
void CmykRowToBgra(uint8_t *row, int width, bool inverted) {
    for (int x = 0; x < width; ++x) {
        uint8_t *p = row + 4 * x;
        int c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        // Inverted (Adobe) samples: 255 means no ink, so the colour is sample x key / 255.
        const uint8_t r = uint8_t((c * k + 127) / 255);
        const uint8_t g = uint8_t((m * k + 127) / 255);
        const uint8_t b = uint8_t((y * k + 127) / 255);
        p[0] = b; p[1] = g; p[2] = r; p[3] = 255;
    }
}

// The strongest DCT scaling (denominator 8, 4 or 2; 1 for none) whose output still has at least
// the minimum size in both directions. Only denominators that divide both sides qualify: then
// every output pixel stands for exactly denom x denom pixels of the picture, and a map made from
// the reduced picture lines up with the map of the full one (a rounded-up last column would
// stretch the picture by a fraction of a pixel). Sets cinfo's scale and output dimensions.
void ChooseScale(jpeg_decompress_struct &cinfo, PictureSize minimum) {
    for (unsigned denom : {8u, 4u, 2u, 1u}) {
        if (cinfo.image_width % denom != 0 || cinfo.image_height % denom != 0)
            continue;
        cinfo.scale_num = 1;
        cinfo.scale_denom = denom;
        jpeg_calc_output_dimensions(&cinfo);
        if (int64_t(cinfo.output_width) >= minimum.Width && int64_t(cinfo.output_height) >= minimum.Height)
            return;
    }
}

// Everything between setjmp and the end keeps only plain locals, so a longjmp from libjpeg skips
// no destructor. The bitmap is sized through a callback that may throw only before libjpeg runs.
Failure Decode(jpeg_decompress_struct &cinfo, ErrorManager &err, const QByteArray &data,
               TBitmap32 &bitmap, const DecodeRequest &request, PictureSize &fullSize, QString &detail) {
    if (setjmp(err.jump))
        return Failure::Library;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibjpegMemory;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);

    const int64_t width = cinfo.image_width, height = cinfo.image_height;
    bool cmyk = false;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
    } else {
        cinfo.out_color_space = JCS_EXT_BGRA;
    }
    PictureSize minimum;
    try {
        decode_limits::CheckPictureSize(width, height);
        if (!cinfo.arith_code)
            decode_limits::CheckDataPromise(width * height, data.size(), kMaxHuffmanPixelsPerByte);
        minimum = request.MinimumFor(int(width), int(height));
    } catch (const OrvantaError &e) {
        detail = e.Message();
        return Failure::Size;
    }
    fullSize = {int(width), int(height)};
    ChooseScale(cinfo, minimum);
    const int64_t outWidth = cinfo.output_width, outHeight = cinfo.output_height;
    try {
        // Every row is written below, so the bitmap's memory is not cleared first.
        decode_limits::SizeBitmapForOverwrite(bitmap, int(outWidth), int(outHeight));
    } catch (const OrvantaError &e) {
        detail = e.Message();
        return Failure::Size;
    }

    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != JDIMENSION(outWidth) || cinfo.output_height != JDIMENSION(outHeight) ||
        cinfo.output_components != 4) {
        err.code = JERR_BAD_IN_COLORSPACE;
        return Failure::Library;
    }
    const bool inverted = cinfo.saw_Adobe_marker;
    const bool mirror = request.MirrorLeftRight;
    while (cinfo.output_scanline < cinfo.output_height) {
        TColor32 *line = bitmap.ScanLine(int(cinfo.output_scanline));
        JSAMPROW row = reinterpret_cast<JSAMPROW>(line);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        // The row is still in the cache: convert and mirror it now rather than in later passes.
        if (cmyk)
            CmykRowToBgra(reinterpret_cast<uint8_t *>(line), int(outWidth), inverted);
        if (mirror)
            std::reverse(line, line + outWidth);
    }
    // Rows libjpeg did not deliver stay black, never old memory.
    for (int64_t y = cinfo.output_scanline; y < outHeight; ++y)
        std::fill_n(bitmap.ScanLine(int(y)), outWidth, TColor32(0));
    jpeg_finish_decompress(&cinfo);
    return Failure::None;
}

} // namespace

void DecodeJpeg(const QByteArray &data, TBitmap32 &bitmap, const DecodeRequest &request, PictureSize &fullSize) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    QString detail;
    const Failure failure = Decode(cinfo, err, data, bitmap, request, fullSize, detail);
    jpeg_destroy_decompress(&cinfo);
    switch (failure) {
    case Failure::None:
        return;
    case Failure::Library:
        throw OrvantaError(QStringLiteral("JPEG error #%1").arg(err.code));
    default:
        throw OrvantaError(detail);
    }
}

void DecodeJpeg(const QByteArray &data, TBitmap32 &bitmap) {
    PictureSize fullSize;
    DecodeJpeg(data, bitmap, DecodeRequest(), fullSize);
}
