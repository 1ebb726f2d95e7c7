// Metafile renderer: corpus metafiles at their natural size, hand-built WMF and EMF files with
// known records checked at exact pixels (rectangles, mapping modes, extents, world transform,
// clipping, saved states, bitmaps, text), and broken files that must be refused cleanly.

#include "picture/codecs/MetafileDecoder.h"
#include "platform/Errors.h"

#include "TestEnv.h"

#include <QFile>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Text needs a font database, which needs a QGuiApplication; the headless one will do.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "MetafileDecoderTest";
        static char *argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};
[[maybe_unused]] const auto *const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

constexpr TColor32 kWhite = 0xFFFFFFFFu, kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kBlack = 0xFF000000u;

QByteArray ReadCorpus(const QString &name) {
    QFile f(orvanta::test::CorpusDir() + "/" + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

void Put16(QByteArray &b, int v) { b.append(char(v & 255)); b.append(char((v >> 8) & 255)); }
void Put32(QByteArray &b, int64_t v) { for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 255)); }
void PutF(QByteArray &b, float f) { uint32_t v; std::memcpy(&v, &f, 4); Put32(b, v); }

TBitmap32 Decode(const QByteArray &data) {
    TBitmap32 bmp;
    DecodeMetafile(data, bmp);
    return bmp;
}

// --- WMF builder ------------------------------------------------------------------------------

struct Wmf {
    QByteArray records;
    int objects = 8;
    void Rec(int fn, const std::vector<int> &words) {
        Put32(records, 3 + int64_t(words.size()));
        Put16(records, fn);
        for (int w : words) Put16(records, w);
    }
    void RedBrushNoPen() {
        Rec(0x02FC, {0, 0x00FF, 0x0000, 0});  // CreateBrushIndirect solid red -> object 0
        Rec(0x012D, {0});
        Rec(0x02FA, {5, 0, 0, 0, 0});         // CreatePenIndirect PS_NULL -> object 1
        Rec(0x012D, {1});
    }
    void Rect(int l, int t, int r, int b) { Rec(0x041B, {b, r, t, l}); }
    // Placeable when inch > 0, with bounding box 0, 0, w, h.
    QByteArray Bytes(int w, int h, int inch) const {
        QByteArray f;
        if (inch > 0) {
            Put32(f, 0x9AC6CDD7); Put16(f, 0);
            Put16(f, 0); Put16(f, 0); Put16(f, w); Put16(f, h); Put16(f, inch); Put32(f, 0);
            int sum = 0;
            for (int i = 0; i < 10; ++i) sum ^= uint8_t(f[2 * i]) | (uint8_t(f[2 * i + 1]) << 8);
            Put16(f, sum);
        }
        Put16(f, 1); Put16(f, 9); Put16(f, 0x300);
        Put32(f, (18 + records.size() + 6) / 2); Put16(f, objects); Put32(f, 64); Put16(f, 0);
        f += records;
        Put32(f, 3); Put16(f, 0);
        return f;
    }
};

TEST(MetafileDecoderTest, CorpusMetafilesRenderAtTheirNaturalSize) {
    struct Case { const char *file; int width, height; };
    const Case cases[] = {
        {"drawing.wmf", 110, 110}, {"clock.wmf", 490, 495}, {"wizard.wmf", 490, 642},
        {"fulltest.wmf", 1056, 816}, {"symbol-font-tables.wmf", 567, 503}, {"test.wmf", 770, 649},
        {"test_libuemf_ref.wmf", 1122, 794}, {"drawing.emf", 110, 110}, {"fulltest.emf", 1056, 792},
        {"test.emf", 73, 71}, {"test-013.emf", 554, 663}, {"test-037.emf", 623, 467},
        {"test-124.emf", 157, 111}, {"test-183.emf", 1279, 721},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        TBitmap32 bmp;
        ASSERT_NO_THROW(DecodeMetafile(ReadCorpus(QString("metafile/") + c.file), bmp));
        EXPECT_NEAR(bmp.Width(), c.width, 2);
        EXPECT_NEAR(bmp.Height(), c.height, 2);
        // Something was drawn, and over white; alpha is opaque everywhere.
        size_t white = 0, other = 0;
        for (int i = 0; i < bmp.Width() * bmp.Height(); ++i) {
            ASSERT_EQ(AlphaOf(bmp.Bits()[i]), 255);
            (bmp.Bits()[i] == kWhite ? white : other)++;
        }
        EXPECT_GT(other, 0u);
    }
}

