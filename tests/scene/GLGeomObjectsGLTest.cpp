// The selection ring: with the main window's shape and orientation it draws an axis-aligned
// square frame of outer side 15 x sqrt(2) and inner side 14.6 x sqrt(2) around a holder's
// position, white, 0.1 units nearer the camera than its centre.
#include "GLHUDObjectsTestScene.h"

#include "scene/GLGeomObjects.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using orvanta::test::AddSelectionRing;
using orvanta::test::HudTestScene;
using orvanta::test::IsBright;


bool AnyBright(const QImage &image, int x0, int x1, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (IsBright(image.pixel(x, y))) return true;
    return false;
}

TEST(Annulus, DefaultsAndLimits) {
    TGLAnnulus ring;
    EXPECT_EQ(ring.Loops(), 1);
    EXPECT_EQ(ring.Parts(), anInnerSides | anOuterSides | anBottom | anTop);
    ring.SetSlices(0);
    EXPECT_EQ(ring.Slices(), 1);
}

TEST(Annulus, OrientationKeepsTheGivenAxes) {
    TGLAnnulus ring;
    ring.Direction().SetVector(0.7071068f, 0.7071068f, 0);
    ring.Up().SetVector(0, 0, -1);
    EXPECT_NEAR(ring.Direction().X(), 0.7071068f, 1e-6);
    EXPECT_NEAR(ring.Direction().Y(), 0.7071068f, 1e-6);
    EXPECT_NEAR(ring.Up().Z(), -1, 1e-6);
}

TEST(Annulus, SquareFrameAroundAHolder) {
    HudTestScene s(25);
    TGLDummyCube *holder = s.scene.Objects()->CreateChild<TGLDummyCube>();
    holder->SetCubeSize(20);
    holder->Position().SetPoint(-5, 3, 0);
    TGLAnnulus *ring = AddSelectionRing(s);
    ring->SetPosition(holder->Position());

    const QImage image = s.Grab();
    // The top face is 0.1 units nearer the camera: 24.9 units away. -X is right on the screen.
    const float k = HudTestScene::PixelsPerUnit(24.9f);
    const int cx = int(std::lround(400 + 5 * k)), cy = int(std::lround(300 - 3 * k));
    const int outer = int(std::lround(15 / std::sqrt(2.0f) * k)); // 80.5
    const int inner = int(std::lround(14.6f / std::sqrt(2.0f) * k)); // 78.4
    // Each side of the frame shows on the centre row and column, and nothing inside or outside.
    EXPECT_TRUE(AnyBright(image, cx + inner - 1, cx + outer + 1, cy, cy)) << "right side";
    EXPECT_TRUE(AnyBright(image, cx - outer - 1, cx - inner + 1, cy, cy)) << "left side";
    EXPECT_TRUE(AnyBright(image, cx, cx, cy - outer - 1, cy - inner + 1)) << "top side";
    EXPECT_TRUE(AnyBright(image, cx, cx, cy + inner - 1, cy + outer + 1)) << "bottom side";
    EXPECT_FALSE(AnyBright(image, cx - inner + 3, cx + inner - 3, cy - inner + 3, cy + inner - 3)) << "inside";
    EXPECT_FALSE(AnyBright(image, cx + outer + 4, cx + outer + 20, cy - 5, cy + 5)) << "outside";
    // The corners: the frame is a square, not a diamond.
    EXPECT_TRUE(AnyBright(image, cx + inner - 1, cx + outer + 1, cy - outer - 1, cy - inner + 1)) << "corner";
    EXPECT_TRUE(AnyBright(image, cx - outer - 1, cx - inner + 1, cy + inner - 1, cy + outer + 1)) << "corner";

    ring->SetVisible(false);
    EXPECT_FALSE(AnyBright(s.Grab(), cx + inner - 1, cx + outer + 1, cy, cy));
}

} // namespace
