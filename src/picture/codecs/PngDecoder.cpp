#include "picture/codecs/PngDecoder.h"

#include "picture/DecodeLimits.h"
#include "platform/Errors.h"

#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace {

// Deflate expands at most 1032 to one; a row also carries a filter byte. Pixels of 1 bit make
// 8 per byte, so 8 x 1032 pixels per byte of file is beyond any real file.
constexpr int64_t kMaxPixelsPerByte = 8 * 1032 + 64;
constexpr png_alloc_size_t kMaxChunkBytes = 64u * 1024 * 1024;

struct Reader {
    const png_byte *data;
    size_t size;
    size_t pos;
};

void ReadBytes(png_structp png, png_bytep out, size_t length) {
    auto *reader = static_cast<Reader *>(png_get_io_ptr(png));
    if (length > reader->size - reader->pos)
        png_error(png, "read past end of data");
    std::memcpy(out, reader->data + reader->pos, length);
    reader->pos += length;
}

void OnWarning(png_structp, png_const_charp) {}
// libpng's own handler would print the message; the decoder reports its own instead.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

enum class Failure { None, Library, Size };

// Keeps only plain locals between setjmp and the end; the row-pointer table is owned by the caller.
Failure Decode(png_structp png, png_infop info, Reader &reader, TBitmap32 &bitmap,
               std::vector<png_bytep> &rows, QString &detail) {
    if (setjmp(png_jmpbuf(png)))
        return Failure::Library;
    png_set_read_fn(png, &reader, ReadBytes);
    png_set_user_limits(png, decode_limits::kMaxPictureSide, decode_limits::kMaxPictureSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    try {
        decode_limits::CheckPictureSize(width, height);
        decode_limits::CheckDataPromise(int64_t(width) * height, int64_t(reader.size), kMaxPixelsPerByte);
        decode_limits::SizeBitmap(bitmap, int(width), int(height));
        rows.resize(height);
    } catch (const OrvantaError &e) {
        detail = e.Message();
        return Failure::Size;
    }

    // Alpha plays no part in a picture: expand everything to 8-bit B, G, R, filler.
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (depth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (colorType & PNG_COLOR_MASK_ALPHA)
        png_set_strip_alpha(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row size");

    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(bitmap.ScanLine(int(y)));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return Failure::None;
}

} // namespace

void DecodePng(const QByteArray &data, TBitmap32 &bitmap) {
    if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.constData()), 0, 8) != 0)
        decode_limits::RaiseInvalidFormat("PNG");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png)
        throw OrvantaError(QStringLiteral("Cannot load image. Not enough memory."));
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw OrvantaError(QStringLiteral("Cannot load image. Not enough memory."));
    }
    Reader reader{reinterpret_cast<const png_byte *>(data.constData()), size_t(data.size()), 0};
    std::vector<png_bytep> rows;
    QString detail;
    const Failure failure = Decode(png, info, reader, bitmap, rows, detail);
    png_destroy_read_struct(&png, &info, nullptr);
    if (failure == Failure::Library)
        decode_limits::RaiseInvalidFormat("PNG");
    if (failure == Failure::Size)
        throw OrvantaError(detail);
}
