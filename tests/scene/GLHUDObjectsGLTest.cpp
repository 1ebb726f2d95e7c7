// HUD texts and sprites drawn through a real viewer: where a text stands for its position,
// alignment and layout (pixels read back), rotation, colour, picking of texts at window depth
// 0.5 over a plane, sprites that are never picked, and a screenshot of a small overlay scene.
#include "GLHUDObjectsTestScene.h"
#include "TestEnv.h"

#include "scene/ButtonArt.h"
#include "scene/GLGeomObjects.h"
#include "scene/GLHUDObjects.h"
#include "scene/GLSkydome.h"
#include "scene/GLWindowsFont.h"

#include <GL/gl.h>

#include <QDir>
#include <cmath>
#include <QImage>
#include <gtest/gtest.h>

namespace {

using orvanta::test::BoundingBoxOf;
using orvanta::test::HudTestScene;
using orvanta::test::IsBright;

TGLFontDescription BoldFont(int pixels) {
    TGLFontDescription d;
    d.Name = QStringLiteral("MS Sans Serif");
    d.Height = -pixels;
    d.Bold = true;
    return d;
}

// A plane filling the view behind the overlay, in a flat colour.
TGLPlane *AddBackdropPlane(HudTestScene &s, const TGLColor &colour) {
    TGLPlane *plane = s.scene.Objects()->CreateChild<TGLPlane>();
    plane->SetWidth(200);
    plane->SetHeight(200);
    plane->Material().FrontProperties().SetDiffuse(colour);
    return plane;
}

struct PlacementCase {
    const char *name;
    TAlignment alignment;
    TTextLayout layout;
    float x, y;
};

class HudTextPlacement : public ::testing::TestWithParam<PlacementCase> {};

// The lit pixels of "HIH" lie in the box that the anchor, the text width and the line height
// give, and touch the anchor's side of it (within the glyph's bearing or the cell's padding).
TEST_P(HudTextPlacement, LitPixelsStandWhereTheAnchorSays) {
    const PlacementCase &c = GetParam();
    HudTestScene s;
    TGLWindowsBitmapFont font(BoldFont(13));
    TGLHUDText *text = s.scene.Objects()->CreateChild<TGLHUDText>();
    text->SetBitmapFont(&font);
    text->SetText(QStringLiteral("HIH"));
    text->SetAlignment(c.alignment);
    text->SetLayout(c.layout);
    text->Position().SetPoint(c.x, c.y, 0);

    const QRect box = BoundingBoxOf(s.Grab(), IsBright);
    ASSERT_FALSE(box.isNull()) << "nothing drawn";
    const int width = font.TextWidthOf(text->Text()), height = font.CharHeight();
    const int x = int(c.x), y = int(c.y);
    switch (c.alignment) {
    case taLeftJustify:
        EXPECT_GE(box.left(), x);
        EXPECT_LE(box.left(), x + 3);
        EXPECT_LE(box.right(), x + width);
        break;
    case taRightJustify:
        EXPECT_LE(box.right(), x);
        EXPECT_GE(box.right(), x - 4);
        EXPECT_GE(box.left(), x - width);
        break;
    case taCenter:
        EXPECT_NEAR((box.left() + box.right() + 1) / 2.0, x, 2.5);
        EXPECT_GE(box.left(), x - width / 2 - 1);
        break;
    }
    switch (c.layout) {
    case tlTop: // hangs below the anchor
        EXPECT_GE(box.top(), y);
        EXPECT_LE(box.top(), y + 7);
        EXPECT_LT(box.bottom(), y + height);
        break;
    case tlBottom: // stands on it
        EXPECT_LT(box.bottom(), y);
        EXPECT_GE(box.bottom(), y - 7);
        EXPECT_GE(box.top(), y - height);
        break;
    case tlCenter:
        EXPECT_NEAR((box.top() + box.bottom() + 1) / 2.0, y, 4);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    HudText, HudTextPlacement,
    ::testing::Values(PlacementCase{"LeftTop", taLeftJustify, tlTop, 200, 100},
                      PlacementCase{"RightTop", taRightJustify, tlTop, 600, 100},
                      // "EXIT" of the main window before rotation: ends 5 pixels from the right edge.
                      PlacementCase{"RightTopAtTheEdge", taRightJustify, tlTop, 795, 32},
                      PlacementCase{"CentreBottom", taCenter, tlBottom, 400, 600},
                      PlacementCase{"CentreCentre", taCenter, tlCenter, 400, 300},
                      PlacementCase{"LeftBottom", taLeftJustify, tlBottom, 50, 500}),
    [](const ::testing::TestParamInfo<PlacementCase> &info) { return std::string(info.param.name); });

TEST(HudText, TwoLinesAtTheBottomStandOnTheAnchor) {
    HudTestScene s;
    TGLWindowsBitmapFont font(BoldFont(13));
    TGLHUDText *text = s.scene.Objects()->CreateChild<TGLHUDText>();
    text->SetBitmapFont(&font);
    text->SetText(QStringLiteral("HH\rHH"));
    text->SetLayout(tlBottom);
    text->Position().SetPoint(300, 400, 0);
    const QRect box = BoundingBoxOf(s.Grab(), IsBright);
    ASSERT_FALSE(box.isNull());
    // The first line's top is 2 x CharHeight + VSpace above the anchor.
    const int top = 400 - (2 * font.CharHeight() + font.VSpace());
    EXPECT_GE(box.top(), top);
    EXPECT_LE(box.top(), top + 7);
    EXPECT_LT(box.bottom(), 400);
    EXPECT_GE(box.bottom(), 400 - 7);
}

TEST(HudText, ScaleStretchesAndColourModulates) {
    HudTestScene s;
    TGLWindowsBitmapFont font(BoldFont(13));
    TGLHUDText *text = s.scene.Objects()->CreateChild<TGLHUDText>();
    text->SetBitmapFont(&font);
    text->SetText(QStringLiteral("HIH"));
    text->Position().SetPoint(100, 100, 0);
    const QRect plain = BoundingBoxOf(s.Grab(), IsBright);
    text->Scale().SetVector(1, 2, 1);
    text->SetModulateColor(TGLColor{1, 0, 0, 1});
    const QImage image = s.Grab();
    const QRect stretched = BoundingBoxOf(image, [](QRgb c) { return qRed(c) > 128; });
    ASSERT_FALSE(plain.isNull());
    ASSERT_FALSE(stretched.isNull());
    EXPECT_NEAR(double(stretched.height()) / plain.height(), 2.0, 0.25);
    EXPECT_NEAR(stretched.width(), plain.width(), 1);
    // Drawn in the modulation colour only.
    EXPECT_TRUE(BoundingBoxOf(image, [](QRgb c) { return qGreen(c) > 60 || qBlue(c) > 60; }).isNull());
    // The atlas went up as a texture of the atlas's size.
    EXPECT_NE(font.TextureHandle(), 0u);
    EXPECT_EQ(font.TextureWidth(), font.GlyphPicture().width());
    EXPECT_EQ(font.TextureHeight(), font.GlyphPicture().height());
}

TEST(HudText, CodesOutsideTheFontDrawNothingAndKeepThePen) {
    HudTestScene s;
    TGLWindowsBitmapFont font(BoldFont(13));
    TGLHUDText *text = s.scene.Objects()->CreateChild<TGLHUDText>();
    text->SetBitmapFont(&font);
    text->Position().SetPoint(100, 100, 0);
    text->SetText(QStringLiteral("HH"));
    const QRect plain = BoundingBoxOf(s.Grab(), IsBright);
    // '~' (126) is outside 32..125: no glyph and no advance of the pen.
    text->SetText(QStringLiteral("H~H"));
    const QRect tilde = BoundingBoxOf(s.Grab(), IsBright);
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(tilde.width(), plain.width());
    // Only '~' and the colour escape with too few characters after it: nothing is drawn.
    text->SetText(QString(QChar(126)) + QChar(255) + QChar(50));
    EXPECT_TRUE(BoundingBoxOf(s.Grab(), IsBright).isNull());
}

TEST(HudText, ColourEscapeSetsTheColourOfTheFollowingGlyphs) {
    HudTestScene s;
    TGLWindowsBitmapFont font(BoldFont(13));
    TGLHUDText *text = s.scene.Objects()->CreateChild<TGLHUDText>();
    text->SetBitmapFont(&font);
    text->Position().SetPoint(100, 100, 0);
    // 255, then red, green and blue in hundredths: the second H is red at full strength.
    text->SetText(QStringLiteral("H") + QChar(255) + QChar(100) + QChar(0) + QChar(0) + QStringLiteral("H"));
    const QImage image = s.Grab();
    const QRect white = BoundingBoxOf(image, IsBright);
    const QRect red = BoundingBoxOf(image, [](QRgb c) { return qRed(c) > 128 && qGreen(c) < 60; });
    ASSERT_FALSE(white.isNull());
    ASSERT_FALSE(red.isNull());
    EXPECT_LT(white.right(), red.left());
}

TEST(HudText, RotatedExitIsPickedOverAPlane) {
    HudTestScene s;
    TGLPlane *plane = AddBackdropPlane(s, TGLColor{0, 0.6f, 0, 1});
    TGLWindowsBitmapFont font(BoldFont(13));
    TGLHUDText *exitText = s.scene.Objects()->CreateChild<TGLHUDText>();
    exitText->SetBitmapFont(&font);
    exitText->SetText(QStringLiteral("EXIT"));
    exitText->SetAlignment(taRightJustify);
    exitText->SetLayout(tlTop);
    exitText->SetRotation(-45);
    exitText->Position().SetPoint(795, 32, 0);

    const QImage image = s.Grab();
    const QRect box = BoundingBoxOf(image, IsBright);
    ASSERT_FALSE(box.isNull()) << "EXIT not drawn";
    // Turned 45 degrees clockwise about the anchor: the text rises to the upper left, so it
    // reaches above the anchor (unturned it would hang below it) and stays left of it.
    EXPECT_LT(box.top(), 32 - 5);
    EXPECT_LE(box.right(), 796);
    const QPoint centre = box.center();
    EXPECT_EQ(s.PickAt(centre.x(), centre.y()), exitText);
    EXPECT_EQ(s.PickAt(400, 300), plane);
    // An invisible text is not picked.
    exitText->SetVisible(false);
    EXPECT_EQ(s.PickAt(centre.x(), centre.y()), plane);
}

TEST(HudSprite, IsDrawnButNeverPicked) {
    HudTestScene s;
    TGLPlane *plane = AddBackdropPlane(s, TGLColor{0, 0.6f, 0, 1});
    TGLMaterialLibrary library;
    LoadButtonMaterials(library);
    TGLHUDSprite *sprite = s.scene.Objects()->CreateChild<TGLHUDSprite>();
    sprite->SetWidth(40);
    sprite->SetHeight(40);
    sprite->Position().SetPoint(400, 300, 0);
    sprite->Material().SetMaterialLibrary(&library);
    sprite->Material().SetLibMaterialName(QStringLiteral("LibMaterial"));
    // Over nothing but the background; drawn red so it stays apart from the grey button.
    TGLHUDSprite *lonely = s.scene.Objects()->CreateChild<TGLHUDSprite>();
    lonely->Position().SetPoint(30, 30, 0);
    lonely->Material().FrontProperties().SetDiffuse(TGLColor{1, 0, 0, 1});

    const QImage image = s.Grab();
    // The button covers 380..419 x 280..319 in grey (intensity texture), not the plane's green.
    const QRect grey = BoundingBoxOf(image, [](QRgb c) { return qRed(c) > 100 && std::abs(qRed(c) - qGreen(c)) < 8; });
    ASSERT_FALSE(grey.isNull()) << "sprite not drawn";
    EXPECT_NEAR(grey.left(), 380, 1);
    EXPECT_NEAR(grey.right(), 419, 1);
    EXPECT_NEAR(grey.top(), 280, 1);
    EXPECT_NEAR(grey.bottom(), 319, 1);
    // The 40 x 40 picture went up as a 64 x 64 texture.
    EXPECT_EQ(library.Materials().Items(0)->Material().Texture().TexWidth(), 64);
    EXPECT_EQ(library.Materials().Items(0)->Material().Texture().TexHeight(), 64);
    EXPECT_EQ(s.PickAt(400, 300), plane);
    plane->SetVisible(false);
    EXPECT_EQ(s.PickAt(400, 300), nullptr);
    EXPECT_EQ(s.PickAt(30, 30), nullptr);
}

TEST(HudText, ForgetsAFontThatGoesAway) {
    HudTestScene s;
    TGLHUDText *text = s.scene.Objects()->CreateChild<TGLHUDText>();
    text->SetText(QStringLiteral("HIH"));
    text->Position().SetPoint(100, 100, 0);
    {
        TGLWindowsBitmapFont font(BoldFont(13));
        text->SetBitmapFont(&font);
        EXPECT_EQ(font.UserCount(), 1);
        EXPECT_FALSE(BoundingBoxOf(s.Grab(), IsBright).isNull());
    }
    EXPECT_EQ(text->BitmapFont(), nullptr);
    EXPECT_TRUE(BoundingBoxOf(s.Grab(), IsBright).isNull());
}

// A small scene of everything this layer draws over and behind the wall, saved for a look.
TEST(HudScreenshot, SkyPlaneRingTextsAndButtons) {
    HudTestScene s(25);
    s.camera->SetSceneScale(1.2f); // the main window's scale at this size
    orvanta::test::AddMainSky(s);

    TGLMaterialLibrary pictures;
    TGLLibMaterial *picture = pictures.NewTextureMaterial(QStringLiteral("00001_IMG"), QString(), true);
    const QImage photo(orvanta::test::CorpusDir() + "/jpeg/testorig.jpg");
    ASSERT_FALSE(photo.isNull());
    static_cast<TGLPersistentImage &>(picture->Material().Texture().Image()).SetPicture(photo);
    picture->Material().Texture().SetTextureMode(tmReplace);
    TGLPlane *plane = s.scene.Objects()->CreateChild<TGLPlane>();
    plane->SetWidth(20);
    plane->SetHeight(20.0f * float(photo.height()) / float(photo.width()));
    plane->Material().SetMaterialLibrary(&pictures);
    plane->Material().SetLibMaterialName(QStringLiteral("00001_IMG"));

    orvanta::test::AddSelectionRing(s);

    TGLWindowsBitmapFont font1(BoldFont(13)), font2(BoldFont(32));
    font2.SetMinFilter(miNearest);
    font2.SetMagFilter(maNearest);
    auto addText = [&](TGLWindowsBitmapFont &font, const QString &t, TAlignment a, TTextLayout l, float x, float y) {
        TGLHUDText *text = s.scene.Objects()->CreateChild<TGLHUDText>();
        text->SetBitmapFont(&font);
        text->SetText(t);
        text->SetAlignment(a);
        text->SetLayout(l);
        text->Position().SetPoint(x, y, 0);
        return text;
    };
    addText(font1, QStringLiteral("/home/user/Pictures/testorig.jpg"), taCenter, tlTop, 400, 10)->Scale().SetVector(0.6f, 1, 1);
    addText(font1, QStringLiteral("Size: 227 x 149"), taCenter, tlBottom, 400, 600)->Scale().SetVector(1, 2, 1);
    addText(font1, QStringLiteral("EXIT"), taRightJustify, tlTop, 795, 32)->SetRotation(-45);
    addText(font2, QStringLiteral("Orvanta"), taCenter, tlCenter, 400, 300)->SetModulateColor(TGLColor{1, 1, 1, 0.5f});
    addText(font1, QStringLiteral("Loading..."), taLeftJustify, tlTop, 5, 10)->Scale().SetVector(0.6f, 1, 1);

    TGLMaterialLibrary buttons;
    LoadButtonMaterials(buttons);
    const float places[7][2] = {{100, 580}, {60, 580}, {20, 580}, {780, 580}, {20, 539}, {780, 539}, {739, 580}};
    for (int i = 0; i < kButtonArtCount; ++i) {
        TGLHUDSprite *sprite = s.scene.Objects()->CreateChild<TGLHUDSprite>();
        sprite->SetWidth(40);
        sprite->SetHeight(40);
        sprite->Position().SetPoint(places[i][0], places[i][1], 0);
        sprite->Material().SetMaterialLibrary(&buttons);
        sprite->Material().SetLibMaterialName(buttons.Materials().Items(i)->Name());
    }
    // The hovered look: the first button in full colour.
    buttons.Materials().Items(0)->Material().Texture().SetTextureFormat(tfRGB16);

    const QImage shot = s.Grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral("/tmp/hud-shot.png")));
    // The ring is white on its four sides around the picture.
    const float k = HudTestScene::PixelsPerUnit(24.9f) * 1.2f;
    const int edge = int(std::lround(400 + 10.5f * k));
    bool ringSeen = false;
    for (int x = edge - 3; x <= edge + 3; ++x) ringSeen = ringSeen || IsBright(shot.pixel(x, 300));
    EXPECT_TRUE(ringSeen);
}

} // namespace
