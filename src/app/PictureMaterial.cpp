#include "app/PictureMaterial.h"

#include "picture/TextureMapFilters.h"
#include "scene/GLMaterial.h"
#include "settings/Options.h"
#include "settings/gVars.h"

namespace {

// cmbPicturesMipMapMin and cmbPicturesMipMapMag store the item index of their lists; the item
// text names the filter.
QString ItemText(const char *key, uint8_t index) {
    const OptionInfo *info = FindOptionInfo(QString::fromLatin1(key));
    return (info && index < info->items.size()) ? QString::fromLatin1(info->items[index]) : QString();
}

TGLMinFilter ToSceneMinFilter(TextureMinFilterChoice c) {
    switch (c) {
    case TextureMinFilterChoice::Nearest: return miNearest;
    case TextureMinFilterChoice::NearestMipmapNearest: return miNearestMipmapNearest;
    case TextureMinFilterChoice::NearestMipmapLinear: return miNearestMipmapLinear;
    case TextureMinFilterChoice::Linear: return miLinear;
    case TextureMinFilterChoice::LinearMipmapNearest: return miLinearMipmapNearest;
    case TextureMinFilterChoice::LinearMipmapLinear: return miLinearMipmapLinear;
    }
    return miLinear;
}

} // namespace

PictureMaterialSettings CurrentPictureMaterialSettings() {
    PictureMaterialSettings s;
    s.brightness = float(gVars.trkPicturesBrightness) * 0.02f;
    s.gamma = float(gVars.trkPictureGamma) * 0.02f;
    TextureMinFilterChoice min;
    if (TextureMinFilterFromName(ItemText("cmbPicturesMipMapMin", gVars.cmbPicturesMipMapMin), min))
        s.minFilter = ToSceneMinFilter(min);
    TextureMagFilterChoice mag;
    if (TextureMagFilterFromName(ItemText("cmbPicturesMipMapMag", gVars.cmbPicturesMipMapMag), mag))
        s.magFilter = mag == TextureMagFilterChoice::Nearest ? maNearest : maLinear;
    return s;
}

QString ApplyPictureMaterial(TGLMaterialLibrary &library, const QString &name, const TBitmap32 &map,
                             const PictureMaterialSettings &settings) {
    TGLLibMaterial *item = library.NewTextureMaterial(name, QString(), false);
    TGLMaterial &material = item->Material();
    TGLTexture &texture = material.Texture();
    texture.SetDisabled(false);
    PixelBufferView view;
    view.width = map.Width();
    view.height = map.Height();
    view.pixels = map.Bits();
    texture.SetImagePixels(view);
    material.SetBlendingMode(bmOpaque);
    texture.SetImageAlpha(tiaDefault);
    texture.SetImageBrightness(settings.brightness);
    texture.SetImageGamma(settings.gamma);
    texture.SetTextureMode(tmReplace);
    texture.SetTextureWrap(twNone);
    texture.SetTextureFormat(tfRGB16);
    texture.SetMinFilter(settings.minFilter);
    texture.SetMagFilter(settings.magFilter);
    return item->Name();
}
