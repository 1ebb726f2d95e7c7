#pragma once
// Nodes drawn flat over the scene at window positions (logical pixels from the top left; the
// scale factor s = render DPI / 96 turns them into framebuffer pixels).
//   TGLHUDText    a text in a bitmap font: alignment, layout, rotation, modulation colour;
//                 takes part in picking at window depth 0.5 (Position.Z 0)
//   TGLHUDSprite  a textured rectangle with a material, centred on its position; never picked
// Both draw directly every frame with the depth test off and are never culled.

#include "scene/GLBitmapFont.h"
#include "scene/GLScene.h"

#include <QString>

class TGLHUDText : public TGLImmaterialSceneObject, public BitmapFontUser, private FreeListener {
public:
    explicit TGLHUDText(TComponentOwner *owner = nullptr);
    ~TGLHUDText() override;

    TGLCustomBitmapFont *BitmapFont() const { return font_; }
    void SetBitmapFont(TGLCustomBitmapFont *font);
    const QString &Text() const { return text_; }
    void SetText(const QString &text);
    float Rotation() const { return rotation_; } // degrees, counter-clockwise on the screen
    void SetRotation(float degrees);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    const TGLColor &ModulateColor() const { return modulateColor_; }
    void SetModulateColor(const TGLColor &color);

protected:
    void BuildList(TRenderContextInfo &rci) override;

private:
    void BitmapFontChanged() override { NotifyChange(); }
    void ObjectFreed(FreeNotifier *object) override;

    TGLCustomBitmapFont *font_ = nullptr;
    QString text_;
    float rotation_ = 0;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    TGLColor modulateColor_{1, 1, 1, 1};
};

class TGLHUDSprite : public TGLSceneObject {
public:
    explicit TGLHUDSprite(TComponentOwner *owner = nullptr);

    float Width() const { return width_; }
    float Height() const { return height_; }
    void SetWidth(float value);
    void SetHeight(float value);
    float Rotation() const { return rotation_; }
    void SetRotation(float degrees);
    int XTiles() const { return xTiles_; }
    int YTiles() const { return yTiles_; }
    void SetXTiles(int value);
    void SetYTiles(int value);

protected:
    // Draws nothing in a picking pass.
    void BuildList(TRenderContextInfo &rci) override;

private:
    float width_ = 16, height_ = 16;
    float rotation_ = 0;
    int xTiles_ = 1, yTiles_ = 1;
};

// Loads the window-pixel frame of a HUD node: model-view := base projection, then the scale to
// the viewport, the translation to the position and the rotation; projection := identity.
// The caller restores both matrices (glPopMatrix on each stack) with RestoreHUDMatrices.
void ApplyHUDMatrices(const TRenderContextInfo &rci, float x, float y, float z, float rotation);
void RestoreHUDMatrices();
