// The format table, the extension list, the picture-file test, the open-dialog filter, the
// decoder table and the special paths of LoadPictureFile.

#include "TestEnv.h"
#include "picture/Bitmap32.h"
#include "picture/PictureFormats.h"
#include "picture/PictureLoader.h"
#include "platform/Errors.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString Corpus(const char *path) { return orvanta::test::CorpusDir() + "/" + path; }

QString LoadError(const QString &file) {
    TBitmap32 bitmap;
    try {
        LoadPictureFile(file, bitmap);
    } catch (const OrvantaError &e) {
        return e.Message();
    }
    return QStringLiteral("<decoded>");
}

void WriteFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString &path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

TEST(PictureFormatTable, HasTheFortyTwoRowsInOrder) {
    const char *expected[42][2] = {
        {"jpg", "Joint Picture Expert Group"}, {"jpeg", "Joint Picture Expert Group"},
        {"jpe", "Joint Picture Expert Group"}, {"jp2", "JPEG 2000"}, {"jpc", "JPEG 2000"},
        {"j2k", "JPEG 2000"}, {"j2c", "JPEG 2000"}, {"gif", "Graphics Interchange Format"},
        {"png", "Portable Network Graphics"}, {"bmp", "Windows Bitmap"}, {"dib", "Windows Bitmap"},
        {"rle", "Windows Bitmap"}, {"tif", "TIFF image"}, {"tiff", "TIFF image"}, {"fax", "GFI Fax images"},
        {"wmf", "Windows Metafile"}, {"emf", "Windows Metafile"}, {"dds", "Microsoft DirectDraw Surface"},
        {"eps", "Encapsulated Post Script"}, {"tga", "Targa Image"}, {"vda", "Targa Image"},
        {"vst", "Targa Image"}, {"icb", "Targa Image"}, {"pcx", "Zsoft Paintbrush"},
        {"pcc", "Zsoft Paintbrush"}, {"scr", "Zsoft Paintbrush"}, {"ico", "Windows icon"},
        {"pnm", "Portable Bitmap"}, {"pgm", "Portable Bitmap"}, {"ppm", "Portable Bitmap"},
        {"pbm", "Portable Bitmap"}, {"hips", "HIPS image"}, {"hip", "HIPS image"}, {"ras", "Sun Rasterfile"},
        {"psd", "Adobe Photoshop Image"}, {"pdd", "Adobe Photoshop Image"}, {"psp", "Paint Shop Pro Image"},
        {"pcd", "Kodak Photo-CD Image"}, {"bw", "Silicon Graphics"}, {"rgb", "Silicon Graphics"},
        {"rgba", "Silicon Graphics"}, {"sgi", "Silicon Graphics"}};
    ASSERT_EQ(PictureFormatTable.size(), 42u);
    for (size_t i = 0; i < 42; ++i) {
        EXPECT_STREQ(PictureFormatTable[i].Extension, expected[i][0]) << "row " << i;
        EXPECT_STREQ(PictureFormatTable[i].FormatName, expected[i][1]) << "row " << i;
    }
}

TEST(PictureExtensions, ListsEveryRowInOrder) {
    const QString expected = QStringLiteral(
        "*.jpg;*.jpeg;*.jpe;*.jp2;*.jpc;*.j2k;*.j2c;*.gif;*.png;*.bmp;*.dib;*.rle;*.tif;*.tiff;*.fax;*.wmf;"
        "*.emf;*.dds;*.eps;*.tga;*.vda;*.vst;*.icb;*.pcx;*.pcc;*.scr;*.ico;*.pnm;*.pgm;*.ppm;*.pbm;*.hips;"
        "*.hip;*.ras;*.psd;*.pdd;*.psp;*.pcd;*.bw;*.rgb;*.rgba;*.sgi;");
    EXPECT_EQ(BuildPictureExtensions(), expected);
    EXPECT_EQ(BuildPictureExtensions().size(), 255);
    EXPECT_EQ(PictureExtensions, expected);
}

