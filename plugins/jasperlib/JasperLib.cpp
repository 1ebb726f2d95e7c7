// jasperlib.so: the JPEG 2000 decoder plug-in (jp2, jpc, j2k, j2c) on OpenJPEG. It hands back
// three 8-bit planes (blue, green, red) for colour pictures and one 8-bit grey plane otherwise;
// an alpha component is left out, so pictures with transparency show their colours.

#include "picture/ImageContainer.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kOk = 0, kCannotOpen = 2, kBadData = 3, kUnsupportedFormat = 4;
constexpr int64_t kMaxPixels = int64_t(1) << 28;
constexpr long kMaxFileBytes = 1L << 30;

char kLoadFilter[] = "JPEG 2000 (*.jp2;*.jpc;*.j2k;*.j2c)|*.jp2;*.jpc;*.j2k;*.j2c";
char kSaveFilter[] = "";

struct Buffer {
    std::vector<unsigned char> bytes;
    size_t pos = 0;
};

OPJ_SIZE_T Read(void *out, OPJ_SIZE_T n, void *user) {
    auto *b = static_cast<Buffer *>(user);
    if (b->pos >= b->bytes.size())
        return OPJ_SIZE_T(-1);
    const size_t count = std::min<size_t>(n, b->bytes.size() - b->pos);
    std::memcpy(out, b->bytes.data() + b->pos, count);
    b->pos += count;
    return count;
}
OPJ_OFF_T Skip(OPJ_OFF_T n, void *user) {
    auto *b = static_cast<Buffer *>(user);
    const int64_t target = int64_t(b->pos) + n;
    if (target < 0 || target > int64_t(b->bytes.size()))
        return -1;
    b->pos = size_t(target);
    return n;
}
OPJ_BOOL Seek(OPJ_OFF_T n, void *user) {
    auto *b = static_cast<Buffer *>(user);
    if (n < 0 || n > OPJ_OFF_T(b->bytes.size()))
        return OPJ_FALSE;
    b->pos = size_t(n);
    return OPJ_TRUE;
}
void Quiet(const char *, void *) {}

bool ReadFile(const char *name, Buffer &out) {
    FILE *f = std::fopen(name, "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && size <= kMaxFileBytes && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        out.bytes.resize(size_t(size));
        ok = std::fread(out.bytes.data(), 1, out.bytes.size(), f) == out.bytes.size();
    }
    std::fclose(f);
    return ok;
}

// Sample of a component at picture position (x, y), scaled to 8 bits.
struct Channel {
    const opj_image_comp_t *comp;
    int shift; // right shift to 8 bits (negative: left)
    int offset; // added to signed samples
    uint32_t width, height; // of the picture (the first component)
    uint8_t At(uint32_t x, uint32_t y) const {
        // Components of another size (subsampled chroma) are scaled to the first one's grid.
        const uint32_t cx = std::min(uint32_t(uint64_t(x) * comp->w / width), comp->w - 1);
        const uint32_t cy = std::min(uint32_t(uint64_t(y) * comp->h / height), comp->h - 1);
        const int64_t v = int64_t(comp->data[size_t(cy) * comp->w + cx]) + offset;
        // Deeper samples keep their top 8 bits; shallower ones stretch to the full range.
        const int64_t scaled = shift >= 0 ? v >> shift : v * 255 / ((int64_t(1) << comp->prec) - 1);
        return uint8_t(std::clamp<int64_t>(scaled, 0, 255));
    }
};

uint8_t Clamp(double v) { return uint8_t(std::clamp(v + 0.5, 0.0, 255.0)); }

