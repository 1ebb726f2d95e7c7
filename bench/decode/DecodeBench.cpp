// Decode time per megapixel of LoadPictureFile for large JPEG and PNG photos, against the
// libraries on their own, measured in the same run on the same files:
//   JPEG: djpeg (a separate process, output to /dev/null) and a plain in-process libjpeg decode;
//   PNG:  a plain in-process libpng read.
// The photos are made at run time with ImageMagick's convert from the corpus's 12 MP photo.
//
//   orvanta-bench-decode [RUNS]     (default 9 runs; medians are printed)

#include "picture/Bitmap32.h"
#include "picture/PictureLoader.h"
#include "platform/Errors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double TimeMs(const std::function<void()> &f) {
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

QByteArray ReadAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

// The library on its own: read the file, decode to B, G, R, A rows in a fresh buffer.
bool PlainJpeg(const QString &path) {
    const QByteArray data = ReadAll(path);
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr c) { longjmp(reinterpret_cast<JpegError *>(c->err)->jump, 1); };
    std::unique_ptr<uint8_t[]> pixels;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()), data.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 4;
    pixels.reset(new uint8_t[stride * cinfo.output_height]);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.get() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool PlainPng(const QString &path) {
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f)
        return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    bool ok = png_image_begin_read_from_stdio(&image, f);
    if (ok) {
        image.format = PNG_FORMAT_BGRA;
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[PNG_IMAGE_SIZE(image)]);
        ok = png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr);
    }
    png_image_free(&image);
    std::fclose(f);
    return ok;
}

bool Ours(const QString &path, int &width, int &height) {
    TBitmap32 bitmap;
    try {
        LoadPictureFile(path, bitmap);
    } catch (const OrvantaError &e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(e.Message()));
        return false;
    }
    width = bitmap.Width();
    height = bitmap.Height();
    return true;
}

bool Run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void Report(const char *what, double ms, double megapixels) {
    std::printf("  %-34s median %8.1f ms  %6.2f ms/MP\n", what, ms, ms / megapixels);
}

} // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    const QString source = QStringLiteral(ORVANTA_CORPUS_DIR "/jpeg/large_12mp_olympus_E-P3.jpg");
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("photo12mp.jpg"), png = dir.filePath("photo12mp.png");
    if (!Run("convert", {source, "-quality", "92", "-sampling-factor", "2x2", jpeg}) || !Run("convert", {source, png})) {
        std::fprintf(stderr, "cannot make the test photos with convert\n");
        return 1;
    }
    int w = 0, h = 0;
    if (!Ours(jpeg, w, h) || !Ours(png, w, h) || !PlainJpeg(jpeg) || !PlainPng(png))
        return 1;
    const double mp = double(w) * h / 1e6;
    std::printf("photos %d x %d (%.1f MP), %d runs each, interleaved\n", w, h, mp, runs);

    std::vector<double> oursJpeg, plainJpeg, djpeg, oursPng, plainPng;
    for (int i = 0; i < runs; ++i) {
        oursJpeg.push_back(TimeMs([&] { Ours(jpeg, w, h); }));
        plainJpeg.push_back(TimeMs([&] { PlainJpeg(jpeg); }));
        djpeg.push_back(TimeMs([&] { Run("djpeg", {"-outfile", "/dev/null", jpeg}); }));
        oursPng.push_back(TimeMs([&] { Ours(png, w, h); }));
        plainPng.push_back(TimeMs([&] { PlainPng(png); }));
    }
    const double oj = Median(oursJpeg), pj = Median(plainJpeg), dj = Median(djpeg);
    const double op = Median(oursPng), pp = Median(plainPng);
    std::printf("JPEG (%lld KB)\n", (long long)(QFile(jpeg).size() / 1024));
    Report("LoadPictureFile", oj, mp);
    Report("plain libjpeg-turbo (in process)", pj, mp);
    Report("djpeg (process, to /dev/null)", dj, mp);
    std::printf("  ratio ours / plain libjpeg: %.3f   ours / djpeg: %.3f\n", oj / pj, oj / dj);
    std::printf("PNG (%lld KB)\n", (long long)(QFile(png).size() / 1024));
    Report("LoadPictureFile", op, mp);
    Report("plain libpng (in process)", pp, mp);
    std::printf("  ratio ours / plain libpng: %.3f\n", op / pp);
    const bool met = oj / pj < 1.05 && op / pp < 1.05;
    std::printf("front end adds under 5%%: %s\n", met ? "yes" : "NO");
    return 0;
}