TEST(MetafileDecoderTest, CorpusDrawingsHaveTheirColoursInPlace) {
    // A red disc with a black outline. The EMF's disc fills its frame; the WMF's records place
    // it 263..1587 in a window of 0..1369 units, so it is shifted towards the bottom right.
    struct Case { const char *file; int cx, cy, outside; };
    for (const Case &c : {Case{"drawing.wmf", 74, 74, 10}, Case{"drawing.emf", 55, 55, 2}}) {
        SCOPED_TRACE(c.file);
        TBitmap32 bmp = Decode(ReadCorpus(QString("metafile/") + c.file));
        EXPECT_EQ(bmp.Pixel(c.cx, c.cy), kRed);
        EXPECT_EQ(bmp.Pixel(c.outside, c.outside), kWhite);
    }
}

TEST(MetafileDecoderTest, BadCorpusMetafilesAreRefused) {
    for (const char *file : {"bad_corrupted_2014-12-02-215338.emf", "bad_corrupted_2014-12-14-080539.emf",
                             "bad_corrupted_2014-12-02-215425.emf"}) {
        SCOPED_TRACE(file);
        TBitmap32 bmp;
        try {
            DecodeMetafile(ReadCorpus(QString("metafile/") + file), bmp);
            ADD_FAILURE() << "accepted";
        } catch (const OrvantaError &e) {
            EXPECT_EQ(e.Message(), "Cannot load image. Invalid or unexpected EMF image format.");
        }
    }
}

TEST(MetafileDecoderTest, WmfRectangleAtExactPixels) {
    Wmf w;
    w.RedBrushNoPen();
    w.Rect(10, 10, 20, 20);
    // 96 units per inch: one unit is one pixel.
    TBitmap32 bmp = Decode(w.Bytes(100, 50, 96));
    ASSERT_EQ(bmp.Width(), 100);
    ASSERT_EQ(bmp.Height(), 50);
    EXPECT_EQ(bmp.Pixel(10, 10), kRed);
    EXPECT_EQ(bmp.Pixel(19, 19), kRed);
    EXPECT_EQ(bmp.Pixel(9, 10), kWhite);
    EXPECT_EQ(bmp.Pixel(20, 15), kWhite);
    EXPECT_EQ(bmp.Pixel(15, 20), kWhite);
    EXPECT_EQ(bmp.Pixel(0, 0), kWhite);
}

