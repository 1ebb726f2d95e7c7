#include "scene/GLTexture.h"

#include "scene/GLContext.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QImageReader>
#include <algorithm>
#include <vector>

#ifndef GL_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#endif
#ifndef GL_GENERATE_MIPMAP
#define GL_GENERATE_MIPMAP 0x8191
#endif
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

// ---------------------------------------------------------------------------------------------
// Lookup tables

unsigned TextureModeToGL(TGLTextureMode mode) {
    static const GLenum table[] = {GL_DECAL, GL_MODULATE, GL_BLEND, GL_REPLACE};
    return table[mode];
}

unsigned MinFilterToGL(TGLMinFilter filter) {
    static const GLenum table[] = {GL_NEAREST, GL_LINEAR, GL_NEAREST_MIPMAP_NEAREST,
                                   GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR_MIPMAP_LINEAR};
    return table[filter];
}

unsigned MagFilterToGL(TGLMagFilter filter) { return filter == maNearest ? GL_NEAREST : GL_LINEAR; }

unsigned InternalFormatToGL(TGLTextureFormat format) {
    switch (format) {
    case tfRGB: return GL_RGB8;
    case tfRGB16: return GL_RGB5;
    case tfRGBA16: return GL_RGBA4;
    case tfAlpha: return GL_ALPHA8;
    case tfLuminance: return GL_LUMINANCE8;
    case tfLuminanceAlpha: return GL_LUMINANCE8_ALPHA8;
    case tfIntensity: return GL_INTENSITY8;
    case tfNormalMap: return GL_RGB8;
    case tfDefault:
    case tfRGBA: break;
    }
    return GL_RGBA8;
}

void WrapToGL(TGLTextureWrap wrap, bool edgeClamp, unsigned &s, unsigned &t) {
    const GLenum clamp = edgeClamp ? GL_CLAMP_TO_EDGE : GL_CLAMP;
    switch (wrap) {
    case twBoth: s = GL_REPEAT; t = GL_REPEAT; break;
    case twNone: s = clamp; t = clamp; break;
    case twVertical: s = clamp; t = GL_REPEAT; break;
    case twHorizontal: s = GL_REPEAT; t = clamp; break;
    }
}

bool IsMipmapFilter(TGLMinFilter filter) { return filter != miNearest && filter != miLinear; }

int RoundUpToPowerOf2(int n, int limit) {
    int p = 1;
    while (p < n && p < limit) p *= 2;
    return p;
}

// ---------------------------------------------------------------------------------------------
// Image sources

TGLBitmap32 &TGLTextureImage::GetImageBitmap() {
    if (!bitmap_) {
        bitmap_ = std::make_unique<TGLBitmap32>();
        BuildBitmap(*bitmap_);
    }
    return *bitmap_;
}

void TGLTextureImage::NotifyChange() {
    ReleaseImageBitmap();
    if (owner_) owner_->NotifyImageChange();
}

void TGLPersistentImage::SetPicture(const QImage &picture) {
    picture_ = picture;
    NotifyChange();
}

void TGLPersistentImage::SetPicture(const PixelBufferView &pixels) {
    TGLBitmap32 check; // validates the view before anything is kept
    check.AssignFromPixels(pixels);
    QImage image(pixels.width, pixels.height, QImage::Format_ARGB32);
    const ptrdiff_t stride = pixels.stride == 0 ? pixels.width : pixels.stride;
    for (int y = 0; y < pixels.height; ++y) {
        const uint32_t *src = pixels.pixels + ptrdiff_t(y) * stride;
        std::copy(src, src + pixels.width, reinterpret_cast<uint32_t *>(image.scanLine(y)));
    }
    SetPicture(image);
}

bool TGLPersistentImage::LoadFromFile(const QString &fileName) {
    QImageReader reader(fileName);
    reader.setAllocationLimit(256);
    QImage image = reader.read();
    SetPicture(image);
    return !image.isNull();
}

void TGLPersistentImage::BuildBitmap(TGLBitmap32 &bitmap) { bitmap.AssignFromImage(picture_); }

void TGLPicFileImage::SetPictureFileName(const QString &fileName) {
    if (fileName == fileName_) return;
    fileName_ = fileName;
    NotifyChange();
}

