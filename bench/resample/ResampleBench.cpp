// Resampling benchmark. Prints, for a 4000 x 3000 source (12 megapixels):
//   - each filter into 512 x 512 and 2048 x 2048, reference and vectorised loops: median time
//     and megapixels of source per second;
//   - the texture-map step (mirror + BuildTextureMap) with the fixed default map (512) and
//     with the best map size (2048 x 2048), vectorised loops;
//   - djpeg decoding a 12-megapixel JPEG made with ImageMagick's convert at full size, and the
//     ratio of the default map step (Lanczos, 512 x 512) to it.
// Options: --quick (fewer repetitions), --huge (also a 30000 x 30000 source, 3.6 GB).

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
#include <sys/wait.h>
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

double TimeMs(int reps, const std::function<void()> &f) {
    std::vector<double> t;
    for (int i = 0; i < reps; ++i) {
        const auto a = Clock::now();
        f();
        t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
    }
    return Median(t);
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
    for (int i = 1; i < argc; ++i) {
        quick |= std::strcmp(argv[i], "--quick") == 0;
        huge |= std::strcmp(argv[i], "--huge") == 0;
    }
    const int fastReps = quick ? 3 : 9, scalarReps = quick ? 1 : 3;
    const int W = 4000, H = 3000;
    const double mp = W * double(H) / 1e6;
    const TBitmap32 src = MakeSource(W, H);
    std::printf("source %dx%d (%.1f MP); vectorised loops %s\n", W, H, mp,
                resample::FastAvailable() ? "available (AVX2)" : "not available");

    std::printf("\n%-9s %-10s %-7s %10s %10s %-14s\n", "filter", "map", "loops", "median ms", "MP/s", "method");
    double lanczos512Fast = 0;
    for (int f = 0; f < kStretchFilterCount; ++f) {
        for (int side : {512, 2048}) {
            for (resample::Impl impl : {resample::Impl::Scalar, resample::Impl::Fast}) {
                TBitmap32 dst(side, side);
                resample::Method m = resample::Method::Nothing;
                const double ms = TimeMs(impl == resample::Impl::Fast ? fastReps : scalarReps, [&] {
                    m = resample::StretchTransferWith(impl, dst, dst.BoundsRect(), dst.BoundsRect(),
                                                      src, src.BoundsRect(), TStretchFilter(f), dmOpaque);
                });
                if (f == sfLanczos && side == 512 && impl == resample::Impl::Fast)
                    lanczos512Fast = ms;
                std::printf("%-9s %4dx%-5d %-7s %10.1f %10.1f %-14s\n",
                            StretchFilterName(TStretchFilter(f)).toLatin1().constData(), side, side,
                            resample::ImplName(impl), ms, mp / (ms / 1000), resample::MethodName(m));
                std::fflush(stdout);
            }
        }
    }

    std::printf("\ntexture-map step (mirror + BuildTextureMap, default loops)\n");
    std::printf("%-9s %-11s %10s %10s %10s\n", "filter", "map", "mirror ms", "map ms", "MP/s");
    double defaultStep = 0;
    for (int f = 0; f < kStretchFilterCount; ++f) {
        for (bool best : {false, true}) {
            TBitmap32 work = src, map;
            const double mirror = TimeMs(fastReps, [&] { work.MirrorLeftRight(); });
            const TextureMapSettings s{best, 512, TStretchFilter(f)};
            const double ms = TimeMs(fastReps, [&] { BuildTextureMap(work, map, s); });
            if (f == sfLanczos && !best)
                defaultStep = mirror + ms;
            std::printf("%-9s %4dx%-6d %10.1f %10.1f %10.1f\n",
                        StretchFilterName(TStretchFilter(f)).toLatin1().constData(), map.Width(),
                        map.Height(), mirror, ms, mp / ((mirror + ms) / 1000));
        }
    }

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
        const double djpeg = TimeMs(fastReps, [&] {
            Run({"/usr/bin/djpeg", "-outfile", "/dev/null", jpeg});
        });
        std::printf("\ndjpeg full-size decode of a 4000x3000 JPEG (from %s): median %.1f ms\n",
                    access(photo.c_str(), R_OK) == 0 ? "the corpus photo, via convert" : "convert plasma:", djpeg);
        std::printf("Lanczos 4000x3000 -> 512x512: resample %.1f ms, whole map step %.1f ms; "
                    "ratio to djpeg %.2f (resample) %.2f (step)\n",
                    lanczos512Fast, defaultStep, lanczos512Fast / djpeg, defaultStep / djpeg);
    }
    unlink(jpeg.c_str());
    rmdir(dir);

    if (huge) {
        std::printf("\n30000x30000 source (3.6 GB)\n");
        TBitmap32 big(30000, 30000);
        big.Clear(Color32(10, 20, 30));
        for (TStretchFilter f : {sfLanczos, sfDraft, sfLinear}) {
            TBitmap32 map;
            const double ms = TimeMs(1, [&] { BuildTextureMap(big, map, {false, 512, f}); });
            std::printf("%-9s -> 512x512 %10.1f ms, pixel %08x\n",
                        StretchFilterName(f).toLatin1().constData(), ms, map.Pixel(100, 100));
        }
    }
    return 0;
}
