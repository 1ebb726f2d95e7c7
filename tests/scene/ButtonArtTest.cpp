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
        const QRgb edge = image.pixel(20, 1);
        EXPECT_GT(qGray(edge), 170) << i;
        EXPECT_GT(qBlue(edge), qGreen(edge)) << i;
        for (int j = 0; j < i; ++j) EXPECT_NE(image, ButtonArtImage(j)) << i << " looks like " << j;
    }
    EXPECT_TRUE(ButtonArtImage(-1).isNull());
    EXPECT_TRUE(ButtonArtImage(7).isNull());
}

TEST(ButtonArt, NextAndPreviousAreGreenMirrorImages) {
    const QImage next = ButtonArtImage(0), previous = ButtonArtImage(1);
    auto green = [](QRgb c) { return qGreen(c) - std::max(qRed(c), qBlue(c)) > 40; };
    // The green pixels of a row that lie farthest right (or left).
    auto extreme = [&](const QImage &image, int y, bool right) {
        int found = right ? -1 : 40;
        for (int x = 0; x < 40; ++x)
            if (green(image.pixel(x, y))) found = right ? std::max(found, x) : std::min(found, x);
        return found;
    };
    // Next: the tip on the middle row reaches farther right than the arms above and below it.
    EXPECT_GT(extreme(next, 20, true), extreme(next, 10, true) + 5);
    EXPECT_GT(extreme(next, 20, true), extreme(next, 30, true) + 5);
    // Previous: the same pointing left, and the picture is next's mirror image.
    EXPECT_LT(extreme(previous, 20, false), extreme(previous, 10, false) - 5);
    const QImage mirrored = next.mirrored(true, false);
    int differing = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 1; x < 39; ++x) // the frame's one-pixel offset aside
            if (std::abs(qGreen(mirrored.pixel(x, y)) - qGreen(previous.pixel(x, y))) > 40) ++differing;
    EXPECT_LT(differing, 40);
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
