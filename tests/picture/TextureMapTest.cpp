// Texture maps: the map side per picture side, the map size per setting, the copy of pictures
// of map size, and the name tables of the picture-quality settings.

#include "picture/ResampleInternal.h"
#include "picture/TextureMap.h"
#include "picture/TextureMapFilters.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <random>

TEST(BestMapSize, Table) {
    const std::pair<int, int> cases[] = {
        {-1, 256},    {0, 256},     {1, 256},      {100, 256},   {383, 256},   {384, 512},
        {700, 512},   {767, 512},   {768, 1024},   {1000, 1024}, {1535, 1024}, {1536, 2048},
        {3000, 2048}, {30000, 2048}, {25165823, 2048}, {25165824, 2048}, {2147483647, 2048},
    };
    for (auto [n, want] : cases)
        EXPECT_EQ(BestMapSize(n), want) << n;
}

TEST(TextureMap, MapSizes) {
    struct Case {
        int w, h;
        bool best;
        int size;
        int mw, mh;
    } cases[] = {
        {383, 384, true, 512, 256, 512},     {1535, 1536, true, 512, 1024, 2048},
        {100, 100, true, 512, 256, 256},     {3000, 2000, true, 512, 2048, 2048},
        {700, 500, true, 512, 512, 512},     {1000, 300, true, 512, 1024, 256},
        {3000, 2000, false, 512, 512, 512},  {1, 1, false, 2048, 2048, 2048},
        {5000, 17, false, 256, 256, 256},    {0, 0, true, 512, 256, 256},
    };
    std::mt19937 rng(1);
    for (const Case &c : cases) {
        TBitmap32 src(c.w, c.h), map;
        for (int i = 0; i < c.w * c.h; ++i)
            src.Bits()[i] = rng();
        BuildTextureMap(src, map, {c.best, c.size, sfNearest});
        EXPECT_EQ(map.Width(), c.mw) << c.w << "x" << c.h;
        EXPECT_EQ(map.Height(), c.mh) << c.w << "x" << c.h;
        EXPECT_EQ(TextureMapRect(c.w, c.h, {c.best, c.size, sfLanczos}), (PixelRect{0, 0, c.mw, c.mh}));
    }
}

TEST(TextureMap, PictureOfMapSizeIsCopiedWithEveryFilter) {
    std::mt19937 rng(2);
    TBitmap32 src(512, 512);
    for (int i = 0; i < 512 * 512; ++i)
        src.Bits()[i] = rng();
    for (int f = 0; f < kStretchFilterCount; ++f) {
        TBitmap32 map;
        BuildTextureMap(src, map, {false, 512, TStretchFilter(f)});
        EXPECT_EQ(map.StretchFilter, TStretchFilter(f));
        ASSERT_TRUE(std::equal(src.Bits(), src.Bits() + 512 * 512, map.Bits())) << f;
    }
}

// The map step is the stretch transfer of the whole source into the whole map with the
// settings' filter, whatever filter the source bitmap carries.
TEST(TextureMap, ResamplesWithTheSettingsFilter) {
    std::mt19937 rng(3);
    TBitmap32 src(300, 200);
    for (int i = 0; i < 300 * 200; ++i)
        src.Bits()[i] = rng();
    src.StretchFilter = sfNearest;
    for (TStretchFilter f : {sfDraft, sfLanczos, sfMitchell}) {
        TBitmap32 map, want(256, 256);
        BuildTextureMap(src, map, {true, 512, f});
        resample::StretchTransferWith(resample::Impl::Scalar, want, want.BoundsRect(),
                                      want.BoundsRect(), src, src.BoundsRect(), f, dmOpaque);
        ASSERT_EQ(map.Width(), 256);
        EXPECT_TRUE(std::equal(want.Bits(), want.Bits() + 256 * 256, map.Bits())) << int(f);
    }
}

