// The screen-button artwork and the button material library.
#include "scene/ButtonArt.h"
#include "scene/GLMaterial.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(ButtonArt, SevenPicturesOf40x40In24BitColour) {
    for (int i = 0; i < kButtonArtCount; ++i) {
        const QImage image = ButtonArtImage(i);
        ASSERT_FALSE(image.isNull()) << i;
        EXPECT_EQ(image.size(), QSize(40, 40)) << i;
        EXPECT_EQ(image.depth(), 24) << i;
        // The background is light, slightly blue-violet.
        const QRgb corner = image.pixel(3, 3);
        EXPECT_GT(qGray(corner), 170) << i;
        EXPECT_GE(qBlue(corner), qRed(corner)) << i;
        for (int j = 0; j < i; ++j) EXPECT_NE(image, ButtonArtImage(j)) << i << " looks like " << j;
    }
    EXPECT_TRUE(ButtonArtImage(-1).isNull());
    EXPECT_TRUE(ButtonArtImage(7).isNull());
}

TEST(ButtonArt, NextAndPreviousAreGreenMirrorImages) {
    const QImage next = ButtonArtImage(0), previous = ButtonArtImage(1);
    // Greenest pixel lies right of the centre for next, left of it for previous.
    auto greenCentre = [](const QImage &image) {
        double sum = 0, weight = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const QRgb c = image.pixel(x, y);
                const int g = qGreen(c) - std::max(qRed(c), qBlue(c));
                if (g > 40) {
                    sum += x * g;
                    weight += g;
                }
            }
        return weight > 0 ? sum / weight : -1.0;
    };
    const double n = greenCentre(next), p = greenCentre(previous);
    ASSERT_GT(n, 0);
    ASSERT_GT(p, 0);
    EXPECT_NEAR(n + p, 39, 1.5);
    EXPECT_GT(n, 19.5);
}

TEST(ButtonArt, MaterialLibraryOfTheSevenButtons) {
    TGLMaterialLibrary library;
    LoadButtonMaterials(library);
    ASSERT_EQ(library.Materials().Count(), 7);
    const char *names[] = {"LibMaterial", "LibMaterial1", "LibMaterial2", "LibMaterial3",
                           "LibMaterial4", "LibMaterial5", "LibMaterial6"};
    for (int i = 0; i < 7; ++i) {
        TGLLibMaterial *item = library.Materials().Items(i);
        EXPECT_EQ(item->Name(), QString::fromLatin1(names[i]));
        EXPECT_EQ(library.FindLibMaterial(QString::fromLatin1(names[i])), item);
        TGLMaterial &m = item->Material();
        EXPECT_EQ(m.FrontProperties().Diffuse(), (TGLColor{1, 1, 1, 1}));
        TGLTexture &t = m.Texture();
        EXPECT_TRUE(t.Enabled());
        EXPECT_FLOAT_EQ(t.ImageBrightness(), 1.1f);
        EXPECT_FLOAT_EQ(t.ImageGamma(), 1.2f);
        EXPECT_EQ(t.MinFilter(), miLinear);
        EXPECT_EQ(t.MagFilter(), maLinear);
        EXPECT_EQ(t.TextureMode(), tmReplace);
        EXPECT_EQ(t.TextureFormat(), tfIntensity);
        EXPECT_EQ(t.TextureWrap(), i < 5 ? twNone : twBoth) << i;
        // The picture can be delivered again and again (the hover and press looks re-upload it).
        for (int round = 0; round < 2; ++round) {
            TGLBitmap32 &bitmap = t.Image().GetImageBitmap();
            EXPECT_EQ(bitmap.Width(), 40);
            EXPECT_EQ(bitmap.Height(), 40);
            t.Image().ReleaseImageBitmap();
        }
    }
}

} // namespace
