// TBitmap32 without a display: sizing, filling, mirroring, DrawStretched and the refusal to
// draw text without a running application.

#include "picture/Bitmap32.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

TEST(Bitmap32, SizeAndLayout) {
    TBitmap32 b(3, 2);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(b.BoundsRect(), (PixelRect{0, 0, 3, 2}));
    b.SetPixel(2, 1, Color32(1, 2, 3, 4));
    // Rows top-down without gaps; 0xAARRGGBB, so bytes blue, green, red, alpha in memory.
    EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), 3);
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(b.Bits() + 5);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(bytes[3], 4);
    b.SetSize(-5, 7);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
}

TEST(Bitmap32, SetSizeForOverwriteReusesTheMemoryAndSetSizeStillClears) {
    TBitmap32 b(40, 30);
    b.Clear(Color32(9, 9, 9));
    const TColor32 *memory = b.Bits();
    // Same or fewer pixels: the same block, nothing cleared, nothing copied.
    for (auto [w, h] : {std::pair{40, 30}, std::pair{30, 40}, std::pair{7, 5}}) {
        b.SetSizeForOverwrite(w, h);
        EXPECT_EQ(b.Width(), w);
        EXPECT_EQ(b.Height(), h);
        EXPECT_EQ(b.Bits(), memory);
    }
    b.SetSizeForOverwrite(100, 100); // more pixels: a new block, every pixel writable
    std::fill(b.Bits(), b.Bits() + 100 * 100, Color32(1, 2, 3));
    b.SetSize(100, 100);
    EXPECT_TRUE(std::all_of(b.Bits(), b.Bits() + 100 * 100, [](TColor32 c) { return c == 0; }));
    b.SetSizeForOverwrite(-3, 5);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
}

TEST(Bitmap32, FillRectIsClippedToTheBitmap) {
    struct Case {
        PixelRect r;
        int filled;
    } cases[] = {
        {{1, 1, 3, 4}, 6},        {{-5, -5, 2, 2}, 4},      {{4, 3, 100, 100}, 4},
        {{3, 3, 3, 9}, 0},        {{5, 1, 2, 4}, 0},        {{-10, -10, 10, 10}, 30},
        {{6, 0, 9, 5}, 0},        {{0, 0, 6, 5}, 30},
    };
    for (const Case &c : cases) {
        TBitmap32 b(6, 5);
        b.Clear(0);
        b.FillRect(c.r, 0xFF112233u);
        int filled = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool inside = x >= c.r.Left && x < c.r.Right && y >= c.r.Top && y < c.r.Bottom;
                EXPECT_EQ(b.Pixel(x, y), inside ? 0xFF112233u : 0u);
                filled += inside;
            }
        EXPECT_EQ(filled, c.filled);
    }
}

TEST(Bitmap32, MirrorLeftRightInPlace) {
    for (int w : {1, 2, 5, 8}) {
        TBitmap32 b(w, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x)
                b.SetPixel(x, y, TColor32(y * 100 + x));
        const TColor32 *before = b.Bits();
        b.MirrorLeftRight();
        EXPECT_EQ(b.Bits(), before);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(b.Pixel(x, y), TColor32(y * 100 + (w - 1 - x))) << w;
        b.MirrorLeftRight();
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(b.Pixel(x, 2), TColor32(200 + x));
    }
    TBitmap32 empty;
    empty.MirrorLeftRight();
    EXPECT_TRUE(empty.Empty());
}

TEST(Bitmap32, DrawStretchedUsesTheSourceFilterAndClipsToTheDestination) {
    TBitmap32 src(2, 1);
    src.SetPixel(0, 0, Color32(0, 0, 0));
    src.SetPixel(1, 0, Color32(255, 255, 255));
    TBitmap32 dst(4, 1);
    dst.Clear(0);
    src.StretchFilter = sfNearest;
    src.DrawStretched(dst, {0, 0, 4, 1});
    EXPECT_EQ(dst.Pixel(1, 0), Color32(0, 0, 0));
    EXPECT_EQ(dst.Pixel(2, 0), Color32(255, 255, 255));
    src.StretchFilter = sfLinear; // one row: the Linear kernel blends the middle
    src.DrawStretched(dst, {0, 0, 4, 1});
    EXPECT_NE(dst.Pixel(1, 0), Color32(0, 0, 0));
    // A rectangle hanging over the right edge: only the pixels inside are drawn.
    dst.Clear(0x01020304u);
    src.StretchFilter = sfNearest;
    src.DrawStretched(dst, {2, 0, 6, 1});
    EXPECT_EQ(dst.Pixel(0, 0), 0x01020304u);
    EXPECT_EQ(dst.Pixel(1, 0), 0x01020304u);
    EXPECT_EQ(dst.Pixel(2, 0), Color32(0, 0, 0));
    EXPECT_EQ(dst.Pixel(3, 0), Color32(0, 0, 0));

    TBitmap32 empty;
    try {
        src.DrawStretched(empty, {0, 0, 4, 4});
        FAIL();
    } catch (const OrvantaError &e) {
        EXPECT_EQ(e.Message(), QString("Destination bitmap is nil or empty"));
    }
    empty.DrawStretched(dst, {0, 0, 4, 1}); // an empty source draws nothing, raises nothing
}

TEST(Bitmap32, TextNeedsARunningApplication) {
    TBitmap32 b(50, 20);
    b.Clear(0xFFFFFFFFu);
    EXPECT_THROW(b.DrawTextInRect({0, 0, 50, 20}, "text"), OrvantaError);
    for (int i = 0; i < 50 * 20; ++i)
        ASSERT_EQ(b.Bits()[i], 0xFFFFFFFFu);
}

TEST(Bitmap32, FontDefaults) {
    TBitmap32 b;
    EXPECT_EQ(b.Font.Name, QString("MS Sans Serif"));
    EXPECT_EQ(b.Font.PixelHeight(), 11); // 8 points at 96 dots per inch
    EXPECT_EQ(b.StretchFilter, sfNearest);
}
