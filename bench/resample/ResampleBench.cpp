// Resampling benchmark. Prints, for a 4000 x 3000 source (12 megapixels):
//   - each filter into 512 x 512 and 2048 x 2048, reference and vectorised loops: median time
//     and megapixels of source per second;
//   - the texture-map step (mirror + BuildTextureMap) with the fixed default map (512) and
//     with the best map size (2048 x 2048), vectorised loops;
//   - djpeg decoding a 12-megapixel JPEG made with ImageMagick's convert at full size, and the
//     ratio of the default map step (Lanczos, 512 x 512) to it.
// Options: --quick (fewer repetitions), --only NAME (one filter, no djpeg),
// --huge (also a 30000 x 30000 source, 3.6 GB).

#include "picture/Bitmap32.h"
#include "picture/ResampleInternal.h"
#include "picture/TextureMap.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <ctime>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// CPU time of the children waited for so far (djpeg runs in a child process).
double ChildrenCpuMs() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
}

// Median wall time and median CPU time (of this thread, or of the children) of reps runs. On
// a busy machine the CPU time is the steadier figure.
struct Timing {
    double wall;
    double cpu;
};
Timing Time(int reps, const std::function<void()> &f, bool children = false) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < reps; ++i) {
        const auto a = Clock::now();
        const double c0 = children ? ChildrenCpuMs() : ThreadCpuMs();
        f();
        cpu.push_back((children ? ChildrenCpuMs() : ThreadCpuMs()) - c0);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
    }
    return {Median(wall), Median(cpu)};
}

// A photo-like source: smooth gradients with some noise, opaque.
TBitmap32 MakeSource(int w, int h) {
    TBitmap32 b(w, h);
    std::mt19937 rng(42);
    for (int y = 0; y < h; ++y) {
        TColor32 *row = b.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const uint32_t n = rng() & 15;
            row[x] = Color32(uint8_t((x * 255 / std::max(1, w - 1) + n) & 255),
                             uint8_t((y * 255 / std::max(1, h - 1) + n) & 255),
                             uint8_t(((x + y) / 7 + n) & 255));
        }
    }
    return b;
}

