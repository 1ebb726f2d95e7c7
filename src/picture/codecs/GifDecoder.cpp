#include "picture/codecs/GifDecoder.h"

#include "picture/DecodeLimits.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <vector>

namespace {

// An LZW code of at least 3 bits stands for at most 4096 pixels; real files stay far below.
constexpr int64_t kMaxPixelsPerByte = 4096 * 8 / 3;

struct Reader {
    const GifByteType *data;
    size_t size;
    size_t pos;
};

int ReadBytes(GifFileType *gif, GifByteType *out, int length) {
    auto *reader = static_cast<Reader *>(gif->UserData);
    const size_t n = std::min(size_t(std::max(length, 0)), reader->size - reader->pos);
    std::memcpy(out, reader->data + reader->pos, n);
    reader->pos += n;
    return int(n);
}

struct GifCloser {
    GifFileType *gif;
    ~GifCloser() {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

[[noreturn]] void Invalid() { decode_limits::RaiseInvalidFormat("GIF"); }

void DrawFirstImage(GifFileType *gif, int64_t fileBytes, TBitmap32 &bitmap, std::vector<GifPixelType> &line) {
    const GifImageDesc &desc = gif->Image;
    const int64_t left = desc.Left, top = desc.Top, w = desc.Width, h = desc.Height;
    if (w <= 0 || h <= 0)
        Invalid();
    decode_limits::CheckPictureSize(w, h);
    decode_limits::CheckDataPromise(w * h, fileBytes, kMaxPixelsPerByte);
    const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    TColor32 palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = Color32(0, 0, 0);
    if (map && map->Colors)
        for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
            palette[i] = Color32(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);

    line.resize(size_t(w));
    // Rows of an interlaced image arrive in four passes.
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? kStart[pass] : 0, step = desc.Interlace ? kStep[pass] : 1;
        for (int64_t y = start; y < h; y += step) {
            if (DGifGetLine(gif, line.data(), int(w)) == GIF_ERROR)
                Invalid();
            const int64_t row = top + y;
            if (row < 0 || row >= bitmap.Height())
                continue;
            TColor32 *out = bitmap.ScanLine(int(row));
            for (int64_t x = 0; x < w; ++x) {
                const int64_t col = left + x;
                if (col >= 0 && col < bitmap.Width())
                    out[col] = palette[line[size_t(x)]];
            }
        }
    }
}

} // namespace

void DecodeGif(const QByteArray &data, TBitmap32 &bitmap) {
    Reader reader{reinterpret_cast<const GifByteType *>(data.constData()), size_t(data.size()), 0};
    int error = 0;
    GifCloser closer{DGifOpen(&reader, ReadBytes, &error)};
    GifFileType *gif = closer.gif;
    if (!gif)
        Invalid();
    const int64_t screenW = gif->SWidth, screenH = gif->SHeight;
    std::vector<GifPixelType> line;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            Invalid();
        if (type == TERMINATE_RECORD_TYPE)
            Invalid(); // no image in the file
        if (type == EXTENSION_RECORD_TYPE) {
            // Extensions (the graphic control's transparent colour among them) play no part.
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                Invalid();
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    Invalid();
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            Invalid();
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            Invalid();
        // The picture is the logical screen; a file without one takes the first image's size.
        const int64_t w = screenW > 0 ? screenW : int64_t(gif->Image.Left) + gif->Image.Width;
        const int64_t h = screenH > 0 ? screenH : int64_t(gif->Image.Top) + gif->Image.Height;
        decode_limits::CheckPictureSize(w, h);
        decode_limits::CheckDataPromise(w * h, data.size(), kMaxPixelsPerByte);
        decode_limits::SizeBitmap(bitmap, int(w), int(h));
        TColor32 background = Color32(0, 0, 0);
        if (gif->SColorMap && gif->SBackGroundColor >= 0 && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
            const GifColorType &c = gif->SColorMap->Colors[gif->SBackGroundColor];
            background = Color32(c.Red, c.Green, c.Blue);
        }
        bitmap.Clear(background);
        DrawFirstImage(gif, data.size(), bitmap, line);
        return;
    }
}
