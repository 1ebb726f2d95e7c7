// Icon reader: corpus icons against ImageMagick's rendering of the same entry over black, the
// entry choice rule, and hand-made broken icons that must be refused cleanly.

#include "picture/codecs/IconReader.h"
#include "platform/Errors.h"

#include "TestEnv.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

const char kIcoError[] = "Cannot load image. Invalid or unexpected ICO image format.";

QByteArray ReadCorpus(const QString &name) {
    QFile f(orvanta::test::CorpusDir() + "/" + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

struct Probe { int x, y; uint32_t rgb; };
struct CorpusIcon {
    const char *file;
    int width, height;  // size of the entry nearest 32 x 32 with the most colours
    Probe probes[4];    // reference colours: ImageMagick, that entry flattened over black
};

const CorpusIcon kCorpusIcons[] = {
    {"ImageMagick.ico", 32, 32, {{0, 0, 0x000000u}, {16, 16, 0x333333u}, {10, 21, 0x333333u}, {24, 8, 0xFFFF00u}}},
    {"bmp-24bpp-mask.ico", 32, 32, {{0, 0, 0x000000u}, {16, 16, 0x999999u}, {10, 21, 0x555555u}, {24, 8, 0x777777u}}},
    {"bmp-32bpp-alpha.ico", 32, 32, {{0, 0, 0x000000u}, {16, 16, 0x999999u}, {10, 21, 0x555555u}, {24, 8, 0x777777u}}},
    {"deerstalker.cur", 32, 32, {{0, 0, 0x000015u}, {16, 16, 0x545756u}, {10, 21, 0x191919u}, {24, 8, 0x323333u}}},
    {"deerstalker_cursor_renamed.ico", 32, 32, {{0, 0, 0x000015u}, {16, 16, 0x545756u}, {10, 21, 0x191919u}, {24, 8, 0x323333u}}},
    {"hopper_256x256.ico", 256, 256, {{0, 0, 0x11133Au}, {128, 128, 0xC55E23u}, {85, 170, 0xC87F4Eu}, {192, 64, 0x13120Fu}}},
    {"multiple_entries_with_different_bit_depth.ico", 32, 32, {{0, 0, 0x040408u}, {16, 16, 0x212203u}, {10, 21, 0x161E0Fu}, {24, 8, 0xF2F1F1u}}},
    {"oiio.ico", 32, 32, {{0, 0, 0x000000u}, {10, 1, 0x000200u}, {15, 4, 0x000707u}, {17, 11, 0x008DFFu}}},
    {"pillow.ico", 32, 32, {{0, 0, 0x000000u}, {16, 16, 0xA5C7F2u}, {10, 21, 0xFEFEFEu}, {24, 8, 0x9DB9DFu}}},
    {"png-32bpp-alpha.ico", 32, 32, {{0, 0, 0x000000u}, {16, 16, 0x999999u}, {10, 21, 0x555555u}, {24, 8, 0x777777u}}},
    {"python.ico", 32, 32, {{0, 0, 0x000000u}, {16, 16, 0xFEE764u}, {10, 21, 0xFEE96Au}, {24, 8, 0xFEE663u}}},
    {"squares.ico", 100, 100, {{0, 0, 0xB16C42u}, {50, 50, 0xD92D6Au}, {33, 66, 0x84E07Fu}, {75, 25, 0x181883u}}},
    {"test.ico", 48, 48, {{0, 0, 0x000000u}, {24, 24, 0x25FF25u}, {16, 32, 0x23FB23u}, {36, 12, 0x24FD24u}}},
};

TEST(IconReaderTest, CorpusIconsMatchReferenceRendering) {
    for (const CorpusIcon &c : kCorpusIcons) {
        SCOPED_TRACE(c.file);
        TBitmap32 bmp;
        ASSERT_NO_THROW(ReadIcon(ReadCorpus(QString("ico/") + c.file), bmp));
        ASSERT_EQ(bmp.Width(), c.width);
        ASSERT_EQ(bmp.Height(), c.height);
        for (const Probe &p : c.probes)
            EXPECT_EQ(bmp.Pixel(p.x, p.y), 0xFF000000u | p.rgb) << "at " << p.x << "," << p.y;
        for (int i = 0; i < bmp.Width() * bmp.Height(); ++i)
            ASSERT_EQ(AlphaOf(bmp.Bits()[i]), 255);
    }
}

TEST(IconReaderTest, BadCorpusIconsAreRefused) {
    for (const char *name : {"bug778204.ico", "invalid.1.ico", "bug779012.ico", "no_cursors.cur"}) {
        SCOPED_TRACE(name);
        TBitmap32 bmp;
        try {
            ReadIcon(ReadCorpus(QString("ico/") + name), bmp);
            ADD_FAILURE() << "accepted";
        } catch (const OrvantaError &e) {
            EXPECT_EQ(e.Message(), kIcoError);
        }
    }
}

// --- hand-made icons -------------------------------------------------------------------------

void Put16(QByteArray &b, int v) { b.append(char(v & 255)); b.append(char((v >> 8) & 255)); }
void Put32(QByteArray &b, uint32_t v) { for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 255)); }

