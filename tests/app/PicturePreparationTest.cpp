// Preparing a picture for the wall: a photo decoded reduced keeps its full size for the HUD and
// the plane, and its map is the mirrored map of the full picture.

#include "app/PicturePreparation.h"
#include "picture/PictureLoader.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

double MeanDifference(const TBitmap32 &a, const TBitmap32 &b) {
    int64_t sum = 0;
    const int64_t n = int64_t(a.Width()) * a.Height();
    for (int64_t i = 0; i < n; ++i)
        for (int shift : {0, 8, 16})
            sum += std::abs(int((a.Bits()[i] >> shift) & 255) - int((b.Bits()[i] >> shift) & 255));
    return double(sum) / double(3 * n);
}

} // namespace

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
