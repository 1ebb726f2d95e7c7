// Text drawn into a TBitmap32: it lands inside its rectangle, in the font colour, wraps
// between words and breaks at line breaks.

#include "picture/Bitmap32.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const TColor32 kPaper = Color32(255, 255, 255);

// Rows of the bitmap that hold any pixel other than paper, grouped into bands of adjacent rows.
std::vector<std::pair<int, int>> InkBands(const TBitmap32 &b) {
    std::vector<std::pair<int, int>> bands;
    bool inBand = false;
    for (int y = 0; y < b.Height(); ++y) {
        bool ink = false;
        for (int x = 0; x < b.Width(); ++x)
            ink |= b.Pixel(x, y) != kPaper;
        if (ink && !inBand)
            bands.push_back({y, y});
        if (ink)
            bands.back().second = y;
        inBand = ink;
    }
    return bands;
}

} // namespace

TEST(Bitmap32Text, LandsInsideItsRectangle) {
    TBitmap32 b(300, 120);
    b.Clear(kPaper);
    b.Font.Color = Color32(200, 0, 0);
    const PixelRect r{20, 30, 160, 90};
    b.DrawTextInRect(r, "The quick brown fox jumps over the lazy dog again and again and again");
    int ink = 0, reddish = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 300; ++x) {
            const TColor32 p = b.Pixel(x, y);
            if (p == kPaper)
                continue;
            ++ink;
            ASSERT_TRUE(x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) << x << "," << y;
            // Antialiased ink lies between paper and the font colour: red stays high.
            reddish += RedOf(p) >= 200 && GreenOf(p) < 100;
        }
    EXPECT_GT(ink, 100);
    EXPECT_GT(reddish, 20);
}

TEST(Bitmap32Text, WrapsBetweenWordsAndBreaksAtLineBreaks) {
    TBitmap32 b(400, 200);
    b.Clear(kPaper);
    b.DrawTextInRect({0, 0, 400, 200}, "one line only");
    EXPECT_EQ(InkBands(b).size(), 1u);

    b.Clear(kPaper);
    b.DrawTextInRect({0, 0, 60, 200}, "alpha beta gamma delta");
    EXPECT_GE(InkBands(b).size(), 3u); // too narrow for two words a line

    b.Clear(kPaper);
    b.DrawTextInRect({0, 0, 400, 200}, "Cannot load:\r\nphoto.jpg");
    const auto bands = InkBands(b);
    ASSERT_EQ(bands.size(), 2u);
    // Lines are about one font height apart.
    EXPECT_GE(bands[1].first - bands[0].first, b.Font.PixelHeight());
    EXPECT_LE(bands[1].first - bands[0].first, 2 * b.Font.PixelHeight() + 2);
}

TEST(Bitmap32Text, FontSizeAndBoldChangeTheInk) {
    auto inkOf = [](int size, unsigned style) {
        TBitmap32 b(400, 100);
        b.Clear(kPaper);
        b.Font.Size = size;
        b.Font.Style = style;
        b.DrawTextInRect({0, 0, 400, 100}, "Sample");
        int ink = 0;
        for (int i = 0; i < 400 * 100; ++i)
            ink += b.Bits()[i] != kPaper;
        auto bands = InkBands(b);
        return std::pair{ink, bands.empty() ? 0 : bands[0].second - bands[0].first + 1};
    };
    const auto small = inkOf(8, 0), big = inkOf(24, 0), bold = inkOf(8, fsBold);
    EXPECT_GT(big.second, 2 * small.second);
    EXPECT_GT(bold.first, small.first);
}

TEST(Bitmap32Text, RectanglesOutsideTheBitmapAreHarmless) {
    TBitmap32 b(40, 20);
    b.Clear(kPaper);
    b.DrawTextInRect({-100, -100, -10, -10}, "nothing");
    b.DrawTextInRect({30, 10, 500, 500}, "clipped at the edges");
    b.DrawTextInRect({5, 5, 5, 30}, "empty");
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(b.Pixel(x, y), kPaper) << x << "," << y;
}
