#pragma once
// Materials.
//   TGLFaceProperties   face colours and polygon mode
//   TGLMaterial         face properties, blending, texture, face culling and the link to a
//                       library material (a linked material draws entirely as that one)
//   TGLLibMaterial      a named item of a library: material, texture offset and scale
//   TGLLibMaterials     the library's collection, in insertion order, with the naming rule
//   TGLMaterialLibrary  owns the collection

#include "scene/GLComponents.h"
#include "scene/GLCoordinates.h"
#include "scene/GLGraphics.h"
#include "scene/GLRenderContext.h"
#include "scene/GLTexture.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

enum TPolygonMode { pmFill, pmLines, pmPoints };
enum TBlendingMode { bmOpaque, bmTransparency, bmAdditive, bmAlphaTest50, bmAlphaTest100, bmModulate };
enum TGLFaceCulling { fcBufferDefault, fcCull, fcNoCull };

class TGLMaterialLibrary;
class TGLLibMaterial;

class TGLFaceProperties {
public:
    explicit TGLFaceProperties(MaterialChangeListener *owner = nullptr) : owner_(owner) {}
    const TGLColor &Ambient() const { return ambient_; }
    const TGLColor &Diffuse() const { return diffuse_; }
    const TGLColor &Emission() const { return emission_; }
    const TGLColor &Specular() const { return specular_; }
    uint8_t Shininess() const { return shininess_; }
    TPolygonMode PolygonMode() const { return polygonMode_; }
    void SetAmbient(const TGLColor &c) { Set(ambient_, c); }
    void SetDiffuse(const TGLColor &c) { Set(diffuse_, c); }
    void SetEmission(const TGLColor &c) { Set(emission_, c); }
    void SetSpecular(const TGLColor &c) { Set(specular_, c); }
    void SetShininess(uint8_t s);
    void SetPolygonMode(TPolygonMode mode);

private:
    void Set(TGLColor &field, const TGLColor &c);
    MaterialChangeListener *owner_;
    TGLColor ambient_{0.2f, 0.2f, 0.2f, 1};
    TGLColor diffuse_{0.8f, 0.8f, 0.8f, 1};
    TGLColor emission_{0, 0, 0, 1};
    TGLColor specular_{0, 0, 0, 1};
    uint8_t shininess_ = 0;
    TPolygonMode polygonMode_ = pmFill;
};

class TGLMaterial : public MaterialChangeListener, private FreeListener {
public:
    explicit TGLMaterial(MaterialChangeListener *owner = nullptr);
    ~TGLMaterial();
    TGLMaterial(const TGLMaterial &) = delete;
    TGLMaterial &operator=(const TGLMaterial &) = delete;

    TGLFaceProperties &FrontProperties() { return front_; }
    const TGLFaceProperties &FrontProperties() const { return front_; }
    TGLFaceProperties &BackProperties();
    bool HasBackProperties() const { return back_ != nullptr; }
    TBlendingMode BlendingMode() const { return blendingMode_; }
    void SetBlendingMode(TBlendingMode mode);
    TGLFaceCulling FaceCulling() const { return faceCulling_; }
    void SetFaceCulling(TGLFaceCulling mode);
    TGLTexture &Texture();
    bool HasTexture() const { return texture_ != nullptr; }

    TGLMaterialLibrary *MaterialLibrary() const { return library_; }
    void SetMaterialLibrary(TGLMaterialLibrary *library);
    const QString &LibMaterialName() const { return libMaterialName_; }
    void SetLibMaterialName(const QString &name);
    // The library material the link resolves to; null when unlinked.
    TGLLibMaterial *LibMaterial() const { return libMaterial_; }

    // Blending other than opaque or alpha test (through the link when linked).
    bool Blended() const;

    // Around drawing, inside a current context. Unapply answers whether another pass is wanted.
    void Apply(TRenderContextInfo &rci);
    bool Unapply(TRenderContextInfo &rci);

private:
    friend class TGLLibMaterial;
    void MaterialChanged() override;
    void ObjectFreed(FreeNotifier *object) override;
    void ApplyOwn(TRenderContextInfo &rci);
    void UnapplyOwn(TRenderContextInfo &rci);
    void ResolveLink();
    void Unlink(bool clearName);

