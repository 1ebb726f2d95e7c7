// Decode requests: the reduced JPEG decode for texture maps gives nearly the map of the full-size
// decode, the picture keeps its full size, mirroring on request equals a mirror afterwards, and
// bitmaps that are not cleared before being written never show old memory.

#include "picture/PictureLoader.h"
#include "picture/TextureMap.h"

#include "PictureCompare.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>

using orvanta::test::MeanDifference;

namespace {

QString Corpus(const char *name) { return orvanta::test::CorpusDir() + "/" + name; }

// What the load road gives: the reduced, mirrored decode and the map from the full size.
struct Reduced {
    PictureSize full;
    PictureSize decoded;
    TBitmap32 map;
};
Reduced ReducedMap(const QString &file, const TextureMapSettings &settings) {
    TBitmap32 picture;
    DecodeRequest request = TextureMapDecodeRequest(settings);
    request.MirrorLeftRight = true;
    Reduced r;
    LoadPictureFile(file, picture, request, r.full);
    r.decoded = {picture.Width(), picture.Height()};
    BuildTextureMap(picture, r.full, r.map, settings);
    return r;
}

bool SamePixels(const TBitmap32 &a, const TBitmap32 &b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + size_t(a.Width()) * size_t(a.Height()), b.Bits());
}

// Measured on these photos: at most 1.38 (Lanczos, the 8 MP photo into a 256 map from a 1/8
// decode); 1/4 and 1/2 decodes stay below 0.8. The bound leaves room for other libjpeg builds.
constexpr double kMaxMeanDifference = 2.0;

} // namespace

TEST(ReducedDecode, MapsOfPhotosMatchTheMapsOfTheFullDecode) {
    const char *files[] = {"jpeg/large_12mp_olympus_E-P3.jpg", "jpeg/large_8mp_iphone_hdr_NO.jpg",
                           "jpeg/canon_hdr_NO.jpg", "jpeg/tahoe-gps.jpg", "jpeg/pil_sample_cmyk.jpg",
                           "jpeg/hopper_gray.jpg"};
    for (const char *file : files) {
        TBitmap32 picture;
        LoadPictureFile(Corpus(file), picture);
        picture.MirrorLeftRight();
        // The default filter at every map size (0: the best size), the other kernels at one each.
        const std::pair<TStretchFilter, int> settingsTable[] = {
            {sfLanczos, 256}, {sfLanczos, 512}, {sfLanczos, 1024}, {sfLanczos, 0},
            {sfLinear, 256},  {sfMitchell, 512}, {sfSpline, 256},  {sfCosine, 1024}};
        for (auto [filter, size] : settingsTable) {
            const TextureMapSettings settings{size == 0, size == 0 ? 512 : size, filter};
            SCOPED_TRACE(testing::Message() << file << " map " << size << " " << qPrintable(StretchFilterName(filter)));
            TBitmap32 fullMap;
            BuildTextureMap(picture, fullMap, settings);
            const Reduced r = ReducedMap(Corpus(file), settings);
            EXPECT_EQ(r.full.Width, picture.Width());
            EXPECT_EQ(r.full.Height, picture.Height());
            ASSERT_EQ(r.map.Width(), fullMap.Width());
            ASSERT_EQ(r.map.Height(), fullMap.Height());
            // The resampler only ever shrinks: the reduced picture is never below the map.
            EXPECT_GE(r.decoded.Width, std::min(picture.Width(), fullMap.Width()));
            EXPECT_GE(r.decoded.Height, std::min(picture.Height(), fullMap.Height()));
            EXPECT_LE(MeanDifference(r.map, fullMap), kMaxMeanDifference);
        }
    }
}

