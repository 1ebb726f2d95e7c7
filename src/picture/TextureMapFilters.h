#pragma once
// Names of the texture filters a picture material uses, as the settings store them
// (cmbPicturesMipMapMin, cmbPicturesMipMapMag). The scene layer has the filters themselves;
// the application maps these indices to them.

#include <QString>

// Minification, in the order of the options dialog.
enum class TextureMinFilterChoice {
    Nearest = 0,              // "Nearest"
    NearestMipmapNearest = 1, // "Nearest mipmap nearest"
    NearestMipmapLinear = 2,  // "Nearest mipmap linear"
    Linear = 3,               // "Linear"
    LinearMipmapNearest = 4,  // "Linear mipmap nearest"
    LinearMipmapLinear = 5,   // "Linear mipmap linear"
};
constexpr int kTextureMinFilterCount = 6;

// Magnification.
enum class TextureMagFilterChoice { Nearest = 0, Linear = 1 };
constexpr int kTextureMagFilterCount = 2;

QString TextureMinFilterName(TextureMinFilterChoice f);
bool TextureMinFilterFromName(const QString &name, TextureMinFilterChoice &f);
// True for the four mipmap choices (mipmaps are built at upload).
bool TextureMinFilterUsesMipmaps(TextureMinFilterChoice f);

QString TextureMagFilterName(TextureMagFilterChoice f);
bool TextureMagFilterFromName(const QString &name, TextureMagFilterChoice &f);
