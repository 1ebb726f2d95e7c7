// Materials without a context: library naming and links, texture image tables and layout,
// change flags and the texture matrix.
#include "scene/GLMaterial.h"
#include "scene/GLObjects.h"
#include "platform/Errors.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MaterialLibrary, NumberedNamesAndLookupReturnsTheOlder) {
    TGLMaterialLibrary lib;
    TGLLibMaterial *first = lib.NewTextureMaterial("00001_IMG", "", false);
    TGLLibMaterial *second = lib.NewTextureMaterial("00001_IMG", "", false);
    TGLLibMaterial *third = lib.NewTextureMaterial("00001_IMG", "", false);
    EXPECT_EQ(first->Name(), "00001_IMG");
    EXPECT_EQ(second->Name(), "00001_IMG1");
    EXPECT_EQ(third->Name(), "00001_IMG2");
    EXPECT_EQ(lib.FindLibMaterial("00001_IMG"), first);
    EXPECT_EQ(lib.FindLibMaterial("00001_IMG1"), second);
    // Lookup is exact: another case is another name.
    EXPECT_EQ(lib.FindLibMaterial("00001_img"), nullptr);
    // Plain additions are "LibMaterial" made unique.
    EXPECT_EQ(lib.Materials().Add()->Name(), "LibMaterial");
    EXPECT_EQ(lib.Materials().Add()->Name(), "LibMaterial1");
    // Freeing a material frees its name for the next one.
    lib.Materials().Remove(first);
    EXPECT_EQ(lib.NewTextureMaterial("00001_IMG", "", false)->Name(), "00001_IMG");
    // While loading, names are taken as they are.
    lib.Materials().Loading = true;
    TGLLibMaterial *loaded = lib.Materials().Add();
    loaded->SetName("00001_IMG1");
    EXPECT_EQ(loaded->Name(), "00001_IMG1");
}

TEST(MaterialLibrary, NameHash) {
    // h = length, then h = 2h + code for each character.
    EXPECT_EQ(TGLLibMaterial::ComputeNameHash("AB"), ((2u * 2 + 'A') * 2 + 'B'));
    EXPECT_EQ(TGLLibMaterial::ComputeNameHash(""), 0u);
}

TEST(MaterialLibrary, NewTextureMaterialDefaults) {
    TGLMaterialLibrary lib;
    TGLLibMaterial *m = lib.NewTextureMaterial("x", "", false);
    const TGLTexture &t = m->Material().Texture();
    EXPECT_FALSE(t.Disabled());
    EXPECT_EQ(t.MinFilter(), miLinearMipmapLinear);
    EXPECT_EQ(t.MagFilter(), maLinear);
    EXPECT_EQ(t.TextureMode(), tmModulate);
    EXPECT_NE(dynamic_cast<TGLPicFileImage *>(&m->Material().Texture().Image()), nullptr);
    TGLLibMaterial *p = lib.NewTextureMaterial("y", "", true);
    EXPECT_NE(dynamic_cast<TGLPersistentImage *>(&p->Material().Texture().Image()), nullptr);
}

TEST(MaterialLibrary, LinkingAndUnlinkingWhenALibraryMaterialIsFreed) {
    TGLMaterialLibrary lib;
    TGLLibMaterial *img = lib.NewTextureMaterial("00001_IMG", "", false);
    TGLPlane plane;
    TGLMaterial &m = plane.Material();
    m.SetMaterialLibrary(&lib);
    m.SetLibMaterialName("00001_IMG");
    EXPECT_EQ(m.LibMaterial(), img);
    EXPECT_EQ(img->UserCount(), 1);

    // An unknown name leaves the material unlinked but keeps the name.
    m.SetLibMaterialName("nope");
    EXPECT_EQ(m.LibMaterial(), nullptr);
    EXPECT_EQ(m.LibMaterialName(), "nope");
    EXPECT_EQ(img->UserCount(), 0);

    m.SetLibMaterialName("00001_IMG");
    img->Material().SetBlendingMode(bmTransparency);
    EXPECT_TRUE(plane.IsBlended()); // a linked material is its library material
    lib.Materials().Remove(img);
    EXPECT_EQ(m.LibMaterial(), nullptr);
    EXPECT_EQ(m.LibMaterialName(), "");
    EXPECT_FALSE(plane.IsBlended());

    // Destroying a linked node unlists it; destroying the library unlinks the survivors.
    TGLLibMaterial *again = lib.NewTextureMaterial("00002_IMG", "", false);
    {
        TGLPlane temp;
        temp.Material().SetMaterialLibrary(&lib);
        temp.Material().SetLibMaterialName("00002_IMG");
        EXPECT_EQ(again->UserCount(), 1);
    }
    EXPECT_EQ(again->UserCount(), 0);
    auto lib2 = std::make_unique<TGLMaterialLibrary>();
    lib2->NewTextureMaterial("k", "", true);
    m.SetMaterialLibrary(lib2.get());
    m.SetLibMaterialName("k");
    ASSERT_NE(m.LibMaterial(), nullptr);
    lib2.reset();
    EXPECT_EQ(m.LibMaterial(), nullptr);
    EXPECT_EQ(m.MaterialLibrary(), nullptr);
}

TEST(TextureImage, BrightnessTable) {
    uint8_t table[256];
    BuildBrightnessTable(1.2f, table);
    EXPECT_EQ(table[128], 154);
    EXPECT_EQ(table[212], 254);
    for (int v = 213; v < 256; ++v) EXPECT_EQ(table[v], 255) << v;
    BuildBrightnessTable(1.8f, table);
    EXPECT_EQ(table[141], 254);
    EXPECT_EQ(table[142], 255);
    // Halves go to the even neighbour: 5 x 0.5 = 2.5 -> 2, 7 x 0.5 = 3.5 -> 4.
    BuildBrightnessTable(0.5f, table);
    EXPECT_EQ(table[5], 2);
    EXPECT_EQ(table[7], 4);
    // A negative factor cannot wrap around.
    BuildBrightnessTable(-1.0f, table);
    EXPECT_EQ(table[200], 0);
}