    MaterialChangeListener *owner_;
    TGLFaceProperties front_{this};
    std::unique_ptr<TGLFaceProperties> back_;
    TBlendingMode blendingMode_ = bmOpaque;
    TGLFaceCulling faceCulling_ = fcBufferDefault;
    std::unique_ptr<TGLTexture> texture_;
    TGLMaterialLibrary *library_ = nullptr;
    QString libMaterialName_;
    TGLLibMaterial *libMaterial_ = nullptr;
};

class TGLLibMaterial : public MaterialChangeListener, private CoordinatesOwner {
public:
    explicit TGLLibMaterial(TGLMaterialLibrary *library);
    ~TGLLibMaterial();
    TGLLibMaterial(const TGLLibMaterial &) = delete;
    TGLLibMaterial &operator=(const TGLLibMaterial &) = delete;

    const QString &Name() const { return name_; }
    // Takes the name, or its first numbered variant that no other item of the library has.
    void SetName(const QString &name);
    uint32_t NameHash() const { return nameHash_; }
    static uint32_t ComputeNameHash(const QString &name);

    TGLMaterial &Material() { return material_; }
    const TGLMaterial &Material() const { return material_; }
    TGLCoordinates &TextureOffset() { return textureOffset_; }
    TGLCoordinates &TextureScale() { return textureScale_; }
    const TMatrix4f &TextureMatrix() const { return textureMatrix_; }
    bool TextureMatrixIsIdentity() const { return textureMatrixIsIdentity_; }
    TGLMaterialLibrary *Library() const { return library_; }
    int UserCount() const { return int(users_.size()); }

    void Apply(TRenderContextInfo &rci);
    bool Unapply(TRenderContextInfo &rci);

private:
    friend class TGLMaterial;
    friend class TGLLibMaterials;
    void MaterialChanged() override;
    void CoordinatesChanged(TGLCoordinates *sender) override;
    void RebuildTextureMatrix();
    bool UsesTextureMatrix() const;

    TGLMaterialLibrary *library_;
    QString name_;
    uint32_t nameHash_ = 0;
    TGLMaterial material_{this};
    TGLCoordinates textureOffset_{this, 0, 0, 0, 0};
    TGLCoordinates textureScale_{this, 1, 1, 1, 0};
    TMatrix4f textureMatrix_;
    bool textureMatrixIsIdentity_ = true;
    std::vector<TGLMaterial *> users_;
};

class TGLLibMaterials {
public:
    explicit TGLLibMaterials(TGLMaterialLibrary *library) : library_(library) {}
    ~TGLLibMaterials() { Clear(); }
    TGLLibMaterials(const TGLLibMaterials &) = delete;
    TGLLibMaterials &operator=(const TGLLibMaterials &) = delete;

    int Count() const { return int(items_.size()); }
    TGLLibMaterial *Items(int index) const { return items_[size_t(index)].get(); }
    // Appends an item named "LibMaterial" made unique.
    TGLLibMaterial *Add();
    // Frees one item; materials linked to it lose their link and their LibMaterialName.
    void Delete(int index);
    void Remove(TGLLibMaterial *item);
    void Clear();
    TGLLibMaterial *FindLibMaterial(const QString &name) const;
    int IndexOf(const TGLLibMaterial *item) const;
    // name, or the first of name + "1", name + "2", ... that no item other than except has.
    QString MakeUniqueName(const QString &name, const TGLLibMaterial *except) const;

    // While loading a stored library, names are taken as they are.
    bool Loading = false;

private:
    TGLMaterialLibrary *library_;
    std::vector<std::unique_ptr<TGLLibMaterial>> items_;
};

class TGLMaterialLibrary : public FreeNotifier {
public:
    TGLMaterialLibrary();
    ~TGLMaterialLibrary();

    const QString &Name() const { return name_; }
    void SetName(const QString &name) { name_ = name; }
    TGLLibMaterials &Materials() { return materials_; }
    const TGLLibMaterials &Materials() const { return materials_; }
    TGLLibMaterial *FindLibMaterial(const QString &name) const { return materials_.FindLibMaterial(name); }
    // Appends a texture material: the name made unique, MinFilter miLinearMipmapLinear,
    // MagFilter maLinear, TextureMode tmModulate, enabled; a TGLPersistentImage loaded from
    // fileName (when not empty) or a TGLPicFileImage reading fileName.
    TGLLibMaterial *NewTextureMaterial(const QString &name, const QString &fileName, bool persistent);

private:
    QString name_;
    TGLLibMaterials materials_{this};
};
