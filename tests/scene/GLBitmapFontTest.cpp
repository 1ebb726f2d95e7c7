// Bitmap font arithmetic without a window: text widths, alignment and layout offsets, carriage
// returns, codes outside the ranges, the atlas layout and the atlas size choice.
#include "scene/GLBitmapFont.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// A font whose char widths are set by hand instead of measured from a system font.
class FixedWidthFont : public TGLCustomBitmapFont {
public:
    // Every code of the ranges gets the same width.
    void SetUniformWidths(int width) {
        ClearGlyphs();
        for (int r = 0; r < Ranges().Count(); ++r)
            for (int c = Ranges().Items(r).StartASCII(); c <= Ranges().Items(r).StopASCII(); ++c) SetCharWidthOf(c, width);
    }
    void SetWidth(int code, int width) { SetCharWidthOf(code, width); }
    int rangeNotices = 0;

protected:
    void RangesChanged() override { ++rangeNotices; }
};

struct CountingUser : BitmapFontUser {
    int count = 0;
    void BitmapFontChanged() override { ++count; }
};

// The main window's layout: codes 32 to 125, 16-pixel lines, one pixel of spacing.
FixedWidthFont &StandardFont(FixedWidthFont &font, int width) {
    font.Ranges().Add(32, 125);
    font.SetUniformWidths(width);
    return font;
}

TEST(BitmapFont, Defaults) {
    FixedWidthFont font;
    EXPECT_EQ(font.CharWidth(), 16);
    EXPECT_EQ(font.CharHeight(), 16);
    EXPECT_EQ(font.HSpace(), 1);
    EXPECT_EQ(font.VSpace(), 1);
    EXPECT_EQ(font.ItalicFix(), 0);
    EXPECT_EQ(font.MinFilter(), miLinear);
    EXPECT_EQ(font.MagFilter(), maLinear);
    EXPECT_EQ(font.Ranges().Count(), 0);
    EXPECT_TRUE(font.GlyphPicture().isNull());
}

TEST(BitmapFont, SetterLimits) {
    FixedWidthFont font;
    font.SetCharWidth(1);
    EXPECT_EQ(font.CharWidth(), 1);
    font.SetCharWidth(-7);
    EXPECT_EQ(font.CharWidth(), 1);
    font.SetCharHeight(0);
    EXPECT_EQ(font.CharHeight(), 1);
    font.SetCharHeight(2);
    EXPECT_EQ(font.CharHeight(), 2);
    font.SetHSpace(-3);
    EXPECT_EQ(font.HSpace(), 0);
    font.SetVSpace(-1);
    EXPECT_EQ(font.VSpace(), 0);
}

TEST(BitmapFont, RangeEndsPushEachOther) {
    FixedWidthFont font;
    TBitmapFontRange &range = font.Ranges().Add(40, 50);
    range.SetStartASCII(60);
    EXPECT_EQ(range.StartASCII(), 60);
    EXPECT_EQ(range.StopASCII(), 60);
    range.SetStopASCII(20);
    EXPECT_EQ(range.StartASCII(), 20);
    EXPECT_EQ(range.StopASCII(), 20);
    range.SetStartGlyphIdx(-4);
    EXPECT_EQ(range.StartGlyphIdx(), 0);
    // A stop given below the start is raised to it.
    TBitmapFontRange &other = font.Ranges().Add(100, 90);
    EXPECT_EQ(other.StopASCII(), 100);
    EXPECT_EQ(font.Ranges().CharacterCount(), 2);
    EXPECT_GE(font.rangeNotices, 4);
}

TEST(BitmapFont, FilterChangeMarksTextureDirtyAndTellsUsers) {
    FixedWidthFont font;
    CountingUser user;
    font.RegisterUser(&user);
    font.SetMinFilter(miNearest);
    font.SetMagFilter(maNearest);
    EXPECT_TRUE(font.TextureDirty());
    EXPECT_EQ(user.count, 2);
    font.SetMagFilter(maNearest); // unchanged: no notice
    EXPECT_EQ(user.count, 2);
    font.UnregisterUser(&user);
    EXPECT_EQ(font.UserCount(), 0);
}

TEST(BitmapFont, AtlasScaleFollowsThePixelRatio) {
    EXPECT_EQ(TGLCustomBitmapFont::AtlasScaleFor(1.0f), 1);
    EXPECT_EQ(TGLCustomBitmapFont::AtlasScaleFor(0.5f), 1);
    EXPECT_EQ(TGLCustomBitmapFont::AtlasScaleFor(1.25f), 2);
    EXPECT_EQ(TGLCustomBitmapFont::AtlasScaleFor(2.0f), 2);
    EXPECT_EQ(TGLCustomBitmapFont::AtlasScaleFor(3.0f), 4);
    FixedWidthFont font;
    font.SetAtlasScale(3);
    EXPECT_EQ(font.AtlasScale(), 2);
    font.SetAtlasScale(0);
    EXPECT_EQ(font.AtlasScale(), 1);
}