TEST(OpenDialogFilter, HasTheExactText) {
    const QString filter = BuildOpenDialogFilter(BuildPictureExtensions());
    EXPECT_EQ(filter.size(), 1463);
    EXPECT_TRUE(filter.startsWith("All formats (*.jpg *.jpeg ")) << filter.left(40).toStdString();
    EXPECT_TRUE(filter.contains("*.sgi )|*.jpg;*.jpeg;"));
    EXPECT_TRUE(filter.contains(
        "*.sgi;|Joint Picture Expert Group (*.jpg *.jpeg *.jpe)|*.jpg;*.jpeg;*.jpe;|JPEG 2000 (*.jp2 *.jpc "
        "*.j2k *.j2c)|*.jp2;*.jpc;*.j2k;*.j2c;|Graphics Interchange Format (*.gif)|*.gif;|"));
    EXPECT_TRUE(filter.endsWith("Silicon Graphics (*.bw *.rgb *.rgba *.sgi)|*.bw;*.rgb;*.rgba;*.sgi;"));
    const QStringList parts = filter.split('|');
    ASSERT_EQ(parts.size(), 42); // 21 entries of a name and a pattern list
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2)
        names << parts[i].left(parts[i].indexOf(" ("));
    EXPECT_EQ(names.removeDuplicates(), 0);
    EXPECT_EQ(names[14], "Portable Bitmap");
    EXPECT_EQ(parts[29], "*.pnm;*.pgm;*.ppm;*.pbm;");
}

TEST(OpenDialogFilter, ConvertsToQtForm) {
    const QString qt = ToQtDialogFilter(BuildOpenDialogFilter(BuildPictureExtensions()));
    const QStringList entries = qt.split(";;");
    ASSERT_EQ(entries.size(), 21);
    EXPECT_TRUE(entries[0].startsWith("All formats (*.jpg *.jpeg *.jpe *.jp2 "));
    EXPECT_TRUE(entries[0].endsWith("*.rgba *.sgi)"));
    EXPECT_EQ(entries[1], "Joint Picture Expert Group (*.jpg *.jpeg *.jpe)");
    EXPECT_EQ(entries[20], "Silicon Graphics (*.bw *.rgb *.rgba *.sgi)");
}

TEST(IsPictureFile, NeedsAWholeTableExtensionInAnyCase) {
    const struct {
        const char *name;
        bool picture;
    } cases[] = {
        {"x.JPG", true},          {"photo.jpg", true},   {"/a/b.c/x.Tiff", true}, {"x.gif.bmp", true},
        {"x.pnm", true},          {"x.ras", true},       {"x.hips", true},        {"photo", false},
        {"archive.tar", false},   {"x.jp", false},       {"x.tiff2", false},      {"/a/b.jpg/file", false},
        {"x.", false},            {"x.jfif", false},     {"x.win", false},        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsPictureFile(c.name), c.picture) << c.name;
}

TEST(DecoderTable, EntriesComeInTheFixedOrder) {
    DecoderTable table;
    std::vector<QString> order;
    for (const DecoderTable::Entry &e : table.Entries())
        order.push_back(e.Extension);
    const std::vector<QString> expected = {
        "wmf", "emf", "ico", "bmp", "dds", "dib", "jpeg", "jpg", "bmp", "ico", "wmf", "emf", "jfif", "jpg",
        "jpe", "jpeg", "rle", "dib", "win", "vst", "vda", "tga", "icb", "tiff", "tif", "fax", "eps", "pcx",
        "pcc", "scr", "sgi", "rgba", "rgb", "bw", "psd", "pdd", "ppm", "pgm", "pbm", "pcd", "gif", "psp",
        "png", "gif"};
    EXPECT_EQ(order, expected);
}

