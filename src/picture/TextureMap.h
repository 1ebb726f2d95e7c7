#pragma once
// Texture maps: the power-of-two bitmap a picture is resampled into before it becomes the
// texture of its material.

#include "picture/Bitmap32.h"
#include "picture/DecodeRequest.h"
#include "picture/StretchFilter.h"

// The picture-quality values the map step needs; the application fills them from the settings
// (chkUseBestMapSize, cmbMapSize, cmbDefaultFilter).
struct TextureMapSettings {
    bool useBestMapSize = false;
    int mapSize = 512; // 256, 512, 1024 or 2048
    TStretchFilter filter = sfLanczos;
};

// The map side for a picture side of n pixels: 256 below 384, 512 below 768, 1024 below 1536,
// 2048 from there on.
int BestMapSize(int n);

// The map size BuildTextureMap chooses for a source of that size.
PixelRect TextureMapRect(int sourceWidth, int sourceHeight, const TextureMapSettings &settings);

// Sizes map (per side BestMapSize, or a square of mapSize) and fills it with the whole source
// resampled with settings.filter, which also becomes the map's StretchFilter. A mapSize other
// than the four map sizes raises OrvantaError, as does running out of memory.
void BuildTextureMap(const TBitmap32 &source, TBitmap32 &map, const TextureMapSettings &settings);

// The same for a source decoded reduced (see TextureMapDecodeRequest): the map size follows the
// picture's full size, so it is the map the full-size picture would get.
void BuildTextureMap(const TBitmap32 &source, PictureSize pictureSize, TBitmap32 &map,
                     const TextureMapSettings &settings);

// A decode request for a picture that only becomes a texture map: at least the map size in both
// directions, so a reduced decode still only ever shrinks in the resampler. The filters that
// work on whole source pixels (Nearest, Draft) ask for the full size.
DecodeRequest TextureMapDecodeRequest(const TextureMapSettings &settings);
