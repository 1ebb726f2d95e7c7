#pragma once
// Textures.
//   the texture enumerations and their OpenGL lookup tables
//   TGLTextureImage     an image source caching one TGLBitmap32 between GetImageBitmap and
//                       ReleaseImageBitmap
//   TGLPersistentImage  keeps its picture and can deliver it any number of times
//   TGLPicFileImage     reads PictureFileName when asked; with an empty name it holds only what
//                       was put into its bitmap (the picture materials use it that way)
//   TGLTexture          properties, change flags, the OpenGL texture object and its preparation

#include "scene/GLGraphics.h"
#include "scene/GLRenderContext.h"

#include <QImage>
#include <QOpenGLContext>
#include <QPointer>
#include <QString>
#include <memory>

enum TGLMinFilter {
    miNearest, miLinear, miNearestMipmapNearest, miLinearMipmapNearest, miNearestMipmapLinear, miLinearMipmapLinear
};
enum TGLMagFilter { maNearest, maLinear };
enum TGLTextureMode { tmDecal, tmModulate, tmBlend, tmReplace };
enum TGLTextureWrap { twBoth, twNone, twVertical, twHorizontal };
enum TGLTextureFormat {
    tfDefault, tfRGB, tfRGBA, tfRGB16, tfRGBA16, tfAlpha, tfLuminance, tfLuminanceAlpha, tfIntensity, tfNormalMap
};
enum TGLTextureCompression { tcDefault, tcNone, tcStandard, tcHighQuality, tcHighSpeed };
enum TGLTextureFilteringQuality { tfIsotropic, tfAnisotropic };
enum TGLTextureMappingMode { tmmUser, tmmObjectLinear, tmmEyeLinear, tmmSphere };

// Lookup tables from the enumerations to OpenGL values.
unsigned TextureModeToGL(TGLTextureMode mode);
unsigned MinFilterToGL(TGLMinFilter filter);
unsigned MagFilterToGL(TGLMagFilter filter);
unsigned InternalFormatToGL(TGLTextureFormat format);
// Wrap modes for S and T; edge clamping falls back to GL_CLAMP without the edge-clamp feature.
void WrapToGL(TGLTextureWrap wrap, bool edgeClamp, unsigned &s, unsigned &t);
bool IsMipmapFilter(TGLMinFilter filter);
// The smallest power of two not below n (n >= 1), at most limit (itself a power of two).
int RoundUpToPowerOf2(int n, int limit);

class TGLTexture;

class TGLTextureImage {
public:
    explicit TGLTextureImage(TGLTexture *owner) : owner_(owner) {}
    virtual ~TGLTextureImage() = default;
    TGLTextureImage(const TGLTextureImage &) = delete;
    TGLTextureImage &operator=(const TGLTextureImage &) = delete;

    // The cached bitmap, built from the source's picture when there is none. The caller may
    // overwrite its content.
    TGLBitmap32 &GetImageBitmap();
    void ReleaseImageBitmap() { bitmap_.reset(); }
    bool HasCachedBitmap() const { return bitmap_ != nullptr; }

protected:
    // Fills a fresh bitmap from the source's own picture (left empty when there is none).
    virtual void BuildBitmap(TGLBitmap32 &bitmap) = 0;
    // Tells the texture that its image changed.
    void NotifyChange();

private:
    TGLTexture *owner_;
    std::unique_ptr<TGLBitmap32> bitmap_;
};

class TGLPersistentImage : public TGLTextureImage {
public:
    using TGLTextureImage::TGLTextureImage;
    const QImage &Picture() const { return picture_; }
    void SetPicture(const QImage &picture);
    // Copies a top-down 0xAARRGGBB buffer as the picture.
    void SetPicture(const PixelBufferView &pixels);
    // Reads a picture file through Qt's image readers; false (and no picture) when it fails.
    bool LoadFromFile(const QString &fileName);

protected:
    void BuildBitmap(TGLBitmap32 &bitmap) override;

private:
    QImage picture_;
};

class TGLPicFileImage : public TGLTextureImage {
public:
    using TGLTextureImage::TGLTextureImage;
    const QString &PictureFileName() const { return fileName_; }
    void SetPictureFileName(const QString &fileName);

protected:
    void BuildBitmap(TGLBitmap32 &bitmap) override;

private:
    QString fileName_;
};

class MaterialChangeListener {
public:
    virtual void MaterialChanged() = 0;

protected:
    ~MaterialChangeListener() = default;
};

