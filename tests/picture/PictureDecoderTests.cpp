// The individual decoders on crafted and damaged files: size limits, headers that promise more
// than the file holds, truncation at any point, the explicit coder per extension, the EPS header
// and the own readers of the layouts ImageMagick 6 lacks.

#include "TestEnv.h"
#include "picture/Bitmap32.h"
#include "picture/PictureLoader.h"
#include "picture/codecs/EpsDecoder.h"
#include "picture/codecs/MagickDecoder.h"
#include "platform/Errors.h"

#include <QFile>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

QString Corpus(const QString &path) { return orvanta::test::CorpusDir() + "/" + path; }

QByteArray ReadFile(const QString &path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

struct Outcome {
    QString error; // empty: decoded
    int width = 0, height = 0;
};

Outcome DecodeBytes(const QByteArray &bytes, const QString &name) {
    orvanta::test::TempDir dir;
    QFile f(dir.file(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    TBitmap32 bitmap;
    try {
        LoadPictureFile(dir.file(name), bitmap);
    } catch (const OrvantaError &e) {
        return Outcome{e.Message().isEmpty() ? "<empty message>" : e.Message()};
    }
    return Outcome{QString(), bitmap.Width(), bitmap.Height()};
}

uint32_t Crc32(const QByteArray &bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray Be32(uint32_t v) {
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (24 - 8 * i));
    return b;
}

// A PNG with the given size and one tiny IDAT chunk.
QByteArray CraftPng(uint32_t width, uint32_t height) {
    QByteArray ihdr = "IHDR" + Be32(width) + Be32(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    QByteArray idat = QByteArray("IDAT") + QByteArray::fromHex("789c030000000001");
    QByteArray png = QByteArray::fromHex("89504e470d0a1a0a");
    png += Be32(13) + ihdr + Be32(Crc32(ihdr));
    png += Be32(uint32_t(idat.size() - 4)) + idat + Be32(Crc32(idat));
    png += Be32(0) + QByteArray("IEND") + Be32(Crc32("IEND"));
    return png;
}

// testorig.jpg with its frame header claiming another size.
QByteArray JpegWithSize(uint16_t width, uint16_t height) {
    QByteArray jpeg = ReadFile(Corpus("jpeg/testorig.jpg"));
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    EXPECT_GT(sof, 0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width);
    return jpeg;
}

QByteArray GifWithScreen(uint16_t width, uint16_t height) {
    QByteArray gif = ReadFile(Corpus("gif/hopper.gif"));
    gif[6] = char(width);
    gif[7] = char(width >> 8);
    gif[8] = char(height);
    gif[9] = char(height >> 8);
    return gif;
}

TEST(DecodeLimits, HugeOrHollowPicturesAreRefusedBeforeAllocating) {
    const struct {
        const char *what;
        QByteArray bytes;
        const char *name;
        const char *message;
    } cases[] = {
        {"PNG over 2^28 pixels", CraftPng(20000, 20000), "x.png", "too large"},
        {"PNG wider than any side", CraftPng(2000000, 1), "x.png", "PNG image format"},
        {"PNG of 2^28 pixels in 80 bytes", CraftPng(16384, 16384), "x.png", "too short"},
        {"JPEG over 2^28 pixels", JpegWithSize(60000, 60000), "x.jpg", "too large"},
        {"JPEG of 256 MP in 5 KB", JpegWithSize(16000, 16000), "x.jpg", "too short"},
        {"JPEG of no pixels", JpegWithSize(0, 10), "x.jpg", "JPEG error #"},
        {"GIF screen over 2^28 pixels", GifWithScreen(65535, 65535), "x.gif", "too large"},
        {"GIF screen of 256 MP in 15 KB", GifWithScreen(16000, 16000), "x.gif", "too short"},
    };
    for (const auto &c : cases) {
        const Outcome o = DecodeBytes(c.bytes, c.name);
        EXPECT_TRUE(o.error.contains(c.message)) << c.what << ": " << o.error.toStdString();
    }
}

// Up to 16 MP (a 64 MB bitmap) a picture needs no data behind it: a GIF whose screen is larger
// than its first image is fine.
TEST(DecodeLimits, ModestPicturesNeedNoDataBehindThem) {
    const Outcome o = DecodeBytes(GifWithScreen(4096, 4096), "x.gif");
    EXPECT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_EQ(o.width, 4096);
    EXPECT_EQ(o.height, 4096);
}

// Every good file cut short at many points: a decoder may show what it got or refuse with a
// message, but never crash, hang or report a different size.
TEST(DecodeLimits, TruncatedFilesNeverCrash) {
    const char *files[] = {
        "jpeg/testorig.jpg", "jpeg/testprog.jpg", "png/basi6a16.png", "png/basn3p08.png", "gif/hopper.gif",
        "gif/gif_triangle_interlaced.gif", "bmp/pal8rle.bmp", "bmp/rgb24.bmp", "bmp/rgb24rle24.bmp",
        "tiff/quad-lzw.tif", "tiff/quad-tile.jpg.tiff", "tiff/flower-rgb-contig-10.tif", "tiff/fax2d.tif",
        "targa/CTC32.TGA", "pcx/input.pcx", "pnm/input_p6.ppm", "psd/hopper.psd", "psd/psd_indexed_trans.psd",
        "sgi/hopper.sgi", "dds/dxt1-rgb-4bbp-noalpha_MipMaps-1.dds", "dds/bgr15.dds", "dds/palette.dds",
        "eps/1.eps", "pcd/hopper.pcd",
    };
    for (const char *file : files) {
        const QByteArray whole = ReadFile(Corpus(file));
        const Outcome full = DecodeBytes(whole, QString(file).section('/', -1));
        ASSERT_TRUE(full.error.isEmpty()) << file << ": " << full.error.toStdString();
        for (int part : {0, 1, 5, 20, 40, 60, 80, 95, 99}) {
            const QByteArray cut = whole.left(whole.size() * part / 100);
            const Outcome o = DecodeBytes(cut, QString(file).section('/', -1));
            if (o.error.isEmpty()) {
                EXPECT_EQ(o.width, full.width) << file << " cut at " << part << "%";
                EXPECT_EQ(o.height, full.height) << file << " cut at " << part << "%";
            }
        }
    }
}

// The extension names the coder; content of another format under it is refused.
TEST(MagickDecoders, NeverGuessTheFormatFromTheContent) {
    const QByteArray png = ReadFile(Corpus("png/basn2c08.png"));
    const QByteArray bmp = ReadFile(Corpus("bmp/rgb24.bmp"));
    const QByteArray ppm = ReadFile(Corpus("pnm/input_p6.ppm"));
    const QByteArray gif = ReadFile(Corpus("gif/hopper.gif"));
    const struct {
        const QByteArray *bytes;
        const char *name;
        const char *shortName;
    } cases[] = {
        {&png, "x.bmp", "BMP"},  {&gif, "x.dib", "BMP"},  {&png, "x.tga", "TGA"},  {&bmp, "x.vda", "TGA"},
        {&ppm, "x.pcx", "PCX"},  {&bmp, "x.ppm", "PPM"},  {&png, "x.pgm", "PGM"},  {&png, "x.pbm", "PBM"},
        {&bmp, "x.psd", "PSD"},  {&png, "x.pcd", "PCD"},  {&gif, "x.sgi", "SGI"},  {&png, "x.dds", "DDS"},
        {&png, "x.tif", "TIFF"}, {&png, "x.eps", "EPS"},  {&bmp, "x.jpg", "JPEG error #"},
    };
    for (const auto &c : cases) {
        const Outcome o = DecodeBytes(*c.bytes, c.name);
        EXPECT_TRUE(o.error.contains(c.shortName)) << c.name << ": " << o.error.toStdString();
    }
    // PostScript is never handed to an interpreter, whatever its name.
    const QByteArray ps = "%!PS-Adobe-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n";
    for (const char *name : {"x.ppm", "x.bmp", "x.psd", "x.eps"})
        EXPECT_FALSE(DecodeBytes(ps, name).error.isEmpty()) << name;
}

// Only the coders of the decoder table may run, whoever asks.
TEST(MagickDecoders, OtherCodersAreDisabled) {
    const QByteArray gif = ReadFile(Corpus("gif/hopper.gif"));
    const QByteArray png = ReadFile(Corpus("png/basn2c08.png"));
    TBitmap32 bitmap;
    EXPECT_THROW(DecodeWithMagick(gif, "GIF", "GIF", bitmap), OrvantaError);
    EXPECT_THROW(DecodeWithMagick(png, "PNG", "PNG", bitmap), OrvantaError);
    EXPECT_THROW(DecodeWithMagick("%!PS-Adobe-3.0\nshowpage\n", "PS", "PS", bitmap), OrvantaError);
    EXPECT_NO_THROW(DecodeWithMagick(ReadFile(Corpus("bmp/rgb24.bmp")), "BMP", "BMP", bitmap));
    EXPECT_EQ(bitmap.Width(), 127);
}

// Decoding runs on worker threads: every decoder, ImageMagick's start-up among them, at once.
TEST(LoadPictureFile, DecodesOnManyThreadsAtOnce) {
    const char *files[] = {"psd/hopper.psd", "jpeg/testorig.jpg", "png/basi6a16.png", "tiff/quad-jpeg.tif",
                           "targa/CTC32.TGA", "gif/hopper.gif", "sgi/hopper.sgi", "bmp/pal8rle.bmp"};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 6; ++i) {
                TBitmap32 bitmap;
                try {
                    LoadPictureFile(Corpus(files[(t + i) % 8]), bitmap);
                } catch (const OrvantaError &) {
                    ++failures;
                }
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

QByteArray EpsHeader(uint32_t tiffOffset, uint32_t tiffLength) {
    QByteArray h = QByteArray::fromHex("c5d0d3c6");
    auto le = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h.append(char(v >> (8 * i)));
    };
    le(30); le(0); le(0); le(0); le(tiffOffset); le(tiffLength);
    h.append("\xff\xff", 2);
    return h;
}

TEST(EpsPreview, OnlyATiffSectionInsideTheFileCounts) {
    const QByteArray body(100, 'x');
    const struct {
        QByteArray file;
        bool found;
    } cases[] = {
        {EpsHeader(30, 100) + body, true},
        {EpsHeader(30, 101) + body, false},           // runs past the end
        {EpsHeader(30, 0) + body, false},             // no preview
        {EpsHeader(10, 20) + body, false},            // inside the header
        {EpsHeader(0xFFFFFFF0u, 0x20) + body, false}, // offset + length wraps around
        {EpsHeader(30, 100).left(29), false},         // header cut short
        {"%!PS-Adobe-3.0 EPSF-3.0\n" + body, false},  // text EPS
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(FindEpsTiffPreview(cases[i].file).has_value(), cases[i].found) << "case " << i;
    const auto preview = FindEpsTiffPreview(EpsHeader(30, 100) + body);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->offset, 30u);
    EXPECT_EQ(preview->length, 100u);
    EXPECT_EQ(DecodeBytes(EpsHeader(30, 100) + body, "x.eps").error,
              "Cannot load image. Invalid or unexpected TIFF image format.");
    EXPECT_EQ(DecodeBytes(EpsHeader(30, 0) + body, "x.eps").error,
              "Cannot load image. Invalid or unexpected EPS image format.");
}

TColor32 DecodedPixel(const char *file, int x, int y) {
    TBitmap32 bitmap;
    LoadPictureFile(Corpus(file), bitmap);
    return bitmap.Pixel(x, y);
}

uint8_t Scale5(unsigned v) { return uint8_t(v * 255 / 31); }

// Expected values worked out from the files' bytes by the layouts' definitions.
TEST(OwnReaders, PixelsFollowTheFileBytes) {
    // bgr15.dds: X1R5G5B5 words 0x0848 and 0x0847 at the start of the pixel data.
    EXPECT_EQ(DecodedPixel("dds/bgr15.dds", 0, 0), Color32(Scale5(2), Scale5(2), Scale5(8)));
    EXPECT_EQ(DecodedPixel("dds/bgr15.dds", 1, 0), Color32(Scale5(2), Scale5(2), Scale5(7)));
    // palette.dds: index bytes after a 256-entry R, G, B, A palette.
    const QByteArray pal = ReadFile(Corpus("dds/palette.dds"));
    const auto *p = reinterpret_cast<const uint8_t *>(pal.constData());
    const uint8_t index = p[128 + 1024];
    EXPECT_EQ(DecodedPixel("dds/palette.dds", 0, 0), Color32(p[128 + 4 * index], p[129 + 4 * index], p[130 + 4 * index]));
    // DX10 R8G8B8A8: bytes R, G, B, A from offset 148.
    const QByteArray dx10 = ReadFile(Corpus("dds/DXGI_FORMAT_R8G8B8A8_UNORM_SRGB.dds"));
    const auto *d = reinterpret_cast<const uint8_t *>(dx10.constData()) + 148 + 4 * 17;
    EXPECT_EQ(DecodedPixel("dds/DXGI_FORMAT_R8G8B8A8_UNORM_SRGB.dds", 1, 1), Color32(d[0], d[1], d[2]));
    // 4x4 indexed Photoshop file: raw composite index 0x... looked up in the R, G, B planes of the palette.
    const QByteArray psd = ReadFile(Corpus("psd/4x4_8bit_index_color.psd"));
    const auto *s = reinterpret_cast<const uint8_t *>(psd.constData());
    const uint8_t last = s[psd.size() - 1]; // pixel (3, 3) of the raw composite
    EXPECT_EQ(DecodedPixel("psd/4x4_8bit_index_color.psd", 3, 3), Color32(s[30 + last], s[30 + 256 + last], s[30 + 512 + last]));
}

} // namespace
