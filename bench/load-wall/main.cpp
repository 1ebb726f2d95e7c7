// bench-load-wall [COUNT] [WIDTHxHEIGHT] [KEY=VALUE ...]: loads COUNT photos (default 50 JPEGs of 4000 x 3000)
// onto the wall of the real main window and prints seconds per picture, frames drawn during
// the load and the longest gap between two frames, next to djpeg decoding the same files in
// the same run. Run it under a display (xvfb-run). It makes its photos in a temporary folder
// with ImageMagick (one photo, copied COUNT times). KEY=VALUE pairs are options lines applied
// before the window is made (for example cmbDefaultFilter=Nearest, chkUseBestMapSize=true).

#include "app/ProgramEntry.h"
#include "app/fmMain.h"
#include "scene/GLSceneBuffer.h"
#include "scene/GLSceneViewer.h"
#include "settings/Options.h"
#include "settings/gRegistry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const QString size = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("4000x3000");

    // A private user: the bench never touches the real settings.
    QTemporaryDir home;
    for (const char *v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        qputenv(v, home.path().toLocal8Bit());
    QApplication app(argc, argv);

    QTemporaryDir photos;
    const QString first = photos.filePath(QStringLiteral("photo-000.jpg"));
    std::fprintf(stderr, "making %d photos of %s ...\n", count, qPrintable(size));
    if (QProcess::execute(QStringLiteral("convert"),
                          {QStringLiteral("-seed"), QStringLiteral("3"), QStringLiteral("-size"), size,
                           QStringLiteral("plasma:"), QStringLiteral("-quality"), QStringLiteral("90"), first}) != 0) {
        std::fprintf(stderr, "convert failed\n");
        return 1;
    }
    QStringList files{first};
    for (int i = 1; i < count; ++i) {
        const QString f = photos.filePath(QStringLiteral("photo-%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        QFile::copy(first, f);
        files.append(f);
    }

    // djpeg on the same files, one after the other.
    QElapsedTimer t;
    t.start();
    for (const QString &f : files)
        QProcess::execute(QStringLiteral("djpeg"), {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), f});
    const double djpegPerPicture = double(t.nsecsElapsed()) / 1e9 / count;

    AppDataFolder = home.path() + QStringLiteral("/");
    for (int i = 3; i < argc; ++i)
        SettingsList.append(QString::fromLocal8Bit(argv[i]));
    ApplySettingsList();
    TfrmMain frm;
    frm.show();
    std::vector<double> frameTimes;
    QElapsedTimer frameClock;
    frameClock.start();
    bool loading = false;
    frm.GLSceneViewer1->Buffer().OnBeforeFrame = [&] {
        if (loading)
            frameTimes.push_back(double(frameClock.nsecsElapsed()) / 1e6);
    };
    // Let the window come up and draw before the load starts.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1500)
        app.processEvents(QEventLoop::AllEvents, 20);

    t.restart();
    loading = true;
    frameClock.restart();
    frameTimes.push_back(0);
    frm.DropFileTargetSceneDrop({photos.path()});
    loading = false;
    const double loadSeconds = double(t.nsecsElapsed()) / 1e9;
    frameTimes.push_back(double(frameClock.nsecsElapsed()) / 1e6);

    std::vector<double> gaps;
    for (size_t i = 1; i < frameTimes.size(); ++i)
        gaps.push_back(frameTimes[i] - frameTimes[i - 1]);
    const double longestGap = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());

    std::printf("pictures on the wall:          %d of %d (%s JPEG)\n", frm.PictureCount(), count, qPrintable(size));
    std::printf("load, seconds per picture:     %.3f\n", loadSeconds / count);
    std::printf("djpeg, seconds per picture:    %.3f\n", djpegPerPicture);
    std::printf("ratio load / djpeg:            %.2f (goal <= 1.30)\n", loadSeconds / count / djpegPerPicture);
    std::printf("frames drawn during the load:  %zu (%.1f per second)\n", frameTimes.size() - 2,
                double(frameTimes.size() - 2) / loadSeconds);
    std::printf("frame gap: median %.1f ms, longest %.1f ms (goal <= 100 ms)\n", Median(gaps), longestGap);
    return 0;
}