class TGLTexture {
public:
    explicit TGLTexture(MaterialChangeListener *owner = nullptr);
    ~TGLTexture();
    TGLTexture(const TGLTexture &) = delete;
    TGLTexture &operator=(const TGLTexture &) = delete;

    bool Disabled() const { return disabled_; }
    void SetDisabled(bool disabled);
    bool Enabled() const { return !disabled_; }
    void SetEnabled(bool enabled) { SetDisabled(!enabled); }

    TGLTextureImage &Image() { return *image_; }
    // Replaces the image source (the default is a TGLPersistentImage).
    TGLPersistentImage &UsePersistentImage();
    TGLPicFileImage &UsePicFileImage();
    // Puts a top-down 0xAARRGGBB picture into the image source's bitmap (the picture
    // materials' image) and marks the image changed. Raises OrvantaError for a malformed view.
    void SetImagePixels(const PixelBufferView &pixels);

    TGLTextureImageAlpha ImageAlpha() const { return imageAlpha_; }
    void SetImageAlpha(TGLTextureImageAlpha value);
    float ImageBrightness() const { return imageBrightness_; }
    void SetImageBrightness(float value);
    float ImageGamma() const { return imageGamma_; }
    void SetImageGamma(float value);
    TGLMinFilter MinFilter() const { return minFilter_; }
    void SetMinFilter(TGLMinFilter value);
    TGLMagFilter MagFilter() const { return magFilter_; }
    void SetMagFilter(TGLMagFilter value);
    TGLTextureMode TextureMode() const { return textureMode_; }
    void SetTextureMode(TGLTextureMode value);
    TGLTextureWrap TextureWrap() const { return textureWrap_; }
    void SetTextureWrap(TGLTextureWrap value);
    TGLTextureFormat TextureFormat() const { return textureFormat_; }
    void SetTextureFormat(TGLTextureFormat value);
    TGLTextureCompression Compression() const { return compression_; }
    void SetCompression(TGLTextureCompression value);
    TGLTextureFilteringQuality FilteringQuality() const { return filteringQuality_; }
    void SetFilteringQuality(TGLTextureFilteringQuality value);
    TGLTextureMappingMode MappingMode() const { return mappingMode_; }
    void SetMappingMode(TGLTextureMappingMode value);
    const TGLColor &EnvColor() const { return envColor_; }
    void SetEnvColor(const TGLColor &value);

    // The OpenGL texture object (0 when none), the uploaded size, whether mipmap levels exist.
    unsigned Handle() const { return handle_; }
    int TexWidth() const { return texWidth_; }
    int TexHeight() const { return texHeight_; }
    bool HasMipmaps() const { return hasMipmaps_; }
    bool ImageChanged() const { return imageChanged_; }
    bool ParamsChanged() const { return paramsChanged_; }
    void NotifyImageChange();

    // Around drawing (inside a current context): texturing on, object bound and prepared when
    // needed, environment mode and colour set; texturing off again.
    void Apply(TRenderContextInfo &rci);
    void Unapply(TRenderContextInfo &rci);
    // Binds the texture object, preparing it first when needed; returns the handle.
    unsigned Handle(bool prepare);
    // Deletes the OpenGL texture object and sets both change flags.
    void DestroyTextureHandle();

private:
    void NotifyParamsChange();
    void PrepareTexture();
    void ApplyParameters();
    void UploadImage(TGLBitmap32 &bitmap);
    bool HandleLost() const;

    MaterialChangeListener *owner_;
    bool disabled_ = true;
    std::unique_ptr<TGLTextureImage> image_;
    TGLTextureImageAlpha imageAlpha_ = tiaDefault;
    float imageBrightness_ = 1.0f;
    float imageGamma_ = 1.0f;
    TGLMinFilter minFilter_ = miLinearMipmapLinear;
    TGLMagFilter magFilter_ = maLinear;
    TGLTextureMode textureMode_ = tmDecal;
    TGLTextureWrap textureWrap_ = twBoth;
    TGLTextureFormat textureFormat_ = tfDefault;
    TGLTextureCompression compression_ = tcDefault;
    TGLTextureFilteringQuality filteringQuality_ = tfIsotropic;
    TGLTextureMappingMode mappingMode_ = tmmUser;
    TGLColor envColor_{0, 0, 0, 0};

    unsigned handle_ = 0;
    QPointer<QOpenGLContext> handleContext_;
    bool handleMadeWithContext_ = false;
    int texWidth_ = 0;
    int texHeight_ = 0;
    bool hasMipmaps_ = false;
    bool imageChanged_ = true;
    bool paramsChanged_ = true;
};