void TGLPicFileImage::BuildBitmap(TGLBitmap32 &bitmap) {
    if (fileName_.isEmpty()) return;
    QImageReader reader(fileName_);
    reader.setAllocationLimit(256);
    bitmap.AssignFromImage(reader.read());
}

// ---------------------------------------------------------------------------------------------
// TGLTexture

TGLTexture::TGLTexture(MaterialChangeListener *owner)
    : owner_(owner), image_(std::make_unique<TGLPersistentImage>(this)) {}

TGLTexture::~TGLTexture() { DestroyTextureHandle(); }

TGLPersistentImage &TGLTexture::UsePersistentImage() {
    auto image = std::make_unique<TGLPersistentImage>(this);
    TGLPersistentImage &ref = *image;
    image_ = std::move(image);
    NotifyImageChange();
    return ref;
}

TGLPicFileImage &TGLTexture::UsePicFileImage() {
    auto image = std::make_unique<TGLPicFileImage>(this);
    TGLPicFileImage &ref = *image;
    image_ = std::move(image);
    NotifyImageChange();
    return ref;
}

void TGLTexture::SetImagePixels(const PixelBufferView &pixels) {
    image_->GetImageBitmap().AssignFromPixels(pixels);
    NotifyImageChange();
}

void TGLTexture::NotifyImageChange() {
    imageChanged_ = true;
    if (owner_) owner_->MaterialChanged();
}

void TGLTexture::NotifyParamsChange() {
    paramsChanged_ = true;
    if (owner_) owner_->MaterialChanged();
}

void TGLTexture::SetDisabled(bool disabled) {
    if (disabled_ == disabled) return;
    disabled_ = disabled;
    if (owner_) owner_->MaterialChanged();
}

#define ORVANTA_TEXTURE_SETTER(Name, field, notify)                                                \
    void TGLTexture::Set##Name(decltype(field) value) {                                            \
        if (field == value) return;                                                                \
        field = value;                                                                             \
        notify();                                                                                  \
    }
ORVANTA_TEXTURE_SETTER(ImageAlpha, imageAlpha_, NotifyImageChange)
ORVANTA_TEXTURE_SETTER(ImageBrightness, imageBrightness_, NotifyImageChange)
ORVANTA_TEXTURE_SETTER(ImageGamma, imageGamma_, NotifyImageChange)
ORVANTA_TEXTURE_SETTER(MinFilter, minFilter_, NotifyParamsChange)
ORVANTA_TEXTURE_SETTER(MagFilter, magFilter_, NotifyParamsChange)
ORVANTA_TEXTURE_SETTER(TextureMode, textureMode_, NotifyParamsChange)
ORVANTA_TEXTURE_SETTER(TextureWrap, textureWrap_, NotifyParamsChange)
ORVANTA_TEXTURE_SETTER(TextureFormat, textureFormat_, NotifyParamsChange)
ORVANTA_TEXTURE_SETTER(Compression, compression_, NotifyParamsChange)
ORVANTA_TEXTURE_SETTER(FilteringQuality, filteringQuality_, NotifyParamsChange)
ORVANTA_TEXTURE_SETTER(MappingMode, mappingMode_, NotifyParamsChange)
#undef ORVANTA_TEXTURE_SETTER

void TGLTexture::SetEnvColor(const TGLColor &value) {
    if (envColor_ == value) return;
    envColor_ = value;
    NotifyParamsChange();
}

bool TGLTexture::HandleLost() const { return handle_ != 0 && handleMadeWithContext_ && handleContext_.isNull(); }

void TGLTexture::DestroyTextureHandle() {
    if (handle_ != 0 && !HandleLost()) {
        QOpenGLContext *ctx = handleContext_.data();
        if (!handleMadeWithContext_ || QOpenGLContext::currentContext() == ctx) {
            const GLuint name = handle_;
            glDeleteTextures(1, &name);
        } else {
            QueueOrphanTexture(ctx, handle_);
        }
    }
    handle_ = 0;
    handleContext_.clear();
    handleMadeWithContext_ = false;
    texWidth_ = texHeight_ = 0;
    hasMipmaps_ = false;
    imageChanged_ = paramsChanged_ = true;
}