TEST(ReducedDecode, TheStrongestScalingThatKeepsTheMapSize) {
    struct Case {
        const char *file;
        bool best;
        int size;
        TStretchFilter filter;
        int w, h; // decoded size
    } cases[] = {
        {"jpeg/large_12mp_olympus_E-P3.jpg", false, 256, sfLanczos, 504, 378},    // 1/8
        {"jpeg/large_12mp_olympus_E-P3.jpg", false, 512, sfLanczos, 1008, 756},   // 1/4
        {"jpeg/large_12mp_olympus_E-P3.jpg", false, 1024, sfLanczos, 2016, 1512}, // 1/2
        {"jpeg/large_12mp_olympus_E-P3.jpg", true, 512, sfLanczos, 4032, 3024},   // 2048 map: 1/2 too small
        {"jpeg/large_12mp_olympus_E-P3.jpg", false, 512, sfNearest, 4032, 3024},  // whole-pixel filters
        {"jpeg/large_12mp_olympus_E-P3.jpg", false, 512, sfDraft, 4032, 3024},
        {"jpeg/large_6mp_2569067123_aca715a2ee_o.jpg", false, 256, sfLanczos, 2725, 2225}, // odd sides
        {"jpeg/canon_hdr_NO.jpg", false, 2048, sfLanczos, 2048, 1536},            // map beyond the picture
        {"jpeg/testorig.jpg", false, 256, sfLanczos, 227, 149},
        {"jpeg/progressive_cat.jpg", false, 256, sfLanczos, 320, 240},            // 1/2 is below 256
    };
    for (const Case &c : cases) {
        const Reduced r = ReducedMap(Corpus(c.file), {c.best, c.size, c.filter});
        EXPECT_EQ(r.decoded.Width, c.w) << c.file << " " << c.size;
        EXPECT_EQ(r.decoded.Height, c.h) << c.file << " " << c.size;
    }
}

TEST(ReducedDecode, UnreducedDecodesGiveTheSameMapBitForBit) {
    // A map at least as large as the picture, and the whole-pixel filters: nothing changes.
    struct Case {
        const char *file;
        int size;
        TStretchFilter filter;
    } cases[] = {{"jpeg/canon_hdr_NO.jpg", 2048, sfLanczos},
                 {"jpeg/large_8mp_iphone_hdr_NO.jpg", 512, sfNearest},
                 {"jpeg/large_8mp_iphone_hdr_NO.jpg", 256, sfDraft},
                 {"jpeg/testprog.jpeg", 256, sfSpline}};
    for (const Case &c : cases) {
        const TextureMapSettings settings{false, c.size, c.filter};
        TBitmap32 picture, fullMap;
        LoadPictureFile(Corpus(c.file), picture);
        picture.MirrorLeftRight();
        BuildTextureMap(picture, fullMap, settings);
        EXPECT_TRUE(SamePixels(ReducedMap(Corpus(c.file), settings).map, fullMap)) << c.file;
    }
}

TEST(DecodeRequest, MirrorOnRequestEqualsMirrorAfterwards) {
    // JPEG mirrors row by row while decoding; the other decoders are mirrored by the front end.
    const char *files[] = {"jpeg/testorig.jpg",  "jpeg/pil_sample_cmyk.jpg", "jpeg/hopper_gray.jpg",
                           "png/basn6a08.png",   "png/basn0g01.png",         "bmp/Core_4_Bit.bmp",
                           "gif/chi.gif",        "ico/bmp-32bpp-alpha.ico",  "targa/CTC24.TGA"};
    for (const char *file : files) {
        TBitmap32 plain, mirrored;
        LoadPictureFile(Corpus(file), plain);
        plain.MirrorLeftRight();
        DecodeRequest request;
        request.MirrorLeftRight = true;
        PictureSize full;
        LoadPictureFile(Corpus(file), mirrored, request, full);
        EXPECT_TRUE(SamePixels(mirrored, plain)) << file;
        EXPECT_EQ(full.Width, plain.Width()) << file;
        EXPECT_EQ(full.Height, plain.Height()) << file;
    }
}

TEST(DecodeRequest, AReusedBitmapShowsNoneOfItsOldPixels) {
    // The JPEG decoder does not clear the bitmap it writes into; a picture that ends early must
    // not show what the memory held before.
    for (const char *file : {"jpeg/truncated_jpeg.jpg", "jpeg/testorig.jpg", "jpeg/testimgari.jpg"}) {
        TBitmap32 fresh;
        bool decoded = true;
        try {
            LoadPictureFile(Corpus(file), fresh);
        } catch (const std::exception &) {
            decoded = false;
        }
        if (!decoded)
            continue;
        TBitmap32 reused(fresh.Width(), fresh.Height());
        reused.Clear(Color32(12, 34, 56, 78));
        LoadPictureFile(Corpus(file), reused);
        EXPECT_TRUE(SamePixels(reused, fresh)) << file;
    }
}
