// Decoder plug-ins: discovery by name, the entry points by their exact names, load-filter parsing,
// precedence in the decoder table, error codes and the conversion of the plug-in's record.

#include "TestEnv.h"
#include "picture/Bitmap32.h"
#include "picture/ImageDLLLoader.h"
#include "picture/PictureLoader.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

void Copy(const char *from, const QString &to) { ASSERT_TRUE(QFile::copy(from, to)) << to.toStdString(); }

void WriteText(const QString &path, const QByteArray &text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QString Error(const std::function<void()> &action) {
    try {
        action();
    } catch (const OrvantaError &e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

TEST(ImageDLLLoader, KeepsOnlyTheTwoLibraryNamesWithTheirEntryPoints) {
    orvanta::test::TempDir dir;
    Copy(TEST_PLUGIN_FULL, dir.file("JasperLib.SO"));  // the name in any case
    Copy(TEST_PLUGIN_FULL, dir.file("other.so"));      // any other library is left alone
    QDir().mkdir(dir.file("tiffread.so.d"));
    DecoderTable table;
    TImageDLLLoader loader(&table);
    EXPECT_TRUE(loader.FindPluginDecoders(dir.path())); // no trailing slash
    ASSERT_EQ(loader.Plugins().size(), 1u);
    const TImageDLLLoader::Plugin &p = loader.Plugins()[0];
    EXPECT_TRUE(p.FileName.endsWith("JasperLib.SO"));
    EXPECT_TRUE(p.LibLoadImage && p.LibSaveImage && p.LibFreeImage);
    EXPECT_EQ(p.LoadFilter, "Test pictures (*.tst;*.TST;*.tif)|*.tst;*.tiff;*.tif;*.TST");
    EXPECT_EQ(p.SaveFilter, "Test pictures|*.tst");
    EXPECT_EQ(p.Extensions, QStringList({"TST", "TIF", "TIFF"}));
}

TEST(ImageDLLLoader, SkipsLibrariesWithoutTheFreeEntryPointOrThatDoNotLoad) {
    orvanta::test::TempDir dir;
    Copy(TEST_PLUGIN_NOFREE, dir.file("tiffread.so"));
    WriteText(dir.file("jasperlib.so"), "not a library");
    DecoderTable table;
    const size_t before = table.Entries().size();
    TImageDLLLoader loader(&table);
    EXPECT_FALSE(loader.FindPluginDecoders(dir.path() + "/"));
    EXPECT_TRUE(loader.Plugins().empty());
    EXPECT_EQ(table.Entries().size(), before);
}

TEST(ImageDLLLoader, AddsEachExtensionOnceAndTakesPrecedence) {
    orvanta::test::TempDir dir;
    Copy(TEST_PLUGIN_FULL, dir.file("tiffread.so"));
    DecoderTable table;
    const size_t before = table.Entries().size();
    {
        TImageDLLLoader loader(&table);
        ASSERT_TRUE(loader.FindPluginDecoders(dir.path()));
        const std::vector<DecoderTable::Entry> entries = table.Entries();
        ASSERT_EQ(entries.size(), before + 3);
        EXPECT_EQ(entries[before].Extension, "tst");
        EXPECT_EQ(entries[before].Description, "tst");
        EXPECT_EQ(entries[before + 1].Extension, "tif");
        EXPECT_EQ(entries[before + 2].Extension, "tiff");
        // The plug-in now serves tif: a file it reads as a 2 x 1 picture.
        WriteText(dir.file("x.tif"), "0 2 1 3");
        TBitmap32 bitmap;
        table.Find("tif")(dir.file("x.tif"), bitmap);
        EXPECT_EQ(bitmap.Width(), 2);
        EXPECT_EQ(bitmap.Height(), 1);
    }
    EXPECT_EQ(table.Entries().size(), before); // the loader took its entries out again
}

TEST(ParseLoadFilterExtensions, FindsEveryPatternOnce) {
    EXPECT_EQ(ParseLoadFilterExtensions("JPEG 2000 (*.jp2;*.j2k)|*.jp2;*.j2k;*.JP2"), QStringList({"JP2", "J2K"}));
    // An extension that begins another one still counts as its own.
    EXPECT_EQ(ParseLoadFilterExtensions("*.tiff;*.tif"), QStringList({"TIFF", "TIF"}));
    EXPECT_EQ(ParseLoadFilterExtensions("*.my_ext1|*.|*"), QStringList({"MY_EXT1"}));
    EXPECT_TRUE(ParseLoadFilterExtensions("").isEmpty());
}

class PluginDecodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        Copy(TEST_PLUGIN_FULL, dir.file("jasperlib.so"));
        ASSERT_TRUE(loader.FindPluginDecoders(dir.path()));
        freeCount = reinterpret_cast<int (*)()>(dlsym(loader.Plugins()[0].Handle, "TestPluginFreeCount"));
        ASSERT_TRUE(freeCount);
    }
    QString Decode(const QByteArray &content, TBitmap32 &bitmap, const char *name = "picture.tst") {
        WriteText(dir.file(name), content);
        return Error([&] { LoadPictureFile(dir.file(name), bitmap); });
    }
    orvanta::test::TempDir dir;
    TImageDLLLoader loader; // uses the program-wide table, as LoadPictureFile does
    int (*freeCount)() = nullptr;
};

TEST_F(PluginDecodeTest, ErrorCodesBecomeMessages) {
    const struct {
        const char *content;
        const char *message;
    } cases[] = {
        {"2 1 1 3", "Unable to open file"},     {"3 1 1 3", "Error in bitmap data"},
        {"4 1 1 3", "Unsupported pixel format"}, {"5 1 1 3", "Unable to close file"},
        {"7 1 1 3", "Error in bitmap data: 7"},  {"-1 1 1 3", "Error in bitmap data: -1"},
    };
    for (const auto &c : cases) {
        TBitmap32 bitmap;
        EXPECT_EQ(Decode(c.content, bitmap), c.message) << c.content;
    }
}

TEST_F(PluginDecodeTest, FourPlanesAreLoadedButRefused) {
    TBitmap32 bitmap;
    const int before = freeCount();
    EXPECT_EQ(Decode("0 3 2 4", bitmap), "The image contains 4 color planes, only 3 were loaded");
    EXPECT_EQ(freeCount(), before + 1);
    EXPECT_EQ(Decode("0 3 2 0x14", bitmap), "The image contains 4 color planes, only 3 were loaded");
    // A failed conversion still gives the record back.
    EXPECT_EQ(Decode("0 3 2 0x10", bitmap), "Unsupported bitmap format");
    EXPECT_EQ(Decode("0 3 2 0x22", bitmap), "Unsupported pixel format");
    EXPECT_EQ(freeCount(), before + 4);
}

TEST_F(PluginDecodeTest, ThreePlanesAreBlueGreenRed) {
    TBitmap32 bitmap;
    ASSERT_EQ(Decode("0 3 2 3", bitmap, "upper.TST"), "<no error>");
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Pixel(2, 1), Color32(3, 1, 2)); // bytes x, y, x + y are blue, green, red
}

