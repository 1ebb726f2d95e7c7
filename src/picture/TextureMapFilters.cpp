#include "picture/TextureMapFilters.h"

namespace {
const char *const kMinNames[kTextureMinFilterCount] = {
    "Nearest", "Nearest mipmap nearest", "Nearest mipmap linear",
    "Linear",  "Linear mipmap nearest",  "Linear mipmap linear"};
const char *const kMagNames[kTextureMagFilterCount] = {"Nearest", "Linear"};
} // namespace

QString TextureMinFilterName(TextureMinFilterChoice f) {
    const int i = int(f);
    return i >= 0 && i < kTextureMinFilterCount ? QString::fromLatin1(kMinNames[i]) : QString();
}

bool TextureMinFilterFromName(const QString &name, TextureMinFilterChoice &f) {
    for (int i = 0; i < kTextureMinFilterCount; ++i) {
        if (name == QLatin1String(kMinNames[i])) {
            f = TextureMinFilterChoice(i);
            return true;
        }
    }
    return false;
}

bool TextureMinFilterUsesMipmaps(TextureMinFilterChoice f) {
    return f != TextureMinFilterChoice::Nearest && f != TextureMinFilterChoice::Linear;
}

QString TextureMagFilterName(TextureMagFilterChoice f) {
    const int i = int(f);
    return i >= 0 && i < kTextureMagFilterCount ? QString::fromLatin1(kMagNames[i]) : QString();
}

bool TextureMagFilterFromName(const QString &name, TextureMagFilterChoice &f) {
    for (int i = 0; i < kTextureMagFilterCount; ++i) {
        if (name == QLatin1String(kMagNames[i])) {
            f = TextureMagFilterChoice(i);
            return true;
        }
    }
    return false;
}