int32_t Decode(Buffer &buffer, OPJ_CODEC_FORMAT format, TImageContainer *image) {
    opj_stream_t *stream = opj_stream_create(1 << 16, OPJ_TRUE);
    if (!stream)
        return kBadData;
    opj_stream_set_user_data(stream, &buffer, nullptr);
    opj_stream_set_user_data_length(stream, buffer.bytes.size());
    opj_stream_set_read_function(stream, Read);
    opj_stream_set_skip_function(stream, Skip);
    opj_stream_set_seek_function(stream, Seek);
    opj_codec_t *codec = opj_create_decompress(format);
    opj_set_error_handler(codec, Quiet, nullptr);
    opj_set_warning_handler(codec, Quiet, nullptr);
    opj_set_info_handler(codec, Quiet, nullptr);
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    opj_image_t *img = nullptr;
    int32_t result = kBadData;
    // Strict mode refuses truncated codestreams instead of showing a half-decoded picture.
    if (opj_setup_decoder(codec, &params) && opj_decoder_set_strict_mode(codec, OPJ_TRUE) &&
        opj_read_header(stream, codec, &img) && img && img->numcomps > 0) {
        const int64_t area = (int64_t(img->x1) - img->x0) * (int64_t(img->y1) - img->y0);
        const int64_t w = img->comps[0].w, h = img->comps[0].h;
        if (w > 0 && h > 0 && area > 0 && area <= kMaxPixels && opj_decode(codec, stream, img) &&
            opj_end_decompress(codec, stream))
            result = kOk;
    }
    if (result == kOk) {
        // The picture has the size of its first component.
        const uint32_t w = img->comps[0].w, h = img->comps[0].h;
        // Colour needs three components of the picture's size class; otherwise the first is grey.
        const bool colour = img->numcomps >= 3;
        std::vector<Channel> ch;
        for (uint32_t i = 0; i < (colour ? 3u : 1u); ++i) {
            const opj_image_comp_t &c = img->comps[i];
            if (!c.data || c.w == 0 || c.h == 0 || c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > 31) {
                result = kUnsupportedFormat;
                break;
            }
            ch.push_back(Channel{&c, int(c.prec) - 8, c.sgnd ? (1 << (c.prec - 1)) : 0, w, h});
        }
        const int bytes = colour ? 3 : 1;
        auto *pixels = result == kOk ? static_cast<uint8_t *>(std::malloc(size_t(w) * h * bytes)) : nullptr;
        if (result == kOk && !pixels)
            result = kBadData;
        if (result == kOk) {
            const bool ycc = colour && img->color_space == OPJ_CLRSPC_SYCC;
            for (uint32_t y = 0; y < h; ++y) {
                uint8_t *out = pixels + size_t(y) * w * bytes;
                for (uint32_t x = 0; x < w; ++x) {
                    if (!colour) {
                        out[x] = ch[0].At(x, y);
                        continue;
                    }
                    double r = ch[0].At(x, y), g = ch[1].At(x, y), b = ch[2].At(x, y);
                    if (ycc) {
                        const double yy = r, cb = g - 128.0, cr = b - 128.0;
                        r = yy + 1.402 * cr;
                        g = yy - 0.344136 * cb - 0.714136 * cr;
                        b = yy + 1.772 * cb;
                    }
                    out[3 * x] = Clamp(b);
                    out[3 * x + 1] = Clamp(g);
                    out[3 * x + 2] = Clamp(r);
                }
            }
            image->Width = int32_t(w);
            image->Height = int32_t(h);
            image->PixelFormat = colour ? 3 : 1;
            image->Pixels = pixels;
            image->Palette = nullptr; // grey ramp
        }
    }
    if (img)
        opj_image_destroy(img);
    opj_destroy_codec(codec);
    opj_stream_destroy(stream);
    return result;
}

} // namespace

ORVANTA_PLUGIN_EXPORT int32_t ORVANTA_PLUGIN_LOAD_IMAGE(char *FileName, char *FileType, TImageContainer *Image) {
    if (!FileName || !Image)
        return kCannotOpen;
    std::memset(Image, 0, sizeof *Image);
    Buffer file;
    if (!ReadFile(FileName, file))
        return kCannotOpen;
    // The file type chooses the container: a bare codestream for jpc, j2k and j2c; for jp2 the
    // JP2 boxes or, as some writers do, a bare codestream under that name.
    static const unsigned char kJp2Box[] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 13, 10, 0x87, 10};
    static const unsigned char kCodestream[] = {0xFF, 0x4F, 0xFF, 0x51};
    auto startsWith = [&file](const unsigned char *magic, size_t n) {
        return file.bytes.size() >= n && std::memcmp(file.bytes.data(), magic, n) == 0;
    };
    const bool jp2Type = FileType && std::strcmp(FileType, "JP2") == 0;
    OPJ_CODEC_FORMAT format;
    if (jp2Type && startsWith(kJp2Box, sizeof kJp2Box))
        format = OPJ_CODEC_JP2;
    else if (startsWith(kCodestream, sizeof kCodestream))
        format = OPJ_CODEC_J2K;
    else
        return kBadData;
    return Decode(file, format, Image);
}

ORVANTA_PLUGIN_EXPORT int32_t ORVANTA_PLUGIN_FREE_IMAGE(TImageContainer *Image) {
    if (Image) {
        std::free(Image->Pixels);
        Image->Pixels = nullptr;
    }
    return 0;
}

ORVANTA_PLUGIN_EXPORT char *ORVANTA_PLUGIN_GET_LOAD_FILTER() { return kLoadFilter; }
ORVANTA_PLUGIN_EXPORT char *ORVANTA_PLUGIN_GET_SAVE_FILTER() { return kSaveFilter; }
