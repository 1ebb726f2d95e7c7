// Preparing a picture for the wall: a photo decoded reduced keeps its full size for the HUD and
// the plane, and its map is the mirrored map of the full picture.

#include "app/PicturePreparation.h"
#include "picture/PictureLoader.h"

#include "PictureCompare.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

using orvanta::test::MeanDifference;

TEST(PreparePicture, PhotosKeepTheirFullSizeAndGetTheMirroredMap) {
    struct Case {
        const char *file;
        int w, h;
        TStretchFilter filter;
        double bound; // mean difference per channel to the map of the full-size picture
    } cases[] = {
        {"jpeg/large_12mp_olympus_E-P3.jpg", 4032, 3024, sfLanczos, 2.0}, // decoded at 1/4
        {"jpeg/large_12mp_olympus_E-P3.jpg", 4032, 3024, sfNearest, 0.0}, // decoded whole
        {"png/basn6a08.png", 32, 32, sfLanczos, 0.0},
    };
    for (const Case &c : cases) {
        const QString path = orvanta::test::CorpusDir() + "/" + c.file;
        const TextureMapSettings settings{false, 512, c.filter};
        const PreparedPicture p = PreparePicture(path, settings);
        ASSERT_FALSE(p.Failed) << c.file << " " << qPrintable(p.FirstError);
        EXPECT_EQ(p.PixelWidth, c.w) << c.file;
        EXPECT_EQ(p.PixelHeight, c.h) << c.file;
        EXPECT_EQ(p.ShownWidth, c.w) << c.file;
        EXPECT_EQ(p.ShownHeight, c.h) << c.file;

        TBitmap32 picture, map;
        LoadPictureFile(path, picture);
        picture.MirrorLeftRight();
        BuildTextureMap(picture, map, settings);
        ASSERT_EQ(p.Map.Width(), map.Width());
        ASSERT_EQ(p.Map.Height(), map.Height());
        EXPECT_LE(MeanDifference(p.Map, map), c.bound) << c.file;
    }
}