int Run(const std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int main(int argc, char **argv) {
    bool quick = false, huge = false;
    int only = -1;
    for (int i = 1; i < argc; ++i) {
        quick |= std::strcmp(argv[i], "--quick") == 0;
        huge |= std::strcmp(argv[i], "--huge") == 0;
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            TStretchFilter f;
            if (!StretchFilterFromName(QString::fromLatin1(argv[++i]), f)) {
                std::fprintf(stderr, "unknown filter %s\n", argv[i]);
                return 2;
            }
            only = int(f);
        }
    }
    const int fastReps = quick ? 3 : 9, scalarReps = quick ? 1 : 3;
    const int W = 4000, H = 3000;
    const double mp = W * double(H) / 1e6;
    const TBitmap32 src = MakeSource(W, H);
    std::printf("source %dx%d (%.1f MP); vectorised loops %s\n", W, H, mp,
                resample::FastAvailable() ? "available (AVX2)" : "not available");

    std::printf("\n%-9s %-10s %-7s %9s %9s %9s %-14s\n", "filter", "map", "loops", "wall ms", "cpu ms",
                "MP/s cpu", "method");
    Timing lanczos512Fast{0, 0};
    for (int f = 0; f < kStretchFilterCount; ++f) {
        if (only >= 0 && f != only)
            continue;
        for (int side : {512, 2048}) {
            for (resample::Impl impl : {resample::Impl::Scalar, resample::Impl::Fast}) {
                TBitmap32 dst(side, side);
                resample::Method m = resample::Method::Nothing;
                const Timing t = Time(impl == resample::Impl::Fast ? fastReps : scalarReps, [&] {
                    m = resample::StretchTransferWith(impl, dst, dst.BoundsRect(), dst.BoundsRect(),
                                                      src, src.BoundsRect(), TStretchFilter(f), dmOpaque);
                });
                if (f == sfLanczos && side == 512 && impl == resample::Impl::Fast)
                    lanczos512Fast = t;
                std::printf("%-9s %4dx%-5d %-7s %9.1f %9.1f %9.1f %-14s\n",
                            StretchFilterName(TStretchFilter(f)).toLatin1().constData(), side, side,
                            resample::ImplName(impl), t.wall, t.cpu, mp / (t.cpu / 1000), resample::MethodName(m));
                std::fflush(stdout);
            }
        }
    }

    std::printf("\ntexture-map step (mirror + BuildTextureMap, default loops)\n");
    std::printf("%-9s %-11s %14s %14s %9s\n", "filter", "map", "mirror ms w/c", "map ms w/c", "MP/s cpu");
    Timing defaultStep{0, 0};
    for (int f = 0; f < kStretchFilterCount; ++f) {
        if (only >= 0 && f != only)
            continue;
        for (bool best : {false, true}) {
            TBitmap32 work = src, map;
            const Timing mirror = Time(fastReps, [&] { work.MirrorLeftRight(); });
            const TextureMapSettings s{best, 512, TStretchFilter(f)};
            const Timing t = Time(fastReps, [&] { BuildTextureMap(work, map, s); });
            if (f == sfLanczos && !best)
                defaultStep = {mirror.wall + t.wall, mirror.cpu + t.cpu};
            std::printf("%-9s %4dx%-6d %6.1f/%-7.1f %6.1f/%-7.1f %9.1f\n",
                        StretchFilterName(TStretchFilter(f)).toLatin1().constData(), map.Width(),
                        map.Height(), mirror.wall, mirror.cpu, t.wall, t.cpu, mp / ((mirror.cpu + t.cpu) / 1000));
        }
    }

    if (only >= 0)
        return 0;
    // djpeg at full size on a 12 MP JPEG made with convert.
    char dir[] = "/tmp/orvanta-bench-XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string jpeg = std::string(dir) + "/photo.jpg";
    const char *corpus = std::getenv("ORVANTA_CORPUS_PHOTO");
    std::string photo = corpus ? corpus : std::string(ORVANTA_SOURCE_DIR) + "/../shared/corpus/jpeg/large_12mp_olympus_E-P3.jpg";
    int rc;
    if (access(photo.c_str(), R_OK) == 0)
        rc = Run({"/usr/bin/convert", photo, "-resize", "4000x3000!", "-quality", "90", jpeg});
    else
        rc = Run({"/usr/bin/convert", "-size", "4000x3000", "plasma:", "-quality", "90", jpeg});
    if (rc != 0) {
        std::printf("\nconvert failed (%d); no djpeg comparison\n", rc);
    } else {
        const Timing djpeg = Time(fastReps, [&] {
            Run({"/usr/bin/djpeg", "-outfile", "/dev/null", jpeg});
        }, true);
        std::printf("\ndjpeg full-size decode of a 4000x3000 JPEG (from %s): median wall %.1f ms, cpu %.1f ms\n",
                    access(photo.c_str(), R_OK) == 0 ? "the corpus photo, via convert" : "convert plasma:",
                    djpeg.wall, djpeg.cpu);
        std::printf("Lanczos 4000x3000 -> 512x512: resample wall %.1f / cpu %.1f ms, whole map step wall %.1f / "
                    "cpu %.1f ms\n", lanczos512Fast.wall, lanczos512Fast.cpu, defaultStep.wall, defaultStep.cpu);
        std::printf("ratio to djpeg: resample %.2f (wall) %.2f (cpu); map step %.2f (wall) %.2f (cpu)\n",
                    lanczos512Fast.wall / djpeg.wall, lanczos512Fast.cpu / djpeg.cpu,
                    defaultStep.wall / djpeg.wall, defaultStep.cpu / djpeg.cpu);
    }
    unlink(jpeg.c_str());
    rmdir(dir);

    if (huge) {
        std::printf("\n30000x30000 source (3.6 GB)\n");
        TBitmap32 big(30000, 30000);
        big.Clear(Color32(10, 20, 30));
        for (TStretchFilter f : {sfLanczos, sfDraft, sfLinear}) {
            TBitmap32 map;
            const Timing t = Time(1, [&] { BuildTextureMap(big, map, {false, 512, f}); });
            std::printf("%-9s -> 512x512 wall %10.1f ms, cpu %10.1f ms, pixel %08x\n",
                        StretchFilterName(f).toLatin1().constData(), t.wall, t.cpu, map.Pixel(100, 100));
        }
    }
    return 0;
}
