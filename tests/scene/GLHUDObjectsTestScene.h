#pragma once
// A small scene drawn through a real viewer for the overlay and sky tests: an 800 x 600 viewer
// whose camera (focal length 25, depth of view 2048) stands at (0, 0, -distance) and looks at a
// target at the origin along +Z with up +Y, so +Y is up and -X is right on the screen; face
// culling and lighting off, smooth shading, as the main window draws. Pixels are read back from
// the viewer's framebuffer (top-left origin).

#include "scene/GLCamera.h"
#include "scene/GLGeomObjects.h"
#include "scene/GLObjects.h"
#include "scene/GLSceneViewer.h"
#include "scene/GLSkydome.h"

#include <QImage>
#include <QRect>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace orvanta::test {

class HudTestScene {
public:
    explicit HudTestScene(float distance = 20, int width = 800, int height = 600) {
        target = scene.Objects()->CreateChild<TGLDummyCube>();
        camera = scene.Objects()->CreateChild<TGLCamera>();
        camera->SetFocalLength(25);
        camera->SetDepthOfView(2048);
        camera->Position().SetPoint(0, 0, -distance);
        camera->SetTargetObject(target);
        viewer = std::make_unique<TGLSceneViewer>();
        viewer->resize(width, height);
        TGLSceneBuffer &b = viewer->Buffer();
        b.FaceCulling = false;
        b.Lighting = false;
        b.ShadeModel = smSmooth;
        b.AmbientColor = TGLColor{0, 0, 0, 1};
        b.SetBackgroundColor(TGLColor{0, 0, 0, 1});
        viewer->SetCamera(camera);
        viewer->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
    }
    ~HudTestScene() {
        viewer.reset(); // the buffer leaves the scene before the nodes go
    }

    // Draws one frame and returns it.
    QImage Grab() { return viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }
    TGLBaseSceneObject *PickAt(int x, int y) { return viewer->PickAt(x, y); }

    // Pixels per scene unit at a distance d from the camera (the smaller side spans a half-angle
    // of tangent 1.5875 at this viewer size: 188.976 pixels per unit at distance 1).
    static float PixelsPerUnit(float d) { return 188.976f / d; }

    TGLScene scene;
    TGLDummyCube *target = nullptr;
    TGLCamera *camera = nullptr;
    std::unique_ptr<TGLSceneViewer> viewer;
};

// The smallest rectangle holding every pixel that passes the test; null when none does.
inline QRect BoundingBoxOf(const QImage &image, const std::function<bool(QRgb)> &lit) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (!lit(row[x])) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

inline bool IsBright(QRgb c) { return qRed(c) > 128 && qGreen(c) > 128 && qBlue(c) > 128; }

// Colour distance as the largest channel difference.
inline int ColourDistance(QRgb c, int r, int g, int b) {
    return std::max({std::abs(qRed(c) - r), std::abs(qGreen(c) - g), std::abs(qBlue(c) - b)});
}

// The main window's sky: deep blue below, sky blue at -15 degrees, white at the horizon, sky
// blue again from 35 degrees up; its zenith is the world's y axis tilted 15 degrees towards +z.
inline TGLSkyDome *AddMainSky(HudTestScene &s) {
    TGLSkyDome *sky = s.scene.Objects()->CreateChild<TGLSkyDome>();
    sky->Direction().SetVector(0, 0.96592581f, 0.25881904f);
    sky->Up().SetVector(0, 0.25881907f, -0.96592581f);
    const TGLColor skyBlue{0.451f, 0.6f, 0.902f, 1}, white{1, 1, 1, 1}, deep{0, 0.2f, 0.4f, 1};
    const struct { float a0, a1; TGLColor c0, c1; } bands[] = {
        {-15, 0, skyBlue, white}, {0, 35, white, skyBlue}, {35, 90, skyBlue, skyBlue}, {-90, -15, deep, skyBlue}};
    for (const auto &b : bands) {
        TSkyDomeBand &band = sky->AddBand();
        band.SetStopAngle(b.a1);
        band.SetStartAngle(b.a0);
        band.SetStartColor(b.c0);
        band.SetStopColor(b.c1);
        band.SetSlices(8);
        band.SetStacks(4);
    }
    return sky;
}

// The main window's selection ring: a white four-sided annulus turned 45 degrees.
inline TGLAnnulus *AddSelectionRing(HudTestScene &s) {
    TGLAnnulus *ring = s.scene.Objects()->CreateChild<TGLAnnulus>();
    ring->SetBottomRadius(15);
    ring->SetTopRadius(15);
    ring->SetBottomInnerRadius(14.6f);
    ring->SetTopInnerRadius(14.6f);
    ring->SetHeight(0.2f);
    ring->SetSlices(4);
    ring->SetStacks(1);
    ring->SetParts(anTop);
    ring->Direction().SetVector(0.7071068f, 0.7071068f, 0);
    ring->Up().SetVector(0, 0, -1);
    TGLMaterial &m = ring->Material();
    m.FrontProperties().SetDiffuse(TGLColor{1, 1, 1, 1});
    m.FrontProperties().SetAmbient(TGLColor{0, 0, 0, 1});
    m.Texture().SetImageAlpha(tiaAlphaFromIntensity); // left disabled
    m.SetBlendingMode(bmOpaque);
    return ring;
}

} // namespace orvanta::test