TEST(MetafileDecoderTest, WmfWindowAndSizeCases) {
    struct Case {
        const char *name; int bw, bh, inch; std::vector<std::vector<int>> window;
        int lo, hi;   // the rectangle lo,lo .. hi,hi in logical units
        int w, h;     // picture size
        int x0, x1;   // first and last red pixel on the diagonal
    };
    const Case cases[] = {
        // A box of 1000 units at 1000 per inch is 96 pixels; 100..200 lands at 9.6..19.2.
        {"box scaled to 96 dpi", 1000, 1000, 1000, {}, 100, 200, 96, 96, 10, 18},
        // A window of 200 units from -50 shown over 100 pixels: 0..100 lands at 25..75.
        {"window origin and extent", 100, 100, 96, {{0x020B, -50, -50}, {0x020C, 200, 200}}, 0, 100, 100, 100, 25, 74},
        // Without the placeable header the size is the window extent (y first in the record).
        {"plain file sized by its window", 0, 0, 0, {{0x020B, 0, 0}, {0x020C, 60, 40}}, 10, 20, 40, 60, 10, 19},
        // A huge plain window is scaled down to 4096 on its longer side: 20..40 lands at 5.12..10.24.
        {"plain file with a huge window", 0, 0, 0, {{0x020C, 8000, 16000}}, 20, 40, 4096, 2048, 5, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Wmf w;
        for (const auto &rec : c.window) w.Rec(rec[0], {rec[1], rec[2]});
        w.RedBrushNoPen();
        w.Rect(c.lo, c.lo, c.hi, c.hi);
        TBitmap32 bmp = Decode(w.Bytes(c.bw, c.bh, c.inch));
        ASSERT_EQ(bmp.Width(), c.w);
        ASSERT_EQ(bmp.Height(), c.h);
        EXPECT_EQ(bmp.Pixel(c.x0, c.x0), kRed);
        EXPECT_EQ(bmp.Pixel(c.x1, c.x1), kRed);
        EXPECT_EQ(bmp.Pixel(c.x0 - 1, c.x0), kWhite);
        EXPECT_EQ(bmp.Pixel(c.x1 + 1, c.x1), kWhite);
    }
}

TEST(MetafileDecoderTest, WmfClippingAndSavedStates) {
    Wmf w;
    w.RedBrushNoPen();
    w.Rec(0x001E, {});                   // SaveDC
    w.Rec(0x0416, {100, 50, 0, 0});      // IntersectClipRect 0,0,50,100
    w.Rec(0x0415, {30, 20, 10, 10});     // ExcludeClipRect 10,10,20,30
    w.Rect(0, 0, 100, 50);
    w.Rec(0x0127, {0xFFFF});             // RestoreDC -1: no clip again
    w.Rec(0x02FC, {0, 0x0000, 0x00FF, 0});  // blue brush -> object 2
    w.Rec(0x012D, {2});
    w.Rect(60, 40, 100, 50);
    TBitmap32 bmp = Decode(w.Bytes(100, 50, 96));
    EXPECT_EQ(bmp.Pixel(0, 0), kRed);
    EXPECT_EQ(bmp.Pixel(49, 49), kRed);
    EXPECT_EQ(bmp.Pixel(50, 0), kWhite);   // outside the intersected clip
    EXPECT_EQ(bmp.Pixel(15, 20), kWhite);  // inside the excluded rectangle
    EXPECT_EQ(bmp.Pixel(9, 20), kRed);
    EXPECT_EQ(bmp.Pixel(70, 45), kBlue);   // after RestoreDC the clip is gone
}

TEST(MetafileDecoderTest, WmfLinesTextAndShortRecords) {
    Wmf w;
    w.Rec(0x0214, {5, 0});        // MoveTo 0,5
    w.Rec(0x0213, {5, 99});       // LineTo 99,5 with the default black pen
    w.Rec(0x02FA, {});            // CreatePenIndirect with no parameters: skipped, keeps slot 0
    w.Rec(0x02FC, {0, 0x00FF, 0, 0});  // red brush -> object 1
    w.Rec(0x012D, {1});
    w.Rec(0x041B, {1});           // Rectangle too short: skipped
    w.Rec(0x02FA, {5, 0, 0, 0, 0});    // null pen -> object 2
    w.Rec(0x012D, {2});
    w.Rect(0, 10, 10, 20);
    // TextOut "Hi" at 20, 20 with a 16-unit font.
    std::vector<int> lf = {-16, 0, 0, 0, 700, 0, 0, 0, 0};
    w.Rec(0x02FB, lf);            // -> object 3
    w.Rec(0x012D, {3});
    w.Rec(0x0521, {2, 'H' | ('i' << 8), 20, 20});
    TBitmap32 bmp = Decode(w.Bytes(100, 50, 96));
    EXPECT_EQ(bmp.Pixel(50, 5), kBlack);
    EXPECT_EQ(bmp.Pixel(50, 6), kWhite);
    EXPECT_EQ(bmp.Pixel(5, 15), kRed);
    int dark = 0;
    for (int y = 20; y < 40; ++y)
        for (int x = 20; x < 45; ++x) dark += RedOf(bmp.Pixel(x, y)) < 128;
    EXPECT_GT(dark, 10);  // the text was drawn below and right of its reference point
    for (int y = 7; y < 19; ++y)
        for (int x = 21; x < 45; ++x) ASSERT_NE(bmp.Pixel(x, y), kBlack) << x << "," << y << " above text";
}

TEST(MetafileDecoderTest, WmfObjectTableReusesTheLowestFreeSlot) {
    Wmf w;
    w.objects = 3;
    w.Rec(0x02FC, {0, 0x00FF, 0, 0});        // red brush -> 0
    w.Rec(0x02FC, {0, 0x0000, 0x00FF, 0});   // blue brush -> 1
    w.Rec(0x02FC, {0, 0xFF00, 0, 0});        // green brush -> 2 (table now full)
    w.Rec(0x02FA, {5, 0, 0, 0, 0});          // null pen: no free slot, dropped
    w.Rec(0x01F0, {0});                      // delete 0
    w.Rec(0x02FA, {5, 0, 0, 0, 0});          // null pen -> 0
    w.Rec(0x012D, {1});
    w.Rec(0x012D, {0});
    w.Rect(0, 0, 20, 20);
    TBitmap32 bmp = Decode(w.Bytes(40, 40, 96));
    EXPECT_EQ(bmp.Pixel(0, 0), kBlue);    // no outline: slot 0 holds the null pen
    EXPECT_EQ(bmp.Pixel(10, 10), kBlue);
    EXPECT_EQ(bmp.Pixel(20, 20), kWhite);
}

// --- EMF builder ------------------------------------------------------------------------------

struct Emf {
    QByteArray records;
    int count = 0;
    void Rec(int type, const QByteArray &body) {
        Put32(records, type);
        Put32(records, 8 + body.size());
        records += body;
        ++count;
    }
    void Ints(int type, const std::vector<int64_t> &v) {
        QByteArray b;
        for (int64_t x : v) Put32(b, x);
        Rec(type, b);
    }
    void RedBrushNoPen() {
        Ints(39, {1, 0, 0x0000FF, 0});  // CreateBrushIndirect ih 1 solid red
        Ints(37, {1});
        Ints(37, {0x80000008});         // NULL_PEN
    }
    void Rect(int l, int t, int r, int b) { Ints(43, {l, t, r, b}); }
    // Frame of 0..size pixels at 96 dpi on a 96-dpi reference device.
    QByteArray Bytes(int width = 96, int height = 96) const {
        QByteArray h;
        Put32(h, 1); Put32(h, 88);
        for (int v : {0, 0, width - 1, height - 1}) Put32(h, v);
        for (int v : {0, 0, width * 2540 / 96, height * 2540 / 96}) Put32(h, v);
        Put32(h, 0x464D4520); Put32(h, 0x10000);
        Put32(h, 88 + records.size() + 20); Put32(h, count + 2);
        Put16(h, 4); Put16(h, 0); Put32(h, 0); Put32(h, 0); Put32(h, 0);
        Put32(h, 960); Put32(h, 960); Put32(h, 254); Put32(h, 254);
        QByteArray eof;
        Put32(eof, 14); Put32(eof, 20); Put32(eof, 0); Put32(eof, 16); Put32(eof, 20);
        return h + records + eof;
    }
};

TEST(MetafileDecoderTest, EmfRectangleAtExactPixels) {
    Emf e;
    e.RedBrushNoPen();
    e.Rect(10, 10, 20, 20);
    TBitmap32 bmp = Decode(e.Bytes(96, 48));
    ASSERT_EQ(bmp.Width(), 96);
    ASSERT_EQ(bmp.Height(), 48);
    EXPECT_EQ(bmp.Pixel(10, 10), kRed);
    EXPECT_EQ(bmp.Pixel(19, 19), kRed);
    EXPECT_EQ(bmp.Pixel(9, 15), kWhite);
    EXPECT_EQ(bmp.Pixel(20, 15), kWhite);
}

TEST(MetafileDecoderTest, EmfMappingModesAndWorldTransform) {
    struct Case { const char *name; std::function<void(Emf &)> setup; int l, t, r, b; int x0, x1; };
    auto mode = [](Emf &e, int m) { e.Ints(17, {m}); };
    const Case cases[] = {
        {"text mode with window origin", [&](Emf &e) { e.Ints(10, {-10, -10}); }, 0, 0, 10, 10, 10, 19},
        {"anisotropic 10 units over 96 pixels", [&](Emf &e) { mode(e, 8); e.Ints(9, {10, 10}); e.Ints(11, {96, 96}); }, 0, 0, 5, 5, 0, 47},
        {"isotropic keeps the smaller scale", [&](Emf &e) { mode(e, 7); e.Ints(9, {10, 20}); e.Ints(11, {96, 96}); }, 0, 0, 10, 10, 0, 47},
        {"viewport origin", [&](Emf &e) { mode(e, 8); e.Ints(12, {30, 30}); }, 0, 0, 10, 10, 30, 39},
        // 0.01 mm units with y up: 1270 units are 12.7 mm, 48 pixels at 96 dpi.
        {"high metric, y up", [&](Emf &e) { mode(e, 3); }, 0, 0, 1270, -1270, 0, 47},
        {"low english: 0.01 inch", [&](Emf &e) { mode(e, 4); }, 0, 0, 50, -50, 0, 47},
        {"world transform scale 2", [&](Emf &e) {
             QByteArray x; PutF(x, 2); PutF(x, 0); PutF(x, 0); PutF(x, 2); PutF(x, 0); PutF(x, 0);
             e.Rec(35, x); }, 5, 5, 10, 10, 10, 19},
        {"world transform translated by modify (left multiply)", [&](Emf &e) {
             QByteArray x; PutF(x, 1); PutF(x, 0); PutF(x, 0); PutF(x, 1); PutF(x, 20); PutF(x, 20); Put32(x, 2);
             e.Rec(36, x); }, 0, 0, 10, 10, 20, 29},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Emf e;
        c.setup(e);
        e.RedBrushNoPen();
        e.Rect(c.l, c.t, c.r, c.b);
        TBitmap32 bmp = Decode(e.Bytes());
        EXPECT_EQ(bmp.Pixel(c.x0, c.x0), kRed);
        EXPECT_EQ(bmp.Pixel(c.x1, c.x1), kRed);
        if (c.x0 > 0) {
            EXPECT_EQ(bmp.Pixel(c.x0 - 1, c.x0 - 1), kWhite);
        }
        EXPECT_EQ(bmp.Pixel(c.x1 + 1, c.x1 + 1), kWhite);
    }
}

TEST(MetafileDecoderTest, EmfClipRegionsAndPaths) {
    Emf e;
    e.RedBrushNoPen();
    e.Ints(33, {});                       // SaveDC
    e.Ints(30, {0, 0, 48, 96});           // IntersectClipRect: left half
    e.Rect(0, 0, 96, 96);
    e.Ints(34, {-1});                     // RestoreDC
    // ExtSelectClipRgn RGN_COPY with one rectangle 60,0..70,10 (device units).
    QByteArray rgn;
    Put32(rgn, 48); Put32(rgn, 5);
    Put32(rgn, 32); Put32(rgn, 1); Put32(rgn, 1); Put32(rgn, 16);
    for (int v : {60, 0, 70, 10}) Put32(rgn, v);
    for (int v : {60, 0, 70, 10}) Put32(rgn, v);
    e.Rec(75, rgn);
    e.Rect(48, 0, 96, 96);
    e.Ints(75, {0, 5});                   // RGN_COPY with no region: clip off
    // A path: triangle filled blue.
    e.Ints(39, {2, 0, 0xFF0000, 0});
    e.Ints(37, {2});
    e.Ints(59, {});                       // BeginPath
    e.Ints(27, {50, 90});                 // MoveToEx
    e.Ints(54, {90, 90});                 // LineTo
    e.Ints(54, {90, 50});
    e.Ints(61, {});                       // CloseFigure
    e.Ints(60, {});                       // EndPath
    e.Ints(62, {0, 0, 96, 96});           // FillPath
    TBitmap32 bmp = Decode(e.Bytes());
    EXPECT_EQ(bmp.Pixel(10, 80), kRed);
    EXPECT_EQ(bmp.Pixel(47, 10), kRed);
    EXPECT_EQ(bmp.Pixel(50, 5), kWhite);   // outside the region
    EXPECT_EQ(bmp.Pixel(65, 5), kRed);     // inside the region
    EXPECT_EQ(bmp.Pixel(75, 5), kWhite);
    EXPECT_EQ(bmp.Pixel(85, 85), kBlue);   // inside the triangle
    EXPECT_EQ(bmp.Pixel(55, 55), kWhite);  // outside it
}

TEST(MetafileDecoderTest, EmfStretchDibitsPlacesRowsTheRightWayUp) {
    // A 2 x 2 24-bit bottom-up bitmap: bottom row red, blue; top row white, black.
    QByteArray dib;
    Put32(dib, 40); Put32(dib, 2); Put32(dib, 2); Put16(dib, 1); Put16(dib, 24);
    for (int i = 0; i < 6; ++i) Put32(dib, 0);
    const int bmiSize = dib.size();
    QByteArray bits;
    bits.append("\x00\x00\xff\xff\x00\x00\x00\x00", 8);  // bottom row: red, blue, padding
    bits.append("\xff\xff\xff\x00\x00\x00\x00\x00", 8);  // top row: white, black, padding
    const int headerSize = 80;  // record header and fixed fields
    QByteArray body;
    for (int v : {0, 0, 0, 0}) Put32(body, v);       // bounds
    for (int v : {10, 10, 0, 0, 2, 2}) Put32(body, v);  // xDest yDest xSrc ySrc cxSrc cySrc
    Put32(body, headerSize); Put32(body, bmiSize); Put32(body, headerSize + bmiSize); Put32(body, bits.size());
    Put32(body, 0); Put32(body, 0xCC0020); Put32(body, 20); Put32(body, 20);
    ASSERT_EQ(8 + body.size(), headerSize);
    Emf e;
    e.Rec(81, body + dib + bits);
    TBitmap32 bmp = Decode(e.Bytes());
    EXPECT_EQ(bmp.Pixel(12, 12), kWhite);
    EXPECT_EQ(bmp.Pixel(25, 12), kBlack);
    EXPECT_EQ(bmp.Pixel(12, 25), kRed);
    EXPECT_EQ(bmp.Pixel(25, 25), kBlue);
    EXPECT_EQ(bmp.Pixel(30, 30), kWhite);
}

// StretchDIBits of a 2 x 1 bitmap onto 0,0..20,10: the left half shows pixel 0, the right pixel 1.
QByteArray StretchDib(const QByteArray &info, const QByteArray &bits) {
    const int fixed = 80;
    QByteArray body;
    for (int v : {0, 0, 0, 0, 0, 0, 0, 0, 2, 1}) Put32(body, v);
    Put32(body, fixed); Put32(body, info.size()); Put32(body, fixed + info.size()); Put32(body, bits.size());
    Put32(body, 0); Put32(body, 0xCC0020); Put32(body, 20); Put32(body, 10);
    Emf e;
    e.Rec(81, body + info + bits);
    return e.Bytes();
}

QByteArray DibHeader(int bits, int compression, const std::vector<uint32_t> &colours) {
    QByteArray h;
    Put32(h, 40); Put32(h, 2); Put32(h, 1); Put16(h, 1); Put16(h, bits); Put32(h, compression);
    Put32(h, 0); Put32(h, 0); Put32(h, 0);       // image size, resolution
    Put32(h, int64_t(colours.size())); Put32(h, 0);  // colours used, important
    for (uint32_t c : colours) Put32(h, c);
    return h;
}

TEST(MetafileDecoderTest, BitmapDepthsAndCompressions) {
    const std::vector<uint32_t> pal = {0x00FF0000u, 0x000000FFu};  // RGBQUAD red, blue
    QByteArray fields = DibHeader(16, 3, {});
    Put32(fields, 0xF800); Put32(fields, 0x07E0); Put32(fields, 0x001F);  // 5-6-5 masks
    struct Case { const char *name; QByteArray info, bits; };
    const Case cases[] = {
        {"1 bit", DibHeader(1, 0, pal), QByteArray("\x40\0\0\0", 4)},
        {"4 bits", DibHeader(4, 0, pal), QByteArray("\x01\0\0\0", 4)},
        {"8 bits", DibHeader(8, 0, pal), QByteArray("\x00\x01\0\0", 4)},
        {"16 bits 5-5-5", DibHeader(16, 0, {}), QByteArray("\x00\x7c\x1f\x00", 4)},
        {"16 bits with bit fields 5-6-5", fields, QByteArray("\x00\xf8\x1f\x00", 4)},
        {"24 bits", DibHeader(24, 0, {}), QByteArray("\x00\x00\xff\xff\x00\x00\0\0", 8)},
        {"32 bits", DibHeader(32, 0, {}), QByteArray("\x00\x00\xff\x00\xff\x00\x00\x00", 8)},
        {"RLE8", DibHeader(8, 1, pal), QByteArray("\x01\x00\x01\x01\x00\x01", 6)},
        {"RLE4", DibHeader(4, 2, pal), QByteArray("\x02\x01\x00\x01", 4)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap32 bmp = Decode(StretchDib(c.info, c.bits));
        EXPECT_EQ(bmp.Pixel(5, 5), kRed);
        EXPECT_EQ(bmp.Pixel(15, 5), kBlue);
        EXPECT_EQ(bmp.Pixel(25, 5), kWhite);
    }
    // Bitmaps that do not hold what their header claims are skipped, not drawn.
    const Case bad[] = {
        {"rows missing", DibHeader(24, 0, {}), QByteArray("\x00\x00\xff", 3)},
        {"unknown compression", DibHeader(8, 9, pal), QByteArray(4, '\0')},
        {"RLE run past its data", DibHeader(8, 1, pal), QByteArray("\x00\x05\x01", 3)},
        {"depth 7", DibHeader(7, 0, pal), QByteArray(4, '\0')},
    };
    for (const Case &c : bad) {
        SCOPED_TRACE(c.name);
        TBitmap32 bmp = Decode(StretchDib(c.info, c.bits));
        EXPECT_EQ(bmp.Pixel(5, 5), kWhite);
    }
}

TEST(MetafileDecoderTest, BrokenMetafilesFailCleanly) {
    Emf good;
    good.RedBrushNoPen();
    good.Rect(0, 0, 10, 10);
    const QByteArray emf = good.Bytes();
    ASSERT_NO_THROW(Decode(emf));
    auto patched = [](QByteArray b, int at, int64_t v) { QByteArray x; Put32(x, v); b.replace(at, 4, x); return b; };
    const int firstRecord = 88;
    Emf poly;
    poly.Ints(4, {0, 0, 10, 10, 0x40000000, 1, 2});  // Polyline claiming 2^30 points
    Emf shortPen;
    shortPen.Ints(38, {});                           // CreatePen with no fields
    Emf hugeDib;  // StretchDIBits of a 100000 x 100000 bitmap with no pixel data
    {
        QByteArray body;
        for (int64_t v : {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 80, 40, 120, 0, 0, 0xCC0020, 10, 10}) Put32(body, v);
        QByteArray dib;
        Put32(dib, 40); Put32(dib, 100000); Put32(dib, 100000); Put16(dib, 1); Put16(dib, 24);
        for (int i = 0; i < 6; ++i) Put32(dib, 0);
        hugeDib.Rec(81, body + dib);
    }
    Wmf plain;
    plain.RedBrushNoPen();  // no SetWindowExt: no size
    Wmf wmf;
    wmf.RedBrushNoPen();
    const QByteArray wmfBytes = wmf.Bytes(100, 100, 96);
    struct Case { const char *name; QByteArray data; const char *format; };
    const Case cases[] = {
        {"empty", QByteArray(), "WMF"},
        {"garbage", QByteArray("not a metafile at all, really"), "WMF"},
        {"EMF header cut short", emf.left(60), "EMF"},
        {"EMF header size beyond file", patched(emf, 4, 100000), "EMF"},
        {"EMF header size below minimum", patched(emf, 4, 40), "EMF"},
        {"EMF description beyond header", patched(emf, 60, 0x7FFFFFFF), "EMF"},
        {"EMF record size beyond file", patched(emf, firstRecord + 4, 0x10000), "EMF"},
        {"EMF record size below 8", patched(emf, firstRecord + 4, 4), "EMF"},
        {"EMF frame too large", patched(emf, 32, 0x7FFFFFFF), "EMF"},
        {"EMF empty frame and bounds", patched(patched(emf, 32, 0), 16, -5), "EMF"},
        {"EMF polyline with too many points", poly.Bytes(), "EMF"},
        {"EMF zero-size pen record", shortPen.Bytes(), "EMF"},
        {"WMF plain without window", plain.Bytes(0, 0, 0), "WMF"},
        {"WMF header size wrong", [&] { QByteArray b = wmfBytes; b[24] = 5; return b; }(), "WMF"},
        {"WMF huge placeable box", [&] { QByteArray b = wmfBytes; b[10] = char(0xff); b[11] = 0x7f; b[12] = char(0xff); b[13] = 0x7f; b[14] = 1; b[15] = 0; return b; }(), "WMF"},
        {"WMF empty placeable box", [&] { QByteArray b = wmfBytes; b[10] = 0; b[11] = 0; return b; }(), "WMF"},
        {"WMF placeable header only", wmfBytes.left(30), "WMF"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap32 bmp;
        try {
            DecodeMetafile(c.data, bmp);
            ADD_FAILURE() << "accepted";
        } catch (const OrvantaError &e) {
            EXPECT_EQ(e.Message(), QString("Cannot load image. Invalid or unexpected %1 image format.").arg(c.format));
        }
    }
    // A bitmap record whose bitmap claims more than it holds is skipped, not fatal.
    EXPECT_NO_THROW(Decode(hugeDib.Bytes()));
    // A truncated WMF record list plays what came before the cut.
    EXPECT_NO_THROW(Decode(wmfBytes.left(wmfBytes.size() - 9)));
}

TEST(MetafileDecoderTest, SizeLimitIsEnforced) {
    Emf e;
    e.Rect(0, 0, 10, 10);
    TBitmap32 bmp;
    EXPECT_THROW(DecodeMetafile(e.Bytes(200, 200), bmp, 100 * 100), OrvantaError);
    EXPECT_NO_THROW(DecodeMetafile(e.Bytes(100, 100), bmp, 100 * 100));
}

} // namespace
