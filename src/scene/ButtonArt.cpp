#include "scene/ButtonArt.h"

#include "scene/GLMaterial.h"

#include <QString>



QImage ButtonArtImage(int index) {
    if (index < 0 || index >= kButtonArtCount) return QImage();
    // The pictures are resources of the scene library (src/scene/resources/buttons/).
    return QImage(QStringLiteral(":/orvanta/buttons/button-%1.png").arg(index)).convertToFormat(QImage::Format_RGB888);
}

void LoadButtonMaterials(TGLMaterialLibrary &library) {
    for (int i = 0; i < kButtonArtCount; ++i) {
        TGLLibMaterial *item = library.Materials().Add(); // "LibMaterial", "LibMaterial1", ...
        TGLMaterial &material = item->Material();
        material.FrontProperties().SetDiffuse(TGLColor{1, 1, 1, 1});
        TGLTexture &texture = material.Texture();
        texture.UsePersistentImage().SetPicture(ButtonArtImage(i));
        texture.SetImageBrightness(1.1f);
        texture.SetImageGamma(1.2f);
        texture.SetMinFilter(miLinear);
        texture.SetMagFilter(maLinear);
        texture.SetTextureMode(tmReplace);
        texture.SetTextureFormat(tfIntensity);
        // The zoom-in and zoom-out buttons keep the default wrap.
        if (i < 5) texture.SetTextureWrap(twNone);
        texture.SetEnabled(true);
    }
}
