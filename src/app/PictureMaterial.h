#pragma once
// The picture material: a texture material made from a texture map with the picture-quality
// settings. Lives in the application layer because it joins the picture and the scene layers.

#include "picture/Bitmap32.h"
#include "scene/GLTexture.h"

#include <QString>

class TGLMaterialLibrary;

struct PictureMaterialSettings {
    float brightness = 1.2f;      // trkPicturesBrightness x 0.02
    float gamma = 1.0f;           // trkPictureGamma x 0.02
    TGLMinFilter minFilter = miLinear;
    TGLMagFilter magFilter = maLinear;
};

// The settings of gVars as the picture material reads them.
PictureMaterialSettings CurrentPictureMaterialSettings();

// Adds a picture material named Name (made unique by the library) holding a copy of Map, and
// returns the name the library keeps it under.
QString ApplyPictureMaterial(TGLMaterialLibrary &library, const QString &name, const TBitmap32 &map,
                             const PictureMaterialSettings &settings);
