#include "scene/GLMaterial.h"

#include <GL/gl.h>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TGLFaceProperties

void TGLFaceProperties::Set(TGLColor &field, const TGLColor &c) {
    if (field == c) return;
    field = c;
    if (owner_) owner_->MaterialChanged();
}

void TGLFaceProperties::SetShininess(uint8_t s) {
    if (shininess_ == s) return;
    shininess_ = s;
    if (owner_) owner_->MaterialChanged();
}

void TGLFaceProperties::SetPolygonMode(TPolygonMode mode) {
    if (polygonMode_ == mode) return;
    polygonMode_ = mode;
    if (owner_) owner_->MaterialChanged();
}

namespace {

GLenum PolygonModeToGL(TPolygonMode mode) {
    switch (mode) {
    case pmLines: return GL_LINE;
    case pmPoints: return GL_POINT;
    case pmFill: break;
    }
    return GL_FILL;
}

void ApplyFaceColours(GLenum face, const TGLFaceProperties &p) {
    glMaterialfv(face, GL_AMBIENT, p.Ambient().Data());
    glMaterialfv(face, GL_DIFFUSE, p.Diffuse().Data());
    glMaterialfv(face, GL_SPECULAR, p.Specular().Data());
    glMaterialfv(face, GL_EMISSION, p.Emission().Data());
    glMaterialf(face, GL_SHININESS, float(std::min<int>(p.Shininess(), 128))); // OpenGL takes 0..128
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TGLMaterial

TGLMaterial::TGLMaterial(MaterialChangeListener *owner) : owner_(owner) {}

TGLMaterial::~TGLMaterial() {
    Unlink(false);
    if (library_) library_->RemoveFreeListener(this);
}

TGLFaceProperties &TGLMaterial::BackProperties() {
    if (!back_) back_ = std::make_unique<TGLFaceProperties>(this);
    return *back_;
}

TGLTexture &TGLMaterial::Texture() {
    if (!texture_) texture_ = std::make_unique<TGLTexture>(this);
    return *texture_;
}

void TGLMaterial::SetBlendingMode(TBlendingMode mode) {
    if (blendingMode_ == mode) return;
    blendingMode_ = mode;
    MaterialChanged();
}

void TGLMaterial::SetFaceCulling(TGLFaceCulling mode) {
    if (faceCulling_ == mode) return;
    faceCulling_ = mode;
    MaterialChanged();
}

void TGLMaterial::MaterialChanged() {
    if (owner_) owner_->MaterialChanged();
}

void TGLMaterial::ObjectFreed(FreeNotifier *object) {
    if (object == library_) {
        Unlink(false);
        library_ = nullptr;
    }
}

void TGLMaterial::SetMaterialLibrary(TGLMaterialLibrary *library) {
    if (library_ == library) return;
    if (library_) library_->RemoveFreeListener(this);
    library_ = library;
    if (library_) library_->AddFreeListener(this);
    ResolveLink();
}

void TGLMaterial::SetLibMaterialName(const QString &name) {
    libMaterialName_ = name;
    ResolveLink();
}

void TGLMaterial::ResolveLink() {
    TGLLibMaterial *found = library_ ? library_->FindLibMaterial(libMaterialName_) : nullptr;
    if (found == libMaterial_) return;
    Unlink(false);
    libMaterial_ = found;
    if (found) found->users_.push_back(this);
    MaterialChanged();
}

void TGLMaterial::Unlink(bool clearName) {
    if (libMaterial_) {
        auto &users = libMaterial_->users_;
        users.erase(std::remove(users.begin(), users.end(), this), users.end());
        libMaterial_ = nullptr;
    }
    if (clearName) libMaterialName_.clear();
}

bool TGLMaterial::Blended() const {
    if (libMaterial_) return libMaterial_->Material().Blended();
    return blendingMode_ != bmOpaque && blendingMode_ != bmAlphaTest50 && blendingMode_ != bmAlphaTest100;
}

void TGLMaterial::Apply(TRenderContextInfo &rci) {
    if (libMaterial_) libMaterial_->Apply(rci);
    else ApplyOwn(rci);
}

bool TGLMaterial::Unapply(TRenderContextInfo &rci) {
    if (libMaterial_) return libMaterial_->Unapply(rci);
    UnapplyOwn(rci);
    return false;
}

void TGLMaterial::ApplyOwn(TRenderContextInfo &rci) {
    // Face colour: material colours with lighting, the current colour without.
    if (rci.bufferLighting) {
        ApplyFaceColours(GL_FRONT, front_);
        ApplyFaceColours(GL_BACK, back_ ? *back_ : front_);
    } else {
        glColor4fv(front_.Diffuse().Data());
    }
    if (back_) {
        glPolygonMode(GL_FRONT, PolygonModeToGL(front_.PolygonMode()));
        glPolygonMode(GL_BACK, PolygonModeToGL(back_->PolygonMode()));
    } else {
        glPolygonMode(GL_FRONT_AND_BACK, PolygonModeToGL(front_.PolygonMode()));
    }
    const bool cull = faceCulling_ == fcCull || (faceCulling_ == fcBufferDefault && rci.bufferFaceCulling);
    if (cull) glEnable(GL_CULL_FACE);
    else glDisable(GL_CULL_FACE);

    switch (blendingMode_) {
    case bmOpaque:
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        break;
    case bmTransparency:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_ALPHA_TEST);
        break;
    case bmAdditive:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDisable(GL_ALPHA_TEST);
        break;
    case bmAlphaTest50:
    case bmAlphaTest100:
        glDisable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GEQUAL, blendingMode_ == bmAlphaTest50 ? 0.5f : 1.0f);
        break;
    case bmModulate:
        glEnable(GL_BLEND);
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        glDisable(GL_ALPHA_TEST);
        break;
    }
    if (texture_) texture_->Apply(rci);
}