TEST(DecoderTable, NewestEntryWins) {
    DecoderTable table;
    int used = 0;
    table.Add("TIF", "first", [&](const QString &, TBitmap32 &) { used = 1; });
    table.Add("tif", "second", [&](const QString &, TBitmap32 &) { used = 2; });
    TBitmap32 bitmap;
    table.Find("Tif")("x.tif", bitmap);
    EXPECT_EQ(used, 2);
    const int owner = 0;
    table.Add("tif", "third", [&](const QString &, TBitmap32 &) { used = 3; }, &owner);
    table.Find("tif")("x.tif", bitmap);
    EXPECT_EQ(used, 3);
    table.RemoveOwnedBy(&owner);
    table.Find("tif")("x.tif", bitmap);
    EXPECT_EQ(used, 2);
    EXPECT_FALSE(table.Find("pnm"));
    EXPECT_FALSE(table.Find("jp2"));
}

TEST(LoadPictureFile, ExtensionsWithoutDecoderGiveTheUnknownExtensionMessage) {
    for (const char *file : {"pnm/hopper.pnm", "ras/hopper.ras", "hips/teapot.hips", "hips/Earth.hip"}) {
        const QString ext = QString(file).section('.', -1);
        EXPECT_EQ(LoadError(Corpus(file)), "Unknown picture file extension (." + ext + ")") << file;
    }
    // Without a JPEG 2000 plug-in the JPEG 2000 rows have no decoder either.
    EXPECT_EQ(LoadError(Corpus("jpeg2000/input.jp2")), "Unknown picture file extension (.jp2)");
    EXPECT_EQ(LoadError("/nonexistent/x.pnm"), "Unknown picture file extension (.pnm)");
}

TEST(LoadPictureFile, IconPathChecksTheFirstFourBytes) {
    orvanta::test::TempDir dir;
    WriteFile(dir.file("cursor.ico"), ReadFile(Corpus("ico/deerstalker.cur")));
    WriteFile(dir.file("short.ICO"), QByteArray("\0\0\1", 3));
    WriteFile(dir.file("empty.ico"), QByteArray());
    for (const char *name : {"cursor.ico", "short.ICO", "empty.ico"})
        EXPECT_EQ(LoadError(dir.file(name)), "Invalid ICO image format.") << name;
    EXPECT_NE(LoadError(dir.file("missing.ico")), "<decoded>");
    EXPECT_NE(LoadError(dir.file("missing.ico")), "Invalid ICO image format.");
}

TEST(LoadPictureFile, GifPathTakesTheFirstImageWithoutTransparency) {
    orvanta::test::TempDir dir;
    const QByteArray gif = ReadFile(Corpus("gif/transparent.gif"));
    WriteFile(dir.file("upper.GIF"), gif);
    TBitmap32 bitmap;
    LoadPictureFile(dir.file("upper.GIF"), bitmap);
    ASSERT_EQ(bitmap.Width(), 200);
    ASSERT_EQ(bitmap.Height(), 150);
    // Reference: the palette colours as ImageMagick shows them with transparency switched off.
    QProcess convert;
    convert.start("convert", {Corpus("gif/transparent.gif") + "[0]", "-alpha", "off", "-depth", "8", "rgb:-"});
    ASSERT_TRUE(convert.waitForFinished(60000));
    const QByteArray rgb = convert.readAllStandardOutput();
    ASSERT_EQ(rgb.size(), 200 * 150 * 3);
    int transparentSeen = 0;
    for (int y = 0; y < 150; y += 7)
        for (int x = 0; x < 200; x += 7) {
            const auto *p = reinterpret_cast<const uint8_t *>(rgb.constData()) + 3 * (y * 200 + x);
            const TColor32 c = bitmap.Pixel(x, y);
            EXPECT_EQ(Color32(p[0], p[1], p[2]), c) << x << "," << y;
            EXPECT_EQ(AlphaOf(c), 255);
            ++transparentSeen;
        }
    EXPECT_GT(transparentSeen, 0);
    // An animated file gives its first frame only.
    LoadPictureFile(Corpus("gif/chi.gif"), bitmap);
    EXPECT_EQ(bitmap.Width(), 320);
    EXPECT_EQ(bitmap.Height(), 240);
}

