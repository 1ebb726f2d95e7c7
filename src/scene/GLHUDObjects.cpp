#include "scene/GLHUDObjects.h"

#include <GL/gl.h>

void ApplyHUDMatrices(const TRenderContextInfo &rci, float x, float y, float z, float rotation) {
    const float w = float(rci.viewPortWidth), h = float(rci.viewPortHeight);
    const float s = float(rci.renderDPI) / 96.0f;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(rci.baseProjection.Data());
    glScalef(2.0f / w, 2.0f / h, 1.0f);
    glTranslatef(s * x - w * 0.5f, h * 0.5f - s * y, z);
    if (rotation != 0) glRotatef(rotation, 0, 0, 1);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void RestoreHUDMatrices() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// ---------------------------------------------------------------------------------------------
// TGLHUDText

TGLHUDText::TGLHUDText(TComponentOwner *owner) : TGLImmaterialSceneObject(owner) {}

TGLHUDText::~TGLHUDText() {
    // Leaves the font's lists without a change notice: the node is going away.
    if (font_) {
        font_->UnregisterUser(this);
        font_->RemoveFreeListener(this);
    }
}

void TGLHUDText::SetBitmapFont(TGLCustomBitmapFont *font) {
    if (font_ == font) return;
    if (font_) {
        font_->UnregisterUser(this);
        font_->RemoveFreeListener(this);
    }
    font_ = font;
    if (font_) {
        font_->RegisterUser(this);
        font_->AddFreeListener(this);
    }
    NotifyChange();
}

void TGLHUDText::ObjectFreed(FreeNotifier *object) {
    if (object == font_) {
        font_ = nullptr;
        NotifyChange();
    }
}

void TGLHUDText::SetText(const QString &text) {
    if (text_ == text) return;
    text_ = text;
    NotifyChange();
}

void TGLHUDText::SetRotation(float degrees) {
    if (rotation_ == degrees) return;
    rotation_ = degrees;
    NotifyChange();
}

void TGLHUDText::SetAlignment(TAlignment alignment) {
    if (alignment_ == alignment) return;
    alignment_ = alignment;
    NotifyChange();
}

void TGLHUDText::SetLayout(TTextLayout layout) {
    if (layout_ == layout) return;
    layout_ = layout;
    NotifyChange();
}

void TGLHUDText::SetModulateColor(const TGLColor &color) {
    if (modulateColor_ == color) return;
    modulateColor_ = color;
    NotifyChange();
}

void TGLHUDText::BuildList(TRenderContextInfo &rci) {
    if (!font_ || text_.isEmpty()) return;
    const float s = float(rci.renderDPI) / 96.0f;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    ApplyHUDMatrices(rci, Position().X(), Position().Y(), Position().Z(), rotation_);
    glScalef(s * Scale().X(), s * Scale().Y(), 1.0f);
    font_->SetAtlasScale(TGLCustomBitmapFont::AtlasScaleFor(s));
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    font_->DrawString(text_, layout_, alignment_, modulateColor_);
    if (depthTest) glEnable(GL_DEPTH_TEST);
    RestoreHUDMatrices();
}

// ---------------------------------------------------------------------------------------------
// TGLHUDSprite

TGLHUDSprite::TGLHUDSprite(TComponentOwner *owner) : TGLSceneObject(owner) {}

void TGLHUDSprite::SetWidth(float value) {
    if (width_ == value) return;
    width_ = value;
    MarkStructureChanged();
}

void TGLHUDSprite::SetHeight(float value) {
    if (height_ == value) return;
    height_ = value;
    MarkStructureChanged();
}

void TGLHUDSprite::SetRotation(float degrees) {
    if (rotation_ == degrees) return;
    rotation_ = degrees;
    NotifyChange();
}

void TGLHUDSprite::SetXTiles(int value) {
    if (xTiles_ == value) return;
    xTiles_ = value;
    MarkStructureChanged();
}

void TGLHUDSprite::SetYTiles(int value) {
    if (yTiles_ == value) return;
    yTiles_ = value;
    MarkStructureChanged();
}

void TGLHUDSprite::BuildList(TRenderContextInfo &rci) {
    if (rci.drawState == dsPicking) return;
    const float s = float(rci.renderDPI) / 96.0f;
    const float w = s * width_ * 0.5f, h = s * height_ * 0.5f;
    const float xt = float(xTiles_), yt = float(yTiles_);
    ApplyHUDMatrices(rci, Position().X(), Position().Y(), Position().Z(), rotation_);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, 0);
    glVertex2f(-w, -h);
    glTexCoord2f(xt, 0);
    glVertex2f(w, -h);
    glTexCoord2f(xt, yt);
    glVertex2f(w, h);
    glTexCoord2f(0, yt);
    glVertex2f(-w, h);
    glEnd();
    if (depthTest) glEnable(GL_DEPTH_TEST);
    RestoreHUDMatrices();
}