void TGLMaterial::UnapplyOwn(TRenderContextInfo &rci) {
    if (blendingMode_ == bmAlphaTest50 || blendingMode_ == bmAlphaTest100) glDisable(GL_ALPHA_TEST);
    if (faceCulling_ != fcBufferDefault) {
        if (rci.bufferFaceCulling) glEnable(GL_CULL_FACE);
        else glDisable(GL_CULL_FACE);
    }
    if (texture_) texture_->Unapply(rci);
}

// ---------------------------------------------------------------------------------------------
// TGLLibMaterial

TGLLibMaterial::TGLLibMaterial(TGLMaterialLibrary *library) : library_(library) {}

TGLLibMaterial::~TGLLibMaterial() {
    // Materials linked to this one lose the link and the name.
    const std::vector<TGLMaterial *> users = std::move(users_);
    users_.clear();
    for (TGLMaterial *m : users) {
        m->libMaterial_ = nullptr;
        m->libMaterialName_.clear();
        m->MaterialChanged();
    }
}

uint32_t TGLLibMaterial::ComputeNameHash(const QString &name) {
    uint32_t h = uint32_t(name.size());
    for (QChar c : name) h = 2 * h + c.unicode();
    return h;
}

void TGLLibMaterial::SetName(const QString &name) {
    QString unique = name;
    if (library_ && !library_->Materials().Loading)
        unique = library_->Materials().MakeUniqueName(name, this);
    name_ = unique;
    nameHash_ = ComputeNameHash(unique);
}

void TGLLibMaterial::MaterialChanged() {
    for (size_t i = 0; i < users_.size(); ++i) users_[i]->MaterialChanged();
}

void TGLLibMaterial::CoordinatesChanged(TGLCoordinates *) {
    RebuildTextureMatrix();
    MaterialChanged();
}