TEST(LoadPictureFile, TheLastExtensionChoosesTheDecoder) {
    orvanta::test::TempDir dir;
    const QByteArray jpeg = ReadFile(Corpus("jpeg/testorig.jpg"));
    WriteFile(dir.file("photo.png"), jpeg);
    EXPECT_EQ(LoadError(dir.file("photo.png")), "Cannot load image. Invalid or unexpected PNG image format.");
    WriteFile(dir.file("x.gif.bmp"), ReadFile(Corpus("gif/hopper.gif")));
    EXPECT_EQ(LoadError(dir.file("x.gif.bmp")), "Cannot load image. Invalid or unexpected BMP image format.");
    WriteFile(dir.file("x.bmp.JPG"), jpeg);
    TBitmap32 bitmap;
    LoadPictureFile(dir.file("x.bmp.JPG"), bitmap);
    EXPECT_EQ(bitmap.Width(), 227);
    EXPECT_EQ(bitmap.Height(), 149);
}

TEST(LoadPictureFile, EveryResultIsOpaque) {
    for (const char *file : {"jpeg/testorig.jpg", "jpeg/pil_sample_cmyk.jpg", "jpeg/hopper_gray.jpg",
                             "png/basn6a08.png", "targa/UTC32.TGA", "bmp/rgba32.bmp", "tiff/strike.tif",
                             "psd/rgba.psd", "sgi/transparent.sgi", "ico/bmp-32bpp-alpha.ico"}) {
        TBitmap32 bitmap;
        try {
            LoadPictureFile(Corpus(file), bitmap);
        } catch (const OrvantaError &e) {
            ADD_FAILURE() << file << ": " << e.Message().toStdString();
            continue;
        }
        bool opaque = true;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                opaque = opaque && AlphaOf(bitmap.Pixel(x, y)) == 255;
        EXPECT_TRUE(opaque) << file;
    }
}

} // namespace

namespace {

struct ToolRun {
    int exitCode;
    QString output;
};

ToolRun RunDecodeTool(const QStringList &args) {
    QProcess tool;
    tool.start(orvanta::test::BinDir() + "/orvanta-decode", args);
    if (!tool.waitForFinished(120000))
        return ToolRun{-1, QString()};
    return ToolRun{tool.exitCode(), QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed()};
}

TEST(OrvantaDecodeTool, PrintsTheSizeOrTheMessage) {
    EXPECT_EQ(RunDecodeTool({Corpus("jpeg/testorig.jpg")}).output, "227x149");
    EXPECT_EQ(RunDecodeTool({Corpus("jpeg/testorig.jpg")}).exitCode, 0);
    const ToolRun unknown = RunDecodeTool({Corpus("pnm/hopper.pnm")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.output, "Unknown picture file extension (.pnm)");
    // The JPEG 2000 plug-in beside the tool is found as the viewer finds its own.
    EXPECT_EQ(RunDecodeTool({Corpus("jpeg2000/input.jp2")}).output, "70x46");
    EXPECT_EQ(RunDecodeTool({}).exitCode, 1);
    EXPECT_EQ(RunDecodeTool({"--no-such-option", Corpus("jpeg/testorig.jpg")}).exitCode, 1);
}

TEST(OrvantaDecodeTool, WritesTheBitmapAsPng) {
    orvanta::test::TempDir dir;
    ASSERT_EQ(RunDecodeTool({Corpus("targa/CTC24.TGA"), dir.file("out.png")}).exitCode, 0);
    TBitmap32 written, direct;
    LoadPictureFile(dir.file("out.png"), written);
    LoadPictureFile(Corpus("targa/CTC24.TGA"), direct);
    ASSERT_EQ(written.Width(), direct.Width());
    ASSERT_EQ(written.Height(), direct.Height());
    for (int y = 0; y < direct.Height(); y += 3)
        for (int x = 0; x < direct.Width(); x += 3)
            ASSERT_EQ(written.Pixel(x, y), direct.Pixel(x, y)) << x << "," << y;
}

} // namespace