unsigned TGLTexture::Handle(bool prepare) {
    if (HandleLost()) {
        handle_ = 0;
        texWidth_ = texHeight_ = 0;
        hasMipmaps_ = false;
        imageChanged_ = paramsChanged_ = true;
    }
    if (prepare && (handle_ == 0 || imageChanged_ || paramsChanged_)) PrepareTexture();
    else if (handle_ != 0) glBindTexture(GL_TEXTURE_2D, handle_);
    return handle_;
}

void TGLTexture::Apply(TRenderContextInfo &) {
    if (disabled_) {
        glDisable(GL_TEXTURE_2D);
        return;
    }
    glEnable(GL_TEXTURE_2D);
    Handle(true);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLint(TextureModeToGL(textureMode_)));
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, envColor_.Data());
}

void TGLTexture::Unapply(TRenderContextInfo &) {
    if (!disabled_) glDisable(GL_TEXTURE_2D);
}

void TGLTexture::ApplyParameters() {
    const TGLCapabilities &caps = TGLCapabilities::Current();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    unsigned s = GL_REPEAT, t = GL_REPEAT;
    WrapToGL(textureWrap_, caps.edgeClamp, s, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(s));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(t));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(MinFilterToGL(minFilter_)));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(MagFilterToGL(magFilter_)));
    if (caps.anisotropic)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                        filteringQuality_ == tfAnisotropic ? caps.maxAnisotropy : 1.0f);
    imageChanged_ = paramsChanged_ = false;
}

void TGLTexture::PrepareTexture() {
    if (handle_ == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        handle_ = name;
        handleContext_ = QOpenGLContext::currentContext();
        handleMadeWithContext_ = !handleContext_.isNull();
        texWidth_ = texHeight_ = 0;
        hasMipmaps_ = false;
    }
    glBindTexture(GL_TEXTURE_2D, handle_);
    ApplyParameters();

    TGLBitmap32 &bitmap = image_->GetImageBitmap();
    if (!bitmap.Empty()) {
        bitmap.ApplyImageAlpha(imageAlpha_);
        uint8_t table[256];
        if (imageBrightness_ != 1.0f) {
            BuildBrightnessTable(imageBrightness_, table);
            bitmap.MapColors(table);
        }
        if (imageGamma_ != 1.0f) {
            BuildGammaTable(imageGamma_, table);
            bitmap.MapColors(table);
        }
        UploadImage(bitmap);
    }
    image_->ReleaseImageBitmap();

    // A mipmap filter on a texture object without mipmap levels (its image could not be
    // delivered again) would make the texture incomplete and draw nothing: filter from level 0.
    if (IsMipmapFilter(minFilter_) && !hasMipmaps_) {
        const bool nearest = minFilter_ == miNearestMipmapNearest || minFilter_ == miNearestMipmapLinear;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    }
}

void TGLTexture::UploadImage(TGLBitmap32 &bitmap) {
    const TGLCapabilities &caps = TGLCapabilities::Current();
    const int limit = caps.maxTextureSize > 0 ? caps.maxTextureSize : 64;
    const int w = RoundUpToPowerOf2(bitmap.Width(), limit);
    const int h = RoundUpToPowerOf2(bitmap.Height(), limit);
    const uint8_t *pixels = bitmap.Data();
    std::vector<uint8_t> scaled;
    if (w != bitmap.Width() || h != bitmap.Height()) {
        scaled.resize(size_t(w) * size_t(h) * 4);
        gluScaleImage(GL_RGBA, bitmap.Width(), bitmap.Height(), GL_UNSIGNED_BYTE, pixels, w, h,
                      GL_UNSIGNED_BYTE, scaled.data());
        pixels = scaled.data();
    }
    const GLint internal = GLint(InternalFormatToGL(textureFormat_));
    if (!IsMipmapFilter(minFilter_)) {
        if (caps.generateMipmap) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_FALSE);
        glTexImage2D(GL_TEXTURE_2D, 0, internal, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        hasMipmaps_ = false;
    } else if (caps.generateMipmap) {
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        glTexImage2D(GL_TEXTURE_2D, 0, internal, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_FALSE);
        hasMipmaps_ = true;
    } else {
        gluBuild2DMipmaps(GL_TEXTURE_2D, internal, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        hasMipmaps_ = true;
    }
    texWidth_ = w;
    texHeight_ = h;
}