void TGLLibMaterial::RebuildTextureMatrix() {
    const TVector4f s = textureScale_.AsVector(), o = textureOffset_.AsVector();
    textureMatrixIsIdentity_ = s.X == 1 && s.Y == 1 && s.Z == 1 && o.X == 0 && o.Y == 0 && o.Z == 0;
    // Scale s, t and r first, then add the offset (row vectors: the offset is row 3).
    textureMatrix_ = TMatrix4f::Identity();
    textureMatrix_.m[0][0] = s.X;
    textureMatrix_.m[1][1] = s.Y;
    textureMatrix_.m[2][2] = s.Z;
    textureMatrix_.m[3][0] = o.X;
    textureMatrix_.m[3][1] = o.Y;
    textureMatrix_.m[3][2] = o.Z;
}

bool TGLLibMaterial::UsesTextureMatrix() const {
    return !textureMatrixIsIdentity_ && material_.HasTexture() && !material_.texture_->Disabled();
}

void TGLLibMaterial::Apply(TRenderContextInfo &rci) {
    if (UsesTextureMatrix()) {
        glMatrixMode(GL_TEXTURE);
        glLoadMatrixf(textureMatrix_.Data());
        glMatrixMode(GL_MODELVIEW);
    }
    material_.ApplyOwn(rci);
}

bool TGLLibMaterial::Unapply(TRenderContextInfo &rci) {
    material_.UnapplyOwn(rci);
    if (UsesTextureMatrix()) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// TGLLibMaterials and TGLMaterialLibrary

TGLLibMaterial *TGLLibMaterials::Add() {
    items_.push_back(std::make_unique<TGLLibMaterial>(library_));
    TGLLibMaterial *item = items_.back().get();
    item->SetName(QStringLiteral("LibMaterial"));
    return item;
}

int TGLLibMaterials::IndexOf(const TGLLibMaterial *item) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item) return int(i);
    return -1;
}

void TGLLibMaterials::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    std::unique_ptr<TGLLibMaterial> item = std::move(items_[size_t(index)]);
    items_.erase(items_.begin() + index);
    item.reset();
}

void TGLLibMaterials::Remove(TGLLibMaterial *item) { Delete(IndexOf(item)); }

void TGLLibMaterials::Clear() {
    while (!items_.empty()) Delete(Count() - 1);
}

TGLLibMaterial *TGLLibMaterials::FindLibMaterial(const QString &name) const {
    const uint32_t hash = TGLLibMaterial::ComputeNameHash(name);
    for (const auto &item : items_)
        if (item->nameHash_ == hash && item->name_ == name) return item.get();
    return nullptr;
}

QString TGLLibMaterials::MakeUniqueName(const QString &name, const TGLLibMaterial *except) const {
    auto taken = [&](const QString &candidate) {
        const uint32_t hash = TGLLibMaterial::ComputeNameHash(candidate);
        for (const auto &item : items_)
            if (item.get() != except && item->nameHash_ == hash && item->name_ == candidate) return true;
        return false;
    };
    if (!taken(name)) return name;
    for (int i = 1;; ++i) {
        const QString candidate = name + QString::number(i);
        if (!taken(candidate)) return candidate;
    }
}

TGLMaterialLibrary::TGLMaterialLibrary() = default;

TGLMaterialLibrary::~TGLMaterialLibrary() {
    materials_.Clear();
    NotifyFreed();
}

TGLLibMaterial *TGLMaterialLibrary::NewTextureMaterial(const QString &name, const QString &fileName, bool persistent) {
    TGLLibMaterial *item = materials_.Add();
    item->SetName(name);
    TGLTexture &texture = item->Material().Texture();
    if (persistent) {
        TGLPersistentImage &image = texture.UsePersistentImage();
        if (!fileName.isEmpty()) image.LoadFromFile(fileName);
    } else {
        texture.UsePicFileImage().SetPictureFileName(fileName);
    }
    texture.SetMinFilter(miLinearMipmapLinear);
    texture.SetMagFilter(maLinear);
    texture.SetTextureMode(tmModulate);
    texture.SetDisabled(false);
    return item;
}
