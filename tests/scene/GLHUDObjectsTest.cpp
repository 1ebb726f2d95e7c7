// HUD nodes without drawing: defaults, change notices, and the lifetimes of texts and fonts.
#include "scene/GLHUDObjects.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct NoticeCounter : TGLScene::ChangeListener {
    int count = 0;
    void SceneChanged() override { ++count; }
};

TEST(HudTextNode, Defaults) {
    TGLHUDText text;
    EXPECT_EQ(text.BitmapFont(), nullptr);
    EXPECT_TRUE(text.Text().isEmpty());
    EXPECT_FLOAT_EQ(text.Rotation(), 0);
    EXPECT_EQ(text.Alignment(), taLeftJustify);
    EXPECT_EQ(text.Layout(), tlTop);
    EXPECT_EQ(text.ModulateColor(), (TGLColor{1, 1, 1, 1}));
    TGLHUDSprite sprite;
    EXPECT_FLOAT_EQ(sprite.Width(), 16);
    EXPECT_FLOAT_EQ(sprite.Height(), 16);
    EXPECT_EQ(sprite.XTiles(), 1);
    EXPECT_EQ(sprite.YTiles(), 1);
}

TEST(HudTextNode, SettersNotifyTheSceneOnlyOnChange) {
    TGLScene scene;
    NoticeCounter counter;
    scene.AddChangeListener(&counter);
    TGLHUDText *text = scene.Objects()->CreateChild<TGLHUDText>();
    TGLCustomBitmapFont font;
    counter.count = 0;
    text->SetText(QStringLiteral("EXIT"));
    text->SetRotation(-45);
    text->SetAlignment(taRightJustify);
    text->SetLayout(tlBottom);
    text->SetBitmapFont(&font);
    text->SetModulateColor(TGLColor{1, 1, 1, 0.5f});
    EXPECT_EQ(counter.count, 6);
    text->SetText(QStringLiteral("EXIT"));
    text->SetRotation(-45);
    text->SetAlignment(taRightJustify);
    text->SetLayout(tlBottom);
    text->SetBitmapFont(&font);
    text->SetModulateColor(TGLColor{1, 1, 1, 0.5f});
    EXPECT_EQ(counter.count, 6);
    // A change of the font reaches the scene through the text.
    font.SetHSpace(3);
    EXPECT_EQ(counter.count, 7);
    scene.RemoveChangeListener(&counter);
}

TEST(HudTextNode, TextGoesBeforeItsFont) {
    TGLCustomBitmapFont font;
    auto text = std::make_unique<TGLHUDText>();
    text->SetBitmapFont(&font);
    auto other = std::make_unique<TGLHUDText>();
    other->SetBitmapFont(&font);
    EXPECT_EQ(font.UserCount(), 2);
    text.reset();
    EXPECT_EQ(font.UserCount(), 1);
    font.SetVSpace(4); // tells only the remaining text
    other->SetBitmapFont(nullptr);
    EXPECT_EQ(font.UserCount(), 0);
}

TEST(HudTextNode, FontGoesBeforeItsText) {
    TGLScene scene;
    TGLHUDText *text = scene.Objects()->CreateChild<TGLHUDText>();
    {
        TGLCustomBitmapFont font;
        text->SetBitmapFont(&font);
    }
    EXPECT_EQ(text->BitmapFont(), nullptr);
    // Setting another font afterwards does not touch the one that is gone.
    TGLCustomBitmapFont second;
    text->SetBitmapFont(&second);
    EXPECT_EQ(second.UserCount(), 1);
}

TEST(HudSpriteNode, FieldSettersMarkTheStructure) {
    TGLHUDSprite sprite;
    sprite.ClearStructureChanged();
    sprite.SetWidth(16);
    EXPECT_FALSE(sprite.StructureChanged());
    sprite.SetWidth(40);
    EXPECT_TRUE(sprite.StructureChanged());
    sprite.ClearStructureChanged();
    sprite.SetYTiles(2);
    EXPECT_TRUE(sprite.StructureChanged());
}

} // namespace
