// orvanta-bench-prepare [RUNS] [WIDTHxHEIGHT] [MAP]: times the steps of preparing one photo
// (a 12 MP JPEG by default, made with ImageMagick) for the wall with the default settings
// (fixed 512 map, Lanczos; MAP may be 256, 512, 1024, 2048 or best), and prints medians in ms:
//   read          the file into memory
//   decode warm   LoadPictureFile into a bitmap that already has the picture's size
//   decode cold   LoadPictureFile into a fresh bitmap (first touch of its memory)
//   mirror        MirrorLeftRight of the full-size picture
//   map           BuildTextureMap from the full-size picture
//   decode reduced  LoadPictureFile with the texture map's request (reduced and mirrored), warm
//   map reduced     BuildTextureMap from that reduced picture
//   prepare       PreparePicture end to end (one thread), and per picture with two threads
// next to djpeg decoding the same file (a separate process, output to /dev/null).

#include "app/PicturePreparation.h"
#include "picture/DecodeLimits.h"
#include "picture/PictureLoader.h"
#include "picture/TextureMap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double TimeMs(const std::function<void()> &f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

double MedianMs(int runs, const std::function<void()> &f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(TimeMs(f));
    return Median(times);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const QString size = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("4000x3000");
    TextureMapSettings settings;
    if (argc > 3) {
        if (QByteArray(argv[3]) == "best")
            settings.useBestMapSize = true;
        else
            settings.mapSize = std::atoi(argv[3]);
    }

    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    if (QProcess::execute(QStringLiteral("convert"),
                          {QStringLiteral("-seed"), QStringLiteral("3"), QStringLiteral("-size"), size,
                           QStringLiteral("plasma:"), QStringLiteral("-quality"), QStringLiteral("90"), photo}) != 0) {
        std::fprintf(stderr, "convert failed\n");
        return 1;
    }

    const double djpeg = MedianMs(runs, [&] {
        QProcess::execute(QStringLiteral("djpeg"), {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), photo});
    });
    const double read = MedianMs(runs, [&] { (void)decode_limits::ReadWholeFile(photo); });
    TBitmap32 warm;
    LoadPictureFile(photo, warm);
    const double decodeWarm = MedianMs(runs, [&] { LoadPictureFile(photo, warm); });
    const double decodeCold = MedianMs(runs, [&] {
        TBitmap32 cold;
        LoadPictureFile(photo, cold);
    });
    const double mirror = MedianMs(runs, [&] { warm.MirrorLeftRight(); });
    TBitmap32 map;
    const double buildMap = MedianMs(runs, [&] { BuildTextureMap(warm, map, settings); });
    TBitmap32 reduced;
    PictureSize full;
    DecodeRequest request = TextureMapDecodeRequest(settings);
    request.MirrorLeftRight = true;
    LoadPictureFile(photo, reduced, request, full);
    const double decodeReduced = MedianMs(runs, [&] { LoadPictureFile(photo, reduced, request, full); });
    const double mapReduced = MedianMs(runs, [&] { BuildTextureMap(reduced, full, map, settings); });
    const double prepare1 = MedianMs(runs, [&] { (void)PreparePicture(photo, settings); });
    const double prepare2 = MedianMs(runs, [&] {
        auto work = [&] { (void)PreparePicture(photo, settings); (void)PreparePicture(photo, settings); };
        std::thread a(work), b(work);
        a.join();
        b.join();
    }) / 4;
    const PreparedPicture p = PreparePicture(photo, settings);

    std::printf("photo %s JPEG, map %dx%d, %d runs, medians in ms\n", qPrintable(size), p.Map.Width(),
                p.Map.Height(), runs);
    std::printf("djpeg (process)        %8.1f\n", djpeg);
    std::printf("read                   %8.1f\n", read);
    std::printf("decode warm            %8.1f\n", decodeWarm);
    std::printf("decode cold            %8.1f\n", decodeCold);
    std::printf("mirror                 %8.1f\n", mirror);
    std::printf("map                    %8.1f\n", buildMap);
    std::printf("decode reduced         %8.1f   (%dx%d)\n", decodeReduced, reduced.Width(), reduced.Height());
    std::printf("map reduced            %8.1f\n", mapReduced);
    std::printf("prepare, one thread    %8.1f   (%.2f x djpeg)\n", prepare1, prepare1 / djpeg);
    std::printf("prepare, two threads   %8.1f   per picture (%.2f x djpeg)\n", prepare2, prepare2 / djpeg);
    return 0;
}