TEST(TextureImage, GammaTable) {
    uint8_t table[256];
    BuildGammaTable(0.5f, table);
    EXPECT_EQ(table[128], 64);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[255], 255);
    BuildGammaTable(2.0f, table);
    EXPECT_EQ(table[64], 128); // 255 x sqrt(64/255) = 127.75
    // Gamma below 0.1, zero or negative uses the exponent 10.
    uint8_t tiny[256], zero[256];
    BuildGammaTable(0.05f, tiny);
    BuildGammaTable(0.0f, zero);
    EXPECT_EQ(tiny[200], zero[200]);
    EXPECT_EQ(tiny[200], 22); // 255 x (200/255)^10 = 22.47
}

TEST(TextureImage, FillFromTopDownPixelsReversesRowsAndReordersBytes) {
    const uint32_t pixels[] = {0x80112233, 0xFF445566, 0x01778899,  // top row
                               0xFFAABBCC, 0xFFDDEEFF, 0xFF000000}; // bottom row
    TGLBitmap32 bitmap;
    bitmap.AssignFromPixels({3, 2, pixels, 0});
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    const uint8_t *first = bitmap.Data(); // first stored row = bottom row of the picture
    EXPECT_EQ(first[0], 0xAA);
    EXPECT_EQ(first[1], 0xBB);
    EXPECT_EQ(first[2], 0xCC);
    EXPECT_EQ(first[3], 0xFF);
    const uint8_t *top = bitmap.ScanLine(1);
    EXPECT_EQ(top[0], 0x11);
    EXPECT_EQ(top[3], 0x80);
    EXPECT_EQ(bitmap.PixelFromTop(2, 0), 0x01778899u);
    // With a stride (rows with gaps).
    const uint32_t padded[] = {1, 2, 99, 3, 4, 99};
    bitmap.AssignFromPixels({2, 2, padded, 3});
    EXPECT_EQ(bitmap.PixelFromTop(1, 1), 4u);
}

TEST(TextureImage, MalformedViewsAreRefused) {
    TGLBitmap32 bitmap;
    const uint32_t one = 0;
    EXPECT_THROW(bitmap.AssignFromPixels({-1, 2, &one, 0}), OrvantaError);
    EXPECT_THROW(bitmap.AssignFromPixels({2, 2, nullptr, 0}), OrvantaError);
    EXPECT_THROW(bitmap.AssignFromPixels({2, 1, &one, 1}), OrvantaError);
    EXPECT_THROW(bitmap.SetSize(kMaxTextureImageSide + 1, 1), OrvantaError);
    bitmap.AssignFromPixels({0, 0, nullptr, 0});
    EXPECT_TRUE(bitmap.Empty());
}

TEST(Texture, ChangeFlagsAndEnumTables) {
    TGLTexture t;
    EXPECT_TRUE(t.Disabled());
    EXPECT_TRUE(t.ImageChanged());
    EXPECT_TRUE(t.ParamsChanged());
    EXPECT_EQ(InternalFormatToGL(tfRGB16), unsigned(GL_RGB5));
    EXPECT_EQ(InternalFormatToGL(tfIntensity), unsigned(GL_INTENSITY8));
    EXPECT_EQ(InternalFormatToGL(tfDefault), unsigned(GL_RGBA8));
    EXPECT_EQ(MinFilterToGL(miNearestMipmapLinear), unsigned(GL_NEAREST_MIPMAP_LINEAR));
    EXPECT_EQ(TextureModeToGL(tmReplace), unsigned(GL_REPLACE));
    unsigned s, tt;
    WrapToGL(twVertical, true, s, tt);
    EXPECT_EQ(s, unsigned(GL_CLAMP_TO_EDGE));
    EXPECT_EQ(tt, unsigned(GL_REPEAT));
    WrapToGL(twNone, false, s, tt);
    EXPECT_EQ(s, unsigned(GL_CLAMP));
    EXPECT_EQ(RoundUpToPowerOf2(40, 8192), 64);
    EXPECT_EQ(RoundUpToPowerOf2(64, 8192), 64);
    EXPECT_EQ(RoundUpToPowerOf2(5000, 2048), 2048);
    EXPECT_EQ(RoundUpToPowerOf2(1, 2048), 1);
}

TEST(LibMaterial, TextureMatrixOnlyWhenScaleOrOffsetAreNotIdentity) {
    TGLMaterialLibrary lib;
    TGLLibMaterial *m = lib.NewTextureMaterial("a", "", true);
    EXPECT_TRUE(m->TextureMatrixIsIdentity());
    m->TextureScale().SetVector(1, 1, 1);
    m->TextureOffset().SetVector(0, 0, 0);
    EXPECT_TRUE(m->TextureMatrixIsIdentity());
    m->TextureScale().SetVector(5, 5, 1);
    EXPECT_FALSE(m->TextureMatrixIsIdentity());
    EXPECT_FLOAT_EQ(m->TextureMatrix().m[0][0], 5);
    EXPECT_FLOAT_EQ(m->TextureMatrix().m[1][1], 5);
    m->TextureScale().SetVector(1, 1, 1);
    m->TextureOffset().SetVector(0.25f, 0, 0);
    EXPECT_FALSE(m->TextureMatrixIsIdentity());
    EXPECT_FLOAT_EQ(m->TextureMatrix().m[3][0], 0.25f);
}

} // namespace
