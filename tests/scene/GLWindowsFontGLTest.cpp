// The bitmap font painted from the system font: measured cells, the atlas size it picks, the
// glyphs it paints, italic spacing, and the too-large error.
#include "scene/GLWindowsFont.h"

#include "platform/Errors.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <limits>

namespace {

TGLFontDescription BoldFont(int pixels) {
    TGLFontDescription d;
    d.Height = -pixels;
    d.Bold = true;
    return d;
}

TEST(WindowsFont, StandsInWithTheSystemSansSerif) {
    TGLWindowsBitmapFont font(BoldFont(13));
    const QFontInfo info(font.SystemFont());
    EXPECT_TRUE(info.family().contains("DejaVu") || info.family().contains("Liberation")) << info.family().toStdString();
    EXPECT_EQ(info.pixelSize(), 13);
    EXPECT_TRUE(info.bold());
    EXPECT_EQ(font.GlyphsAlpha(), tiaAlphaFromIntensity);
    ASSERT_EQ(font.Ranges().Count(), 1);
    EXPECT_EQ(font.Ranges().Items(0).StartASCII(), 32);
    EXPECT_EQ(font.Ranges().Items(0).StopASCII(), 125);
}

TEST(WindowsFont, CellsFromTheMeasuredCharacters) {
    TGLWindowsBitmapFont font(BoldFont(13));
    const QFontMetrics fm(font.SystemFont());
    const int widest = std::max({fm.horizontalAdvance("M"), fm.horizontalAdvance("W"), fm.horizontalAdvance("_")});
    EXPECT_EQ(font.CharWidth(), widest + 2);
    EXPECT_EQ(font.CharHeight(), fm.height() + 2);
    EXPECT_EQ(font.ItalicFix(), 0);
    EXPECT_EQ(font.CharWidths('i'), fm.horizontalAdvance("i"));
    EXPECT_GT(font.CharWidths(' '), 0);
    EXPECT_EQ(font.CharWidths('~'), 0);
    EXPECT_EQ(font.CharWidths(31), 0);
}

struct FontCase {
    const char *name;
    int pixels;
};

class WindowsFontAtlas : public ::testing::TestWithParam<FontCase> {};

// The atlas is the least area that places all 94 glyphs: every smaller size leaves some out.
TEST_P(WindowsFontAtlas, LeastAreaThatHoldsEveryGlyph) {
    TGLWindowsBitmapFont font(BoldFont(GetParam().pixels));
    const QImage &atlas = font.GlyphPicture();
    ASSERT_FALSE(atlas.isNull());
    const long area = long(atlas.width()) * atlas.height();
    EXPECT_EQ(font.LayoutGlyphs(atlas.width(), atlas.height()), 94);
    for (int h : {64, 128, 256, 512})
        for (int w : {64, 128, 256, 512}) {
            if (long(w) * h < area) {
                EXPECT_LT(font.LayoutGlyphs(w, h), 94) << w << " x " << h;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(WindowsFont, WindowsFontAtlas,
                         ::testing::Values(FontCase{"Bold13", 13}, FontCase{"Bold32", 32}, FontCase{"Bold8", 8}),
                         [](const ::testing::TestParamInfo<FontCase> &info) { return std::string(info.param.name); });

// Inside the cell of 'H' there is white; between the cells the atlas stays black.
TEST(WindowsFont, PaintsGlyphsIntoTheirCells) {
    TGLWindowsBitmapFont font(BoldFont(13));
    const QImage &atlas = font.GlyphPicture();
    const int w = atlas.width(), h = atlas.height();
    const TGlyphRect r = font.CharRects('H');
    const int left = int(r.Left * w), right = int(r.Right * w);
    const int top = int(h - r.Top * h), bottom = int(h - r.Bottom * h);
    int white = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (qRed(atlas.pixel(x, y)) > 200) ++white;
    EXPECT_GT(white, 10);
    // The blank's cell is black throughout.
    const TGlyphRect b = font.CharRects(' ');
    for (int y = int(h - b.Top * h); y < int(h - b.Bottom * h); ++y)
        for (int x = int(b.Left * w); x < int(b.Right * w); ++x) EXPECT_EQ(qRed(atlas.pixel(x, y)), 0);
}

TEST(WindowsFont, ItalicWidensTheCellAndFixesTheSpacing) {
    TGLFontDescription d = BoldFont(13);
    TGLWindowsBitmapFont upright(d);
    d.Italic = true;
    TGLWindowsBitmapFont italic(d);
    const QFontMetrics fm(italic.SystemFont());
    const int cell = std::max({fm.horizontalAdvance("M"), fm.horizontalAdvance("W"), fm.horizontalAdvance("_")}) + 2;
    EXPECT_EQ(italic.ItalicFix(), -(cell / 3));
    EXPECT_EQ(italic.CharWidth(), cell + cell / 3);
    EXPECT_EQ(italic.CharWidths('A'), fm.horizontalAdvance("A") + cell / 3);
}

TEST(WindowsFont, TooLargeForTheAtlas) {
    TGLWindowsBitmapFont font(BoldFont(13));
    TGLFontDescription huge = BoldFont(200);
    try {
        font.SetFont(huge);
        FAIL() << "no error";
    } catch (const OrvantaError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Characters are too large or too many. Unable to create font texture."));
    }
    // The size falls back to 6 and nothing is left to draw from.
    EXPECT_EQ(font.Font().Size(), 6);
    EXPECT_TRUE(font.GlyphPicture().isNull());
    EXPECT_EQ(font.CharWidths('A'), 0);
    // A font that fits again builds a new atlas.
    font.SetFont(BoldFont(13));
    EXPECT_FALSE(font.GlyphPicture().isNull());
    // Absurd heights are refused the same way.
    TGLFontDescription absurd = BoldFont(13);
    absurd.Height = std::numeric_limits<int>::min();
    EXPECT_THROW(font.SetFont(absurd), OrvantaError);
    absurd.Height = std::numeric_limits<int>::max();
    EXPECT_THROW(font.SetFont(absurd), OrvantaError);
}

// On a screen of device pixel ratio 2 the atlas is painted at twice the resolution: the same
// layout, widths and rectangles, and the glyph at the same place of a picture twice the size.
TEST(WindowsFont, DoubleResolutionAtlasKeepsTheLayout) {
    TGLWindowsBitmapFont font(BoldFont(13));
    const QImage single = font.GlyphPicture();
    const TGlyphRect h1 = font.CharRects('H');
    const int widthH = font.CharWidths('H');
    font.SetAtlasScale(2);
    EXPECT_TRUE(font.TextureDirty());
    font.BuildGlyphAtlas();
    const QImage &twice = font.GlyphPicture();
    EXPECT_EQ(twice.size(), single.size() * 2);
    EXPECT_EQ(font.CharWidths('H'), widthH);
    const TGlyphRect h2 = font.CharRects('H');
    EXPECT_FLOAT_EQ(h2.Left, h1.Left);
    EXPECT_FLOAT_EQ(h2.Top, h1.Top);
    // The lit texels of 'H' cover the same fraction of the atlas.
    auto litCentre = [](const QImage &image, const TGlyphRect &r) {
        const int w = image.width(), h = image.height();
        double sx = 0, n = 0;
        for (int y = int(h - r.Top * h); y < int(h - r.Bottom * h); ++y)
            for (int x = int(r.Left * w); x < int(r.Right * w); ++x)
                if (qRed(image.pixel(x, y)) > 128) {
                    sx += double(x) / w;
                    ++n;
                }
        return n > 0 ? sx / n : -1.0;
    };
    EXPECT_NEAR(litCentre(twice, h2), litCentre(single, h1), 1.0 / single.width());
}

TEST(WindowsFont, ChangingTheRangesRebuilds) {
    TGLWindowsBitmapFont font(BoldFont(13));
    const QSize before = font.GlyphPicture().size();
    font.Ranges().Items(0).SetStopASCII(40);
    EXPECT_EQ(font.CharWidths('A'), 0);
    EXPECT_GT(font.CharWidths('('), 0);
    EXPECT_LE(font.GlyphPicture().width() * font.GlyphPicture().height(), before.width() * before.height());
    EXPECT_EQ(font.GlyphPicture().size(), QSize(64, 64));
}

} // namespace