// One BMP icon image: w x h, bits 1/4/8/24/32, every pixel the palette index / colour given by
// pixel(x, y) (top-down), the AND mask bit by mask(x, y).
template <class PixelFn, class MaskFn>
QByteArray BmpImage(int w, int h, int bits, const std::vector<uint32_t> &palette, PixelFn pixel,
                    MaskFn mask) {
    QByteArray b;
    Put32(b, 40); Put32(b, uint32_t(w)); Put32(b, uint32_t(2 * h)); Put16(b, 1); Put16(b, bits);
    Put32(b, 0); Put32(b, 0); Put32(b, 0); Put32(b, 0); Put32(b, uint32_t(palette.size())); Put32(b, 0);
    for (uint32_t c : palette) Put32(b, c);
    const int stride = ((w * bits + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = pixel(x, y);
            switch (bits) {
            case 1: row[x / 8] = char(row[x / 8] | (v << (7 - x % 8))); break;
            case 4: row[x / 2] = char(row[x / 2] | (v << (x % 2 ? 0 : 4))); break;
            case 8: row[x] = char(v); break;
            case 24: for (int i = 0; i < 3; ++i) row[x * 3 + i] = char(v >> (8 * i)); break;
            case 32: for (int i = 0; i < 4; ++i) row[x * 4 + i] = char(v >> (8 * i)); break;
            }
        }
        b += row;
    }
    const int mstride = ((w + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(mstride, 0);
        for (int x = 0; x < w; ++x)
            if (mask(x, y)) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        b += row;
    }
    return b;
}

QByteArray IconFile(const std::vector<QByteArray> &images, const std::vector<int> &sides) {
    QByteArray b;
    Put16(b, 0); Put16(b, 1); Put16(b, int(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        b.append(char(sides[i] & 255)); b.append(char(sides[i] & 255)); b.append('\0'); b.append('\0');
        Put16(b, 1); Put16(b, 0); Put32(b, uint32_t(images[i].size())); Put32(b, offset);
        offset += uint32_t(images[i].size());
    }
    for (const QByteArray &img : images) b += img;
    return b;
}

auto NoMask = [](int, int) { return false; };

TEST(IconReaderTest, DepthsDecodeWithMaskOverBlack) {
    // Left half red, right half blue, the top-left pixel masked out (transparent -> black).
    const std::vector<uint32_t> pal = {0x00FF0000u, 0x000000FFu};
    auto index = [](int x, int) -> uint32_t { return x < 4 ? 0 : 1; };
    auto colour = [](int x, int) -> uint32_t { return x < 4 ? 0x00FF0000u : 0x000000FFu; };
    auto mask = [](int x, int y) { return x == 0 && y == 0; };
    struct Case { int bits; QByteArray image; };
    const Case cases[] = {
        {1, BmpImage(8, 3, 1, pal, index, mask)},
        {4, BmpImage(8, 3, 4, pal, index, mask)},
        {8, BmpImage(8, 3, 8, pal, index, mask)},
        {24, BmpImage(8, 3, 24, {}, colour, mask)},
        {32, BmpImage(8, 3, 32, {}, colour, mask)},  // alpha all zero: the mask decides
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bits);
        TBitmap32 bmp;
        ReadIcon(IconFile({c.image}, {8}), bmp);
        ASSERT_EQ(bmp.Width(), 8);
        ASSERT_EQ(bmp.Height(), 3);
        EXPECT_EQ(bmp.Pixel(0, 0), 0xFF000000u);
        EXPECT_EQ(bmp.Pixel(1, 0), 0xFFFF0000u);
        EXPECT_EQ(bmp.Pixel(3, 2), 0xFFFF0000u);
        EXPECT_EQ(bmp.Pixel(4, 0), 0xFF0000FFu);
        EXPECT_EQ(bmp.Pixel(7, 2), 0xFF0000FFu);
    }
}

TEST(IconReaderTest, AlphaIsBlendedOverBlack) {
    auto colour = [](int x, int) -> uint32_t { return x == 0 ? 0x80FFFFFFu : 0xFF00FF00u; };
    TBitmap32 bmp;
    ReadIcon(IconFile({BmpImage(2, 1, 32, {}, colour, NoMask)}, {2}), bmp);
    EXPECT_EQ(bmp.Pixel(0, 0), 0xFF808080u);
    EXPECT_EQ(bmp.Pixel(1, 0), 0xFF00FF00u);
}

TEST(IconReaderTest, EmbeddedPngEntry) {
    QImage png(5, 4, QImage::Format_ARGB32);
    png.fill(qRgba(0, 0, 255, 255));
    png.setPixel(0, 0, qRgba(255, 255, 255, 0));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    ASSERT_TRUE(png.save(&buf, "PNG"));
    TBitmap32 bmp;
    ReadIcon(IconFile({bytes}, {5}), bmp);
    ASSERT_EQ(bmp.Width(), 5);
    ASSERT_EQ(bmp.Height(), 4);
    EXPECT_EQ(bmp.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(bmp.Pixel(4, 3), 0xFF0000FFu);
}

// Nearest to 32 x 32 first (|w-32| + |h-32|), then the most colours, then the first entry.
TEST(IconReaderTest, ChoosesNearestStandardSizeThenMostColours) {
    auto img = [](int side, int bits, uint32_t c) {
        std::vector<uint32_t> pal;
        if (bits <= 8) pal.assign(size_t(1) << bits, c);
        return BmpImage(side, side, bits, pal, [c, bits](int, int) { return bits <= 8 ? 0u : c; }, NoMask);
    };
    struct Case { const char *name; std::vector<QByteArray> images; std::vector<int> sides; int side; uint32_t colour; };
    const Case cases[] = {
        {"exact size beats depth", {img(48, 32, 0x111111), img(32, 4, 0x222222), img(16, 32, 0x333333)}, {48, 32, 16}, 32, 0x222222},
        {"same size: deeper wins", {img(32, 4, 0x111111), img(32, 8, 0x222222), img(32, 24, 0x333333)}, {32, 32, 32}, 32, 0x333333},
        {"same distance: first of equal depth", {img(24, 32, 0x111111), img(40, 32, 0x222222)}, {24, 40}, 24, 0x111111},
        {"nearest below beats farther above", {img(256, 32, 0x111111), img(16, 8, 0x222222)}, {0, 16}, 16, 0x222222},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap32 bmp;
        ReadIcon(IconFile(c.images, c.sides), bmp);
        ASSERT_EQ(bmp.Width(), c.side);
        EXPECT_EQ(bmp.Pixel(0, 0), 0xFF000000u | c.colour);
    }
}

TEST(IconReaderTest, BrokenEntryIsSkippedWhenAnotherIsGood) {
    QByteArray good = BmpImage(16, 16, 24, {}, [](int, int) { return 0x00123456u; }, NoMask);
    QByteArray broken = good;
    broken[16] = 7;  // unknown compression
    TBitmap32 bmp;
    ReadIcon(IconFile({broken, good}, {32, 16}), bmp);
    EXPECT_EQ(bmp.Width(), 16);
    EXPECT_EQ(bmp.Pixel(3, 3), 0xFF123456u);
}

// A PNG signature and header followed by garbage instead of image data.
const char kBadPng[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0garbage";

TEST(IconReaderTest, MalformedIconsFailCleanly) {
    const QByteArray good = IconFile({BmpImage(16, 16, 8, {0x00FF0000u}, [](int, int) { return 0u; }, NoMask)}, {16});
    auto patched = [&](int at, const QByteArray &bytes) { QByteArray b = good; b.replace(at, bytes.size(), bytes); return b; };
    auto le32 = [](uint32_t v) { QByteArray b; Put32(b, v); return b; };
    struct Case { const char *name; QByteArray data; };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"header only", good.left(6)},
        {"reserved not 0", patched(0, QByteArray("\1\0", 2))},
        {"type 3", patched(2, QByteArray("\3\0", 2))},
        {"no entries", patched(4, QByteArray("\0\0", 2))},
        {"directory beyond file", patched(4, QByteArray("\xff\x00", 2))},
        {"offset beyond file", patched(6 + 12, le32(0x7fffffffu))},
        {"offset inside directory", patched(6 + 12, le32(2))},
        {"truncated pixels", good.left(6 + 16 + 40 + 4 + 10)},
        {"huge width", patched(22 + 4, le32(0x7fffffffu))},
        {"negative height", patched(22 + 8, le32(0xfffffff0u))},
        {"zero width", patched(22 + 4, le32(0))},
        {"header size past end", patched(22, le32(0x40000000u))},
        {"16-bit depth", patched(22 + 14, QByteArray("\x10\x00", 2))},
        {"bad png", IconFile({QByteArray(kBadPng, sizeof kBadPng - 1)}, {16})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap32 bmp;
        try {
            ReadIcon(c.data, bmp);
            ADD_FAILURE() << "accepted";
        } catch (const OrvantaError &e) {
            EXPECT_EQ(e.Message(), kIcoError);
        }
    }
}

} // namespace
