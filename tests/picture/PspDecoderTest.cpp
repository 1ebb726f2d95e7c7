// Paint Shop Pro decoder: the corpus file (and a copy whose channels were re-encoded), hand-built
// files for each compression, bit depth and layer case, and broken files that must be refused.

#include "picture/codecs/PspDecoder.h"
#include "platform/Errors.h"

#include "TestEnv.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace {

const char kPspError[] = "Cannot load image. Invalid or unexpected PSP image format.";

QByteArray ReadCorpus(const QString &name) {
    QFile f(orvanta::test::CorpusDir() + "/" + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

void Put8(QByteArray &b, int v) { b.append(char(v & 255)); }
void Put16(QByteArray &b, int v) { Put8(b, v); Put8(b, v >> 8); }
void Put32(QByteArray &b, int64_t v) { for (int i = 0; i < 4; ++i) Put8(b, int(v >> (8 * i))); }

QByteArray Zlib(const QByteArray &raw) { return qCompress(raw).mid(4); }

// PSP RLE: runs of one byte as (128 + n, byte), literals as (n, bytes...).
QByteArray Rle(const QByteArray &raw) {
    QByteArray out;
    for (int i = 0; i < raw.size();) {
        int run = 1;
        while (i + run < raw.size() && raw[i + run] == raw[i] && run < 127) ++run;
        if (run > 1) {
            Put8(out, 128 + run); out.append(raw[i]); i += run;
        } else {
            int n = 1;
            while (i + n < raw.size() && n < 127 && raw[i + n] != raw[i + n - 1]) ++n;
            Put8(out, n); out.append(raw.mid(i, n)); i += n;
        }
    }
    return out;
}

enum { kNone = 0, kRle = 1, kLz77 = 2 };

struct Channel { int bitmapType, channelType; QByteArray raw; };
struct Layer {
    int left = 0, top = 0, width = 0, height = 0;
    int opacity = 255, type = 1, visible = 1;
    std::vector<Channel> channels;
};

// Builds a file of major version 4 or later (blocks carry chunk lengths).
struct PspFile {
    int major = 6, width = 4, height = 3, compression = kNone, depth = 24, grey = 0;
    std::vector<uint32_t> palette;
    std::vector<Layer> layers;
    // Full composite: channels at canvas size.
    std::vector<Channel> composite;

    static QByteArray Block(int id, const QByteArray &body) {
        QByteArray b("~BK\0", 4);
        Put16(b, id); Put32(b, body.size());
        return b + body;
    }
    QByteArray Encode(const QByteArray &raw) const {
        return compression == kRle ? Rle(raw) : compression == kLz77 ? Zlib(raw) : raw;
    }
    QByteArray Channels(const std::vector<Channel> &cs) const {
        QByteArray b;
        Put32(b, 8); Put16(b, 1); Put16(b, int(cs.size()));  // bitmap information chunk
        for (const Channel &c : cs) {
            const QByteArray data = Encode(c.raw);
            QByteArray body;
            Put32(body, 16); Put32(body, data.size()); Put32(body, c.raw.size());
            Put16(body, c.bitmapType); Put16(body, c.channelType);
            b += Block(5, body + data);
        }
        return b;
    }
    QByteArray Bytes() const {
        QByteArray f("Paint Shop Pro Image File\n\x1a", 27);
        f.append(QByteArray(5, '\0'));
        Put16(f, major); Put16(f, 0);
        QByteArray attr;
        Put32(attr, 46); Put32(attr, width); Put32(attr, height);
        attr.append(QByteArray(8, '\0')); Put8(attr, 1);
        Put16(attr, compression); Put16(attr, depth); Put16(attr, 1); Put32(attr, 1 << depth % 32);
        Put8(attr, grey); Put32(attr, 0); Put32(attr, 0); Put16(attr, int(layers.size())); Put32(attr, 1);
        f += Block(0, attr);
        if (!palette.empty()) {
            QByteArray pal;
            Put32(pal, 8); Put32(pal, int(palette.size()));
            for (uint32_t c : palette) { Put8(pal, int(c)); Put8(pal, int(c >> 8)); Put8(pal, int(c >> 16)); Put8(pal, 0); }
            f += Block(2, pal);
        }
        if (!composite.empty()) {
            QByteArray bank;
            Put32(bank, 8); Put32(bank, 1);
            QByteArray ca;
            Put32(ca, 24); Put32(ca, width); Put32(ca, height); Put16(ca, depth); Put16(ca, compression);
            Put16(ca, 1); Put32(ca, 0); Put16(ca, 0);
            bank += Block(17, ca);
            QByteArray img;
            Put32(img, 8); Put16(img, 1); Put16(img, int(composite.size()));
            bank += Block(9, img + Channels(composite).mid(8));
            f += Block(16, bank);
        }
        QByteArray bank;
        for (const Layer &l : layers) {
            QByteArray info;
            const QByteArray name("Layer");
            QByteArray rest;
            Put16(rest, name.size()); rest += name; Put8(rest, l.type);
            for (int v : {l.left, l.top, l.left + l.width, l.top + l.height}) Put32(rest, v);
            for (int v : {0, 0, l.width, l.height}) Put32(rest, v);
            Put8(rest, l.opacity); Put8(rest, 0); Put8(rest, l.visible ? 1 : 0);
            rest.append(QByteArray(20, '\0'));  // fields this decoder skips
            Put32(info, rest.size() + 4);
            // A sub-block between the layer information and the bitmap chunk, as newer files have.
            bank += Block(4, info + rest + Block(33, QByteArray(12, 'x')) + Channels(l.channels));
        }
        if (!layers.empty())
            f += Block(3, bank);
        return f;
    }
};

// Paint Shop Pro 5 files (major version 3): block headers carry an initial data length, and
// no chunk lengths precede the fields.
QByteArray BytesV5(const PspFile &p) {
    auto block = [](int id, const QByteArray &initial, const QByteArray &rest) {
        QByteArray b("~BK\0", 4);
        Put16(b, id); Put32(b, initial.size()); Put32(b, initial.size() + rest.size());
        return b + initial + rest;
    };
    QByteArray f("Paint Shop Pro Image File\n\x1a", 27);
    f.append(QByteArray(5, '\0'));
    Put16(f, 3); Put16(f, 0);
    QByteArray attr;
    Put32(attr, p.width); Put32(attr, p.height); attr.append(QByteArray(8, '\0')); Put8(attr, 1);
    Put16(attr, p.compression); Put16(attr, p.depth); Put16(attr, 1); Put32(attr, 0);
    Put8(attr, p.grey); Put32(attr, 0); Put32(attr, 0); Put16(attr, int(p.layers.size()));
    f += block(0, attr, {});
    if (!p.palette.empty()) {
        QByteArray pal;
        Put32(pal, int(p.palette.size()));
        for (uint32_t c : p.palette) { Put8(pal, int(c)); Put8(pal, int(c >> 8)); Put8(pal, int(c >> 16)); Put8(pal, 0); }
        f += block(2, pal, {});
    }
    QByteArray bank;
    for (const Layer &l : p.layers) {
        QByteArray info(256, '\0');
        info.replace(0, 5, "Layer");
        Put8(info, 0);  // normal layer
        for (int v : {l.left, l.top, l.left + l.width, l.top + l.height}) Put32(info, v);
        for (int v : {0, 0, l.width, l.height}) Put32(info, v);
        Put8(info, l.opacity); Put8(info, 0); Put8(info, l.visible); Put8(info, 0); Put8(info, 0);
        info.append(QByteArray(32 + 3, '\0'));  // mask rectangles and flags
        Put16(info, 5); info.append(QByteArray(40, '\0'));  // blend ranges
        Put16(info, 1); Put16(info, int(l.channels.size()));
        QByteArray channels;
        for (const Channel &c : l.channels) {
            const QByteArray data = p.Encode(c.raw);
            QByteArray ci;
            Put32(ci, data.size()); Put32(ci, c.raw.size()); Put16(ci, c.bitmapType); Put16(ci, c.channelType);
            channels += block(5, ci, data);
        }
        bank += block(4, info, channels);
    }
    f += block(3, {}, bank);
    return f;
}

QByteArray Plane(int w, int h, const std::function<int(int, int)> &f, int stride = 0) {
    if (stride == 0) stride = w;
    QByteArray b(stride * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b[y * stride + x] = char(f(x, y));
    return b;
}

Layer RgbLayer(int left, int top, int w, int h, int r, int g, int b) {
    Layer l;
    l.left = left; l.top = top; l.width = w; l.height = h;
    l.channels = {{0, 1, Plane(w, h, [r](int, int) { return r; })},
                  {0, 2, Plane(w, h, [g](int, int) { return g; })},
                  {0, 3, Plane(w, h, [b](int, int) { return b; })}};
    return l;
}

TBitmap32 Decode(const QByteArray &data) {
    TBitmap32 bmp;
    DecodePsp(data, bmp);
    return bmp;
}

TEST(PspDecoderTest, CorpusFileDecodes) {
    const QByteArray file = ReadCorpus("psp/PSP.psp");
    TBitmap32 bmp = Decode(file);
    ASSERT_EQ(bmp.Width(), 8);
    ASSERT_EQ(bmp.Height(), 8);
    // GIMP shows this file as plain white.
    for (int i = 0; i < 64; ++i) ASSERT_EQ(bmp.Bits()[i], 0xFFFFFFFFu);

    // The same file with its red channel re-compressed to zeros comes out cyan, which shows the
    // layer channels (not the canvas or the JPEG thumbnail) are what is read.
    const QByteArray red = QByteArray::fromHex("789cfaff9f3200000000ffff030018983fc1");
    const int at = int(file.indexOf(red));
    ASSERT_GT(at, 0);
    QByteArray zeros = Zlib(QByteArray(64, '\0'));
    ASSERT_LE(zeros.size(), red.size());
    zeros.append(QByteArray(red.size() - zeros.size(), '\0'));
    QByteArray edited = file;
    edited.replace(at, red.size(), zeros);
    bmp = Decode(edited);
    EXPECT_EQ(bmp.Pixel(0, 0), 0xFF00FFFFu);
    EXPECT_EQ(bmp.Pixel(7, 7), 0xFF00FFFFu);
}

TEST(PspDecoderTest, CompressionsAndPaddingDecodeTheSamePixels) {
    struct Case { const char *name; int compression; int stride; };
    const Case cases[] = {
        {"none, rows padded to 4 bytes", kNone, 8}, {"none, unpadded", kNone, 5},
        {"RLE", kRle, 5}, {"LZ77", kLz77, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PspFile f;
        f.width = 5; f.height = 3; f.compression = c.compression;
        Layer l;
        l.width = 5; l.height = 3;
        l.channels = {{0, 1, Plane(5, 3, [](int x, int) { return x * 50; }, c.stride)},
                      {0, 2, Plane(5, 3, [](int, int y) { return y * 100; }, c.stride)},
                      {0, 3, Plane(5, 3, [](int x, int y) { return (x + y) % 2 ? 255 : 0; }, c.stride)}};
        f.layers = {l};
        TBitmap32 bmp = Decode(f.Bytes());
        ASSERT_EQ(bmp.Width(), 5);
        ASSERT_EQ(bmp.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(bmp.Pixel(x, y), Color32(uint8_t(x * 50), uint8_t(y * 100), (x + y) % 2 ? 255 : 0))
                    << x << "," << y;
    }
}

TEST(PspDecoderTest, PaletteAndGreyscaleDepths) {
    struct Case { const char *name; int depth, grey; QByteArray raw; TColor32 expect[4]; };
    const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const Case cases[] = {
        {"8-bit palette", 8, 0, QByteArray("\0\1\2\3", 4), {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}},
        {"4-bit palette", 4, 0, QByteArray("\x01\x23", 2), {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}},
        {"1-bit palette", 1, 0, QByteArray("\x50", 1), {0xFF000000u, 0xFFFF0000u, 0xFF000000u, 0xFFFF0000u}},
        {"8-bit greyscale", 8, 1, QByteArray("\x00\x40\x80\xff", 4), {0xFF000000u, 0xFF404040u, 0xFF808080u, 0xFFFFFFFFu}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PspFile f;
        f.width = 4; f.height = 1; f.depth = c.depth; f.grey = c.grey; f.compression = kRle;
        if (!c.grey) f.palette = pal;
        Layer l;
        l.width = 4; l.height = 1;
        l.channels = {{0, 0, c.raw}};
        f.layers = {l};
        TBitmap32 bmp = Decode(f.Bytes());
        for (int x = 0; x < 4; ++x) EXPECT_EQ(bmp.Pixel(x, 0), c.expect[x]) << x;
    }
}

TEST(PspDecoderTest, LayersMergeWithOffsetOpacityMaskAndVisibility) {
    PspFile f;
    f.width = 4; f.height = 3; f.compression = kLz77;
    Layer bottom = RgbLayer(0, 0, 4, 3, 0, 0, 255);                 // blue everywhere
    Layer half = RgbLayer(2, 1, 4, 4, 255, 0, 0);                   // red, offset, clipped
    half.opacity = 128;
    Layer masked = RgbLayer(0, 0, 2, 1, 0, 255, 0);                  // green, left pixel only
    masked.channels.push_back({1, 0, QByteArray("\xff\x00", 2)});   // transparency mask
    Layer hidden = RgbLayer(0, 0, 4, 3, 9, 9, 9);
    hidden.visible = 0;
    Layer vector = RgbLayer(0, 0, 4, 3, 7, 7, 7);
    vector.type = 3;
    f.layers = {bottom, half, masked, hidden, vector};
    TBitmap32 bmp = Decode(f.Bytes());
    EXPECT_EQ(bmp.Pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(bmp.Pixel(1, 0), 0xFF0000FFu);
    EXPECT_EQ(bmp.Pixel(3, 0), 0xFF0000FFu);
    EXPECT_EQ(bmp.Pixel(1, 2), 0xFF0000FFu);
    EXPECT_EQ(bmp.Pixel(2, 1), Color32(128, 0, 127));
    EXPECT_EQ(bmp.Pixel(3, 2), Color32(128, 0, 127));

    // Canvas the layers do not cover stays white.
    f.layers = {RgbLayer(1, 1, 1, 1, 0, 0, 0)};
    bmp = Decode(f.Bytes());
    EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.Pixel(1, 1), 0xFF000000u);
}

TEST(PspDecoderTest, Version5Layout) {
    for (int compression : {kNone, kRle, kLz77}) {
        SCOPED_TRACE(compression);
        PspFile f;
        f.width = 3; f.height = 2; f.compression = compression;
        f.layers = {RgbLayer(0, 0, 3, 2, 0, 0, 255), RgbLayer(1, 1, 1, 1, 255, 0, 0)};
        TBitmap32 bmp = Decode(BytesV5(f));
        ASSERT_EQ(bmp.Width(), 3);
        ASSERT_EQ(bmp.Height(), 2);
        EXPECT_EQ(bmp.Pixel(0, 0), 0xFF0000FFu);
        EXPECT_EQ(bmp.Pixel(1, 1), 0xFFFF0000u);
        EXPECT_EQ(bmp.Pixel(2, 1), 0xFF0000FFu);
    }
}

TEST(PspDecoderTest, FullCompositeIsPreferredOverLayers) {
    PspFile f;
    f.width = 2; f.height = 2; f.compression = kRle;
    f.layers = {RgbLayer(0, 0, 2, 2, 1, 2, 3)};
    f.composite = {{0, 1, QByteArray(4, char(10))}, {0, 2, QByteArray(4, char(20))}, {0, 3, QByteArray(4, char(30))}};
    TBitmap32 bmp = Decode(f.Bytes());
    EXPECT_EQ(bmp.Pixel(1, 1), Color32(10, 20, 30));
}

TEST(PspDecoderTest, BrokenFilesFailCleanly) {
    PspFile good;
    good.compression = kLz77;
    good.layers = {RgbLayer(0, 0, 4, 3, 1, 2, 3)};
    const QByteArray bytes = good.Bytes();
    ASSERT_NO_THROW(Decode(bytes));
    auto patched = [&](int at, const QByteArray &b) { QByteArray c = bytes; c.replace(at, b.size(), b); return c; };
    auto le32 = [](int64_t v) { QByteArray b; Put32(b, v); return b; };
    const int attr = 36 + 10;  // start of the attributes chunk
    struct Case { const char *name; QByteArray data; };
    std::vector<Case> cases = {
        {"empty", QByteArray()},
        {"signature only", bytes.left(32)},
        {"wrong signature", patched(0, "Paint Shop Pro Image Filf")},
        {"old version 2", patched(32, QByteArray("\2\0", 2))},
        {"truncated in a block", bytes.left(bytes.size() - 5)},
        {"block longer than file", patched(36 + 6, le32(0x7fffff00))},
        {"huge canvas", patched(attr + 4, le32(1 << 21)) },
        {"zero width", patched(attr + 4, le32(0))},
        {"negative height", patched(attr + 8, le32(-3))},
        {"JPEG compression", patched(attr + 21, QByteArray("\3\0", 2))},
        {"16-bit depth", patched(attr + 23, QByteArray("\x10\0", 2))},
        {"no layers", bytes.left(36 + 10 + 46)},
    };
    PspFile noPalette;
    noPalette.depth = 8;
    noPalette.layers = {RgbLayer(0, 0, 4, 3, 1, 2, 3)};
    cases.push_back({"8-bit without palette", noPalette.Bytes()});
    PspFile shortData = good;
    shortData.layers[0].channels[0].raw.chop(3);
    cases.push_back({"channel too short", shortData.Bytes()});
    PspFile hugeLayer = good;
    hugeLayer.layers[0].width = 70000;
    hugeLayer.layers[0].height = 70000;
    hugeLayer.layers[0].channels = {{0, 1, QByteArray(16, 'a')}};
    cases.push_back({"huge layer from little data", hugeLayer.Bytes()});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap32 bmp;
        try {
            DecodePsp(c.data, bmp);
            ADD_FAILURE() << "accepted";
        } catch (const OrvantaError &e) {
            EXPECT_EQ(e.Message(), kPspError);
        }
    }
}

} // namespace