TEST_F(PluginDecodeTest, UnlistedTypeIsUnsupported) {
    TBitmap32 bitmap;
    WriteText(dir.file("x.abc"), "0 1 1 3");
    EXPECT_EQ(Error([&] { loader.LoadPicture(dir.file("x.abc"), bitmap); }), "Unsupported file format: ABC");
    EXPECT_EQ(Error([&] { loader.LoadPicture(dir.file("noext"), bitmap); }), "Unsupported file format: ");
}

TEST(ConvertImageContainer, EveryPixelFormat) {
    uint8_t pixels[64];
    for (int i = 0; i < 64; ++i)
        pixels[i] = uint8_t(i * 3 + 1);
    uint8_t palette[768];
    for (int i = 0; i < 768; ++i)
        palette[i] = uint8_t(255 - i % 256);
    const struct {
        int32_t format;
        bool withPalette;
        TColor32 second; // pixel (1, 0)
    } cases[] = {
        {1, false, Color32(4, 4, 4)},                           // grey ramp
        {0x31, true, Color32(palette[12], palette[13], palette[14])}, // palette entry 4
        {3, false, Color32(16, 13, 10)},                        // bytes 10, 13, 16 = B, G, R
        {4, false, Color32(19, 16, 13)},
        {0x11, false, Color32(10, 10, 10)},                     // 16-bit grey: high byte of (7, 10)
        {0x13, false, Color32(34, 28, 22)},
        {0x21, false, 0},                                       // computed below
    };
    for (const auto &c : cases) {
        TImageContainer image{2, 2, 0, c.format, pixels, c.withPalette ? palette : nullptr, nullptr};
        TBitmap32 bitmap;
        ConvertImageContainer(image, bitmap);
        ASSERT_EQ(bitmap.Width(), 2);
        ASSERT_EQ(bitmap.Height(), 2);
        TColor32 want = c.second;
        if (c.format == 0x21) {
            const unsigned w = pixels[2] | pixels[3] << 8;
            const unsigned r = w >> 11, g = (w >> 5) & 63, b = w & 31;
            want = Color32(uint8_t(r << 3 | r >> 2), uint8_t(g << 2 | g >> 4), uint8_t(b << 3 | b >> 2));
        }
        EXPECT_EQ(bitmap.Pixel(1, 0), want) << std::hex << c.format;
    }
}

TEST(ConvertImageContainer, RefusesBadRecords) {
    uint8_t pixels[16] = {};
    const struct {
        TImageContainer image;
        const char *message;
    } cases[] = {
        {{2, 2, 0, 0x10, pixels, nullptr, nullptr}, "Unsupported bitmap format"},
        {{2, 2, 0, 0x20, pixels, nullptr, nullptr}, "Unsupported bitmap format"},
        {{2, 2, 0, 2, pixels, nullptr, nullptr}, "Unsupported pixel format"},
        {{2, 2, 0, 0x12, pixels, nullptr, nullptr}, "Unsupported pixel format"},
        {{2, 2, 0, 3, nullptr, nullptr, nullptr}, "Error in bitmap data"},
        {{0, 2, 0, 3, pixels, nullptr, nullptr}, "Error in bitmap data"},
        {{-4, 2, 0, 3, pixels, nullptr, nullptr}, "Error in bitmap data"},
    };
    for (const auto &c : cases) {
        TBitmap32 bitmap;
        EXPECT_EQ(Error([&] { ConvertImageContainer(c.image, bitmap); }), c.message) << c.image.PixelFormat;
    }
    TBitmap32 bitmap;
    const TImageContainer huge{1 << 20, 1 << 20, 0, 3, pixels, nullptr, nullptr};
    EXPECT_TRUE(Error([&] { ConvertImageContainer(huge, bitmap); }).contains("too large"));
}

TEST(JasperLib, DecodesJpeg2000Files) {
    TImageDLLLoader loader;
    ASSERT_TRUE(loader.FindPluginDecoders(orvanta::test::BinDir()));
    TBitmap32 bitmap;
    LoadPictureFile(orvanta::test::CorpusDir() + "/jpeg2000/input.jpc", bitmap);
    EXPECT_EQ(bitmap.Width(), 70);
    EXPECT_EQ(bitmap.Height(), 46);
}

} // namespace