TEST(BitmapFont, TextWidthOf) {
    FixedWidthFont font;
    StandardFont(font, 10);
    font.SetWidth('W', 14);
    // length x (ItalicFix + HSpace) - HSpace + the sum of the widths.
    EXPECT_EQ(font.TextWidthOf("A"), 10);
    EXPECT_EQ(font.TextWidthOf("AW"), 2 * 1 - 1 + 10 + 14);
    EXPECT_EQ(font.TextWidthOf("A W"), 3 - 1 + 10 + 10 + 14);
    font.SetHSpace(3);
    font.SetItalicFix(-2);
    EXPECT_EQ(font.TextWidthOf("AW"), 2 * (-2 + 3) - 3 + 24);
}

TEST(BitmapFont, CodesOutsideTheRangesHaveNoWidth) {
    FixedWidthFont font;
    StandardFont(font, 10);
    EXPECT_EQ(font.CharWidths('~'), 0);   // 126 is past the range
    EXPECT_EQ(font.CharWidths(31), 0);
    EXPECT_EQ(font.CharWidths(0x263A), 0); // beyond the 256 codes
    // Such a character adds only its spacing share, no glyph width.
    EXPECT_EQ(font.TextWidthOf("A~"), font.TextWidthOf("A") + 1);
    EXPECT_EQ(font.TextWidthOf(QString("A") + QChar(0x263A)), font.TextWidthOf("A") + 1);
}

struct AlignmentCase {
    const char *name;
    int width; // of every glyph
    const char *text;
    TAlignment alignment;
    int expected;
};

class AlignmentOffsetTest : public ::testing::TestWithParam<AlignmentCase> {};

TEST_P(AlignmentOffsetTest, FirstLine) {
    const AlignmentCase &c = GetParam();
    FixedWidthFont font;
    StandardFont(font, c.width);
    EXPECT_EQ(font.AlignmentOffset(QString::fromLatin1(c.text), 0, c.alignment), c.expected);
}

// Widths: "AB" with glyphs of 3 is 2 - 1 + 6 = 7; "ABC" is 3 - 1 + 9 = 11; "A" of 8 is 8.
INSTANTIATE_TEST_SUITE_P(
    BitmapFont, AlignmentOffsetTest,
    ::testing::Values(AlignmentCase{"Left", 3, "AB", taLeftJustify, 0},
                      AlignmentCase{"Right", 3, "AB", taRightJustify, -7},
                      AlignmentCase{"CentreHalfGoesToEven", 3, "AB", taCenter, -4},    // -3.5
                      AlignmentCase{"CentreOtherHalfToEven", 3, "ABCD", taCenter, -8}, // 4 - 1 + 12 = 15: -7.5
                      AlignmentCase{"CentreOddWidth", 3, "ABC", taCenter, -6},         // -5.5 -> -6
                      AlignmentCase{"CentreEvenWidth", 8, "A", taCenter, -4},
                      AlignmentCase{"RightStopsAtCarriageReturn", 3, "AB\rABCDE", taRightJustify, -7}),
    [](const ::testing::TestParamInfo<AlignmentCase> &info) { return std::string(info.param.name); });

TEST(BitmapFont, AlignmentOfTheFollowingLine) {
    FixedWidthFont font;
    StandardFont(font, 3);
    const QString text = "AB\rABCDE";
    // The second line starts after the carriage return: 5 - 1 + 15 = 19.
    EXPECT_EQ(font.AlignmentOffset(text, 3, taRightJustify), -19);
    EXPECT_EQ(font.AlignmentOffset(text, 3, taCenter), -10); // -9.5 -> -10
    EXPECT_EQ(font.AlignmentOffset(text, 3, taLeftJustify), 0);
}

struct LayoutCase {
    const char *name;
    const char *text;
    int charHeight;
    int vSpace;
    TTextLayout layout;
    int expected;
};

class LayoutOffsetTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutOffsetTest, Offset) {
    const LayoutCase &c = GetParam();
    FixedWidthFont font;
    StandardFont(font, 10);
    font.SetCharHeight(c.charHeight);
    font.SetVSpace(c.vSpace);
    EXPECT_EQ(font.LayoutOffset(QString::fromLatin1(c.text), c.layout), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    BitmapFont, LayoutOffsetTest,
    ::testing::Values(LayoutCase{"TopIsZero", "A\rB", 16, 1, tlTop, 0},
                      LayoutCase{"BottomOneLine", "A", 16, 1, tlBottom, 16},
                      // Two lines standing on the anchor: the first line's top is 2 x 16 + 1 above.
                      LayoutCase{"BottomTwoLines", "A\rB", 16, 1, tlBottom, 33},
                      LayoutCase{"CentreOneLine", "A", 16, 1, tlCenter, 8},
                      LayoutCase{"CentreTwoLinesHalfToEven", "A\rB", 16, 1, tlCenter, 16}, // 16.5
                      LayoutCase{"CentreThreeLines", "A\rB\rC", 16, 1, tlCenter, 25},     // 50 / 2
                      LayoutCase{"CentreOddHalfUp", "A", 15, 0, tlCenter, 8},             // 7.5 -> 8
                      LayoutCase{"LineFeedIsNoLineBreak", "A\nB", 16, 1, tlBottom, 16}),
    [](const ::testing::TestParamInfo<LayoutCase> &info) { return std::string(info.param.name); });

struct AtlasCase {
    const char *name;
    int glyphWidth;
    int charHeight;
    int atlasWidth;
    int atlasHeight;
    int placed; // glyphs of codes 32..125 that LayoutGlyphs places
};

class LayoutGlyphsTest : public ::testing::TestWithParam<AtlasCase> {};

// 94 glyphs of width 10 take cells of 12 pixels: 5 per row at 64, 10 at 128, 21 at 256, 42 at
// 512. The last glyph of the last row that fits is not counted when the next row does not fit.
TEST_P(LayoutGlyphsTest, Count) {
    const AtlasCase &c = GetParam();
    FixedWidthFont font;
    StandardFont(font, c.glyphWidth);
    font.SetCharHeight(c.charHeight);
    EXPECT_EQ(font.LayoutGlyphs(c.atlasWidth, c.atlasHeight), c.placed);
}

INSTANTIATE_TEST_SUITE_P(BitmapFont, LayoutGlyphsTest,
                         ::testing::Values(AtlasCase{"W64H64", 10, 16, 64, 64, 19},
                                           AtlasCase{"W128H128", 10, 16, 128, 128, 79},
                                           AtlasCase{"W64H256", 10, 16, 64, 256, 79},
                                           AtlasCase{"W256H64", 10, 16, 256, 64, 83},
                                           AtlasCase{"W256H128", 10, 16, 256, 128, 94},
                                           AtlasCase{"W128H256", 10, 16, 128, 256, 94},
                                           AtlasCase{"W512H64", 10, 16, 512, 64, 94}),
                         [](const ::testing::TestParamInfo<AtlasCase> &info) { return std::string(info.param.name); });

TEST(BitmapFont, AtlasSizeEqualAreasPreferTheSquarerThenTheFirst) {
    FixedWidthFont font;
    StandardFont(font, 10);
    // 256 x 128, 128 x 256, 512 x 64 and 64 x 512 all hold the 94 glyphs with the least area;
    // the squarer two tie and the first found (outer loop over the height) wins.
    int w = 0, h = 0;
    ASSERT_TRUE(font.ChooseAtlasSize(w, h));
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 128);
}

TEST(BitmapFont, AtlasSizeOfFewGlyphs) {
    FixedWidthFont font;
    font.Ranges().Add('A', 'J');
    font.SetUniformWidths(10);
    int w = 0, h = 0;
    ASSERT_TRUE(font.ChooseAtlasSize(w, h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 64);
}

TEST(BitmapFont, AtlasSizeNoneFits) {
    FixedWidthFont font;
    StandardFont(font, 60);
    font.SetCharHeight(100);
    int w = 0, h = 0;
    EXPECT_FALSE(font.ChooseAtlasSize(w, h));
}

TEST(BitmapFont, PaintingSetsTheTextureRectangles) {
    FixedWidthFont font;
    StandardFont(font, 10);
    QImage atlas(256, 128, QImage::Format_RGB32);
    atlas.fill(Qt::black);
    QPainter painter(&atlas);
    EXPECT_EQ(font.LayoutGlyphs(256, 128, &painter), 94);
    painter.end();
    // The blank is the first glyph, at (0, 0); '5' (code 53) is the 22nd, first on row 1.
    const TGlyphRect blank = font.CharRects(32);
    EXPECT_FLOAT_EQ(blank.Left, 1.05f / 256);
    EXPECT_FLOAT_EQ(blank.Right, (12 - 1.05f) / 256);
    EXPECT_FLOAT_EQ(blank.Top, (128 - 0.05f) / 128);
    EXPECT_FLOAT_EQ(blank.Bottom, (128 - 15.95f) / 128);
    const TGlyphRect five = font.CharRects(53);
    EXPECT_FLOAT_EQ(five.Left, 1.05f / 256);
    EXPECT_FLOAT_EQ(five.Top, (128 - 16.05f) / 128);
    const TGlyphRect six = font.CharRects(54);
    EXPECT_FLOAT_EQ(six.Left, 13.05f / 256);
    // Codes that are not held have no rectangle.
    EXPECT_FLOAT_EQ(font.CharRects(126).Right, 0);
}

} // namespace
