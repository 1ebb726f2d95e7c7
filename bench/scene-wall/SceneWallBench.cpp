// A wall of textured planes drawn through the viewer, as the picture wall is: one holder cube
// and one plane per picture, 21 units apart, each with its own library material holding a
// 512 x 512 picture uploaded as a 16-bit RGB texture with mipmaps.
// Prints the upload time of the first frame, frames per second with the whole wall in view and
// with a few pictures in view, the operator-new allocations of one frame, and the cost of one
// PickAt.
//   orvanta-bench-scene-wall [--planes N] [--size S] [--frames F] [--picks P]

#include "scene/GLCamera.h"
#include "scene/GLMaterial.h"
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "scene/GLSceneViewer.h"

#include <GL/gl.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <vector>

// Counts every operator new of the process while counting is on.
static std::atomic<long> gAllocations{0};
static std::atomic<bool> gCounting{false};

void *operator new(std::size_t n) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace {

int ArgInt(int argc, char **argv, const char *name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

// One picture: a colour gradient with a tint per picture, 0xAARRGGBB rows top-down.
void FillPicture(std::vector<uint32_t> &pixels, int size, int index) {
    const uint32_t tr = uint32_t(index * 37) & 0xFF, tg = uint32_t(index * 91) & 0xFF;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const uint32_t r = (uint32_t(x * 255 / size) + tr) & 0xFF;
            const uint32_t g = (uint32_t(y * 255 / size) + tg) & 0xFF;
            const uint32_t b = uint32_t((x ^ y) & 0xFF);
            pixels[size_t(y) * size_t(size) + size_t(x)] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
}

double MeasureFrames(TGLSceneViewer &viewer, int frames) {
    viewer.makeCurrent();
    glFinish();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i) {
        viewer.Buffer().RenderFrame();
        glFinish();
    }
    return frames / (timer.nsecsElapsed() / 1e9);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int planes = ArgInt(argc, argv, "--planes", 1000);
    const int size = ArgInt(argc, argv, "--size", 512);
    const int frames = ArgInt(argc, argv, "--frames", 50);
    const int picks = ArgInt(argc, argv, "--picks", 50);
    const int columns = int(std::ceil(std::sqrt(planes * 1.6)));

    TGLSceneViewer viewer;
    viewer.SetVSync(vsmNoSync);
    viewer.resize(1024, 768);
    viewer.show();
    if (!QTest::qWaitForWindowExposed(&viewer) || !viewer.OpenGLAvailable()) {
        std::fprintf(stderr, "no OpenGL window\n");
        return 1;
    }

    TGLScene scene;
    TGLMaterialLibrary lib;
    auto *sceneNode = scene.Objects()->CreateChild<TGLDummyCube>();
    auto *columnsNode = sceneNode->CreateChild<TGLDummyCube>();
    auto *target = sceneNode->CreateChild<TGLDummyCube>();
    target->SetVisible(false);
    auto *camera = sceneNode->CreateChild<TGLCamera>();
    camera->SetFocalLength(25);
    camera->SetDepthOfView(2048);
    camera->SetTargetObject(target);
    viewer.SetCamera(camera);
    TGLSceneBuffer &buffer = viewer.Buffer();
    buffer.FaceCulling = false;
    buffer.Lighting = false;
    buffer.AmbientColor = {0, 0, 0, 1};
    buffer.SetBackgroundColor({0.451f, 0.6f, 0.902f, 1});
    camera->SetSceneScale(float(std::min(viewer.width(), viewer.height())) / 500.0f);

    std::vector<uint32_t> pixels(size_t(size) * size_t(size));
    for (int i = 0; i < planes; ++i) {
        auto *holder = columnsNode->CreateChild<TGLDummyCube>();
        holder->SetCubeSize(20);
        holder->Position().SetPoint(-21.0f * float(i % columns), -21.0f * float(i / columns), 0);
        auto *plane = holder->CreateChild<TGLPlane>();
        plane->SetWidth(20);
        plane->SetHeight(20);
        TGLLibMaterial *m = lib.NewTextureMaterial(QStringLiteral("%1_IMG").arg(i + 1, 5, 10, QLatin1Char('0')), QString(), false);
        FillPicture(pixels, size, i);
        TGLTexture &t = m->Material().Texture();
        t.Image().GetImageBitmap().AssignFromPixels({size, size, pixels.data(), 0});
        t.SetTextureMode(tmReplace);
        t.SetTextureWrap(twNone);
        t.SetTextureFormat(tfRGB16);
        t.SetImageBrightness(1.2f);
        plane->Material().SetMaterialLibrary(&lib);
        plane->Material().SetLibMaterialName(m->Name());
    }
    const int rows = (planes + columns - 1) / columns;
    // The whole wall in view: the camera stands back on the wall's centre.
    const float cx = -21.0f * float(columns - 1) / 2, cy = -21.0f * float(rows - 1) / 2;
    target->Position().SetPoint(cx, cy, 0);
    const float extent = 21.0f * float(std::max(columns, rows * 4 / 3));
    camera->Position().SetPoint(cx, cy, -extent * 0.5f * 1.0f / 1.3229f - 10);

    std::printf("scene-wall: %d planes, %d columns, %dx%d textures (GL_RGB5, mipmaps), view %dx%d, %s\n", planes,
                columns, size, size, viewer.width(), viewer.height(),
                reinterpret_cast<const char *>((viewer.makeCurrent(), glGetString(GL_RENDERER))));

    QElapsedTimer timer;
    timer.start();
    viewer.makeCurrent();
    buffer.RenderFrame();
    glFinish();
    std::printf("first frame (uploads every texture): %.2f s\n", timer.nsecsElapsed() / 1e9);

    MeasureFrames(viewer, 3); // warm up
    std::printf("whole wall in view: %.1f frames/s\n", MeasureFrames(viewer, frames));

    viewer.makeCurrent();
    gAllocations = 0;
    gCounting = true;
    for (int i = 0; i < 10; ++i) buffer.RenderFrame();
    gCounting = false;
    std::printf("allocations per frame (operator new): %.1f\n", gAllocations.load() / 10.0);

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> xs(0, viewer.width() - 1), ys(0, viewer.height() - 1);
    int found = 0;
    timer.restart();
    for (int i = 0; i < picks; ++i)
        if (viewer.PickAt(xs(rng), ys(rng))) ++found;
    std::printf("PickAt, whole wall in view: %.2f ms per pick (%d of %d hit a plane)\n",
                timer.nsecsElapsed() / 1e6 / picks, found, picks);

    // Close up: about four pictures across, as when one picture is framed.
    target->Position().SetPoint(0, 0, 0);
    camera->Position().SetPoint(0, 0, -40);
    MeasureFrames(viewer, 3);
    std::printf("close-up (few planes on screen): %.1f frames/s\n", MeasureFrames(viewer, frames));
    timer.restart();
    found = 0;
    for (int i = 0; i < picks; ++i)
        if (viewer.PickAt(xs(rng), ys(rng))) ++found;
    std::printf("PickAt, close-up: %.2f ms per pick (%d of %d hit a plane)\n", timer.nsecsElapsed() / 1e6 / picks,
                found, picks);

    viewer.SetCamera(nullptr);
    viewer.makeCurrent();
    return 0;
}