TEST(TextureMap, EveryPixelOfAReusedMapIsWritten) {
    // The map is not cleared before the transfer: with every filter, shrinking, enlarging and
    // copying, a map that held other pixels comes out as a fresh one.
    std::mt19937 rng(3);
    for (auto [w, h] : {std::pair{1300, 900}, std::pair{300, 200}, std::pair{512, 512}, std::pair{2, 3000}}) {
        TBitmap32 src(w, h);
        for (int i = 0; i < w * h; ++i)
            src.Bits()[i] = rng() | 0xFF000000u;
        for (int f = 0; f < kStretchFilterCount; ++f) {
            const TextureMapSettings settings{false, 512, TStretchFilter(f)};
            TBitmap32 fresh, reused(512, 512);
            reused.Clear(Color32(1, 2, 3, 4));
            BuildTextureMap(src, fresh, settings);
            BuildTextureMap(src, reused, settings);
            ASSERT_TRUE(std::equal(fresh.Bits(), fresh.Bits() + 512 * 512, reused.Bits())) << w << "x" << h << " " << f;
        }
    }
}

TEST(TextureMap, MapSizeFollowsTheFullPictureSize) {
    // A picture decoded reduced gets the map of its full size.
    TBitmap32 src(300, 200), map;
    src.Clear(Color32(10, 20, 30));
    BuildTextureMap(src, PictureSize{1200, 800}, map, {true, 512, sfLanczos});
    EXPECT_EQ(map.Width(), 1024);
    EXPECT_EQ(map.Height(), 1024);
    EXPECT_EQ(map.Pixel(500, 500), Color32(10, 20, 30));
}

TEST(TextureMap, InvalidFixedSizeRaises) {
    TBitmap32 src(10, 10), map;
    for (int s : {0, -1, 300, 4096})
        EXPECT_THROW(BuildTextureMap(src, map, {false, s, sfLanczos}), OrvantaError) << s;
}

TEST(FilterNames, StretchFilters) {
    const char *names[] = {"Nearest", "Draft", "Linear", "Cosine", "Spline", "Lanczos", "Mitchell"};
    for (int i = 0; i < kStretchFilterCount; ++i) {
        EXPECT_EQ(StretchFilterName(TStretchFilter(i)), QString(names[i]));
        TStretchFilter f = sfNearest;
        ASSERT_TRUE(StretchFilterFromName(names[i], f));
        EXPECT_EQ(int(f), i);
    }
    TStretchFilter f = sfMitchell;
    EXPECT_FALSE(StretchFilterFromName("lanczos", f)); // exact texts only
    EXPECT_FALSE(StretchFilterFromName("", f));
    EXPECT_EQ(f, sfMitchell);
    EXPECT_EQ(StretchFilterName(TStretchFilter(7)), QString());
}

TEST(FilterNames, TextureFilters) {
    const struct {
        const char *name;
        TextureMinFilterChoice f;
        bool mipmaps;
    } mins[] = {
        {"Nearest", TextureMinFilterChoice::Nearest, false},
        {"Nearest mipmap nearest", TextureMinFilterChoice::NearestMipmapNearest, true},
        {"Nearest mipmap linear", TextureMinFilterChoice::NearestMipmapLinear, true},
        {"Linear", TextureMinFilterChoice::Linear, false},
        {"Linear mipmap nearest", TextureMinFilterChoice::LinearMipmapNearest, true},
        {"Linear mipmap linear", TextureMinFilterChoice::LinearMipmapLinear, true},
    };
    for (const auto &m : mins) {
        TextureMinFilterChoice got = TextureMinFilterChoice::Nearest;
        ASSERT_TRUE(TextureMinFilterFromName(m.name, got)) << m.name;
        EXPECT_EQ(got, m.f);
        EXPECT_EQ(TextureMinFilterName(m.f), QString(m.name));
        EXPECT_EQ(TextureMinFilterUsesMipmaps(m.f), m.mipmaps) << m.name;
    }
    TextureMagFilterChoice mag = TextureMagFilterChoice::Nearest;
    ASSERT_TRUE(TextureMagFilterFromName("Linear", mag));
    EXPECT_EQ(mag, TextureMagFilterChoice::Linear);
    ASSERT_TRUE(TextureMagFilterFromName("Nearest", mag));
    EXPECT_EQ(mag, TextureMagFilterChoice::Nearest);
    EXPECT_FALSE(TextureMagFilterFromName("Linear mipmap linear", mag));
    TextureMinFilterChoice min = TextureMinFilterChoice::Linear;
    EXPECT_FALSE(TextureMinFilterFromName("Bilinear", min));
    EXPECT_EQ(min, TextureMinFilterChoice::Linear);
}
