// The sky dome: band setters, and the main window's four bands drawn around the camera behind a
// plane (pixel colours read back along the centre column), picking, hiding.
#include "GLHUDObjectsTestScene.h"

#include "scene/GLSkydome.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using orvanta::test::ColourDistance;
using orvanta::test::AddMainSky;
using orvanta::test::HudTestScene;

TEST(SkyDomeBand, AnglesAreClampedAndPushEachOther) {
    TGLSkyDome dome;
    TSkyDomeBand &band = dome.AddBand();
    band.SetStopAngle(120);
    EXPECT_FLOAT_EQ(band.StopAngle(), 90);
    band.SetStartAngle(-15);
    // A stop below the start moves both: an empty band.
    band.SetStopAngle(-20);
    EXPECT_FLOAT_EQ(band.StartAngle(), -20);
    EXPECT_FLOAT_EQ(band.StopAngle(), -20);
    band.SetStartAngle(40);
    EXPECT_FLOAT_EQ(band.StartAngle(), 40);
    EXPECT_FLOAT_EQ(band.StopAngle(), 40);
    band.SetStartAngle(-200);
    EXPECT_FLOAT_EQ(band.StartAngle(), -90);
    band.SetSlices(2);
    band.SetStacks(0);
    EXPECT_EQ(band.Slices(), 3);
    EXPECT_EQ(band.Stacks(), 1);
}

TEST(SkyDome, RadiusFollowsTheDepthOfView) {
    // About 1843 plus 0.9 times the near-plane distance, inside the far clipping distance.
    const float nearPlane = 188.976f / 800;
    const float r = TGLSkyDome::DomeRadius(nearPlane, 2048);
    EXPECT_NEAR(r, 1843.2f + 0.9f * nearPlane, 0.01f);
    EXPECT_LT(r, nearPlane + 2048);
}


// The window row at which the centre column looks at elevation e (degrees): the view
// direction meets the dome at 15 degrees and the vertical half-angle has tangent 1.5875.
int RowOfElevation(double e, double centreElevation = 15.0) {
    const double a = (e - centreElevation) * M_PI / 180.0;
    return int(std::lround(300.0 - 300.0 * std::tan(a) / 1.5875));
}

struct SkySample {
    const char *name;
    double elevation;
    int r, g, b;
    int tolerance;
};

class SkyColours : public ::testing::TestWithParam<SkySample> {};

TEST_P(SkyColours, AlongTheCentreColumn) {
    const SkySample &c = GetParam();
    HudTestScene s;
    AddMainSky(s);
    const QImage image = s.Grab();
    const int row = RowOfElevation(c.elevation);
    ASSERT_GE(row, 0);
    ASSERT_LT(row, 600);
    const QRgb pixel = image.pixel(400, row);
    EXPECT_LE(ColourDistance(pixel, c.r, c.g, c.b), c.tolerance)
        << "row " << row << ": " << qRed(pixel) << ", " << qGreen(pixel) << ", " << qBlue(pixel);
}

// Colour 115, 153, 230 is the sky blue; band 3 at -42 degrees is 64 % of the way from the deep
// blue (0, 51, 102) to it.
INSTANTIATE_TEST_SUITE_P(
    SkyDome, SkyColours,
    ::testing::Values(SkySample{"Zenithward", 65, 115, 153, 230, 4}, SkySample{"At35", 36, 115, 153, 230, 6},
                      SkySample{"Horizon", 0.3, 255, 255, 255, 8}, SkySample{"Minus15", -15, 115, 153, 230, 8},
                      SkySample{"DeepBelow", -42, 73, 116, 184, 16}),
    [](const ::testing::TestParamInfo<SkySample> &info) { return std::string(info.param.name); });

TEST(SkyDome, BehindAPlaneAndAroundTheCamera) {
    HudTestScene s;
    TGLSkyDome *sky = AddMainSky(s);
    TGLPlane *plane = s.scene.Objects()->CreateChild<TGLPlane>();
    plane->SetWidth(4);
    plane->SetHeight(4);
    plane->Material().FrontProperties().SetDiffuse(TGLColor{1, 0, 0, 1});
    QImage image = s.Grab();
    // The plane covers the sky although the dome is drawn first and far beyond it.
    EXPECT_LE(ColourDistance(image.pixel(400, 300), 255, 0, 0), 2);
    EXPECT_LE(ColourDistance(image.pixel(400, RowOfElevation(65)), 115, 153, 230), 4);
    EXPECT_EQ(s.PickAt(400, 300), plane);
    EXPECT_EQ(s.PickAt(400, RowOfElevation(65)), sky);

    // Moved with its target, the camera sees the same sky: the dome stays centred on it.
    s.camera->Position().SetPoint(300, 200, -20);
    s.target->Position().SetPoint(300, 200, 0);
    image = s.Grab();
    EXPECT_LE(ColourDistance(image.pixel(400, RowOfElevation(0.3)), 255, 255, 255), 8);
    EXPECT_LE(ColourDistance(image.pixel(400, RowOfElevation(65)), 115, 153, 230), 4);

    // Hidden: the background colour shows and nothing is picked there.
    sky->SetVisible(false);
    s.viewer->Buffer().SetBackgroundColor(TGLColor{0.5f, 0, 0.5f, 1});
    image = s.Grab();
    EXPECT_LE(ColourDistance(image.pixel(400, RowOfElevation(65)), 128, 0, 128), 2);
    EXPECT_EQ(s.PickAt(400, RowOfElevation(65)), nullptr);
}

// The main window's tree: the camera and its target under a node pitched 10 degrees the other
// way, so the straight-ahead view meets the dome at 25 degrees, inside the white-to-sky-blue
// band, with the white horizon 25 degrees below the centre of view.
TEST(SkyDome, MainWindowTreeLooksAt25Degrees) {
    HudTestScene s;
    AddMainSky(s);
    TGLDummyCube *dummyScene = s.scene.Objects()->CreateChild<TGLDummyCube>();
    dummyScene->Direction().SetVector(0, 0.17364818f, 0.98480773f);
    dummyScene->Up().SetVector(0, 0.98480773f, -0.17364818f);
    dummyScene->AppendChild(s.target);
    dummyScene->AppendChild(s.camera);
    const QImage image = s.Grab();
    // 25 / 35 of the way from white to the sky blue.
    const QRgb centre = image.pixel(400, 300);
    EXPECT_LE(ColourDistance(centre, 155, 182, 237), 8) << qRed(centre) << ", " << qGreen(centre) << ", " << qBlue(centre);
    const QRgb horizon = image.pixel(400, RowOfElevation(0.3, 25));
    EXPECT_LE(ColourDistance(horizon, 255, 255, 255), 8) << qRed(horizon) << ", " << qGreen(horizon) << ", " << qBlue(horizon);
    const QRgb above = image.pixel(400, RowOfElevation(36, 25));
    EXPECT_LE(ColourDistance(above, 115, 153, 230), 6);
}

TEST(SkyDome, EmptyBandDrawsNothing) {
    HudTestScene s;
    TGLSkyDome *sky = s.scene.Objects()->CreateChild<TGLSkyDome>();
    TSkyDomeBand &band = sky->AddBand();
    band.SetStartAngle(-15);
    band.SetStopAngle(-20); // both -20
    band.SetStartColor(TGLColor{1, 1, 0, 1});
    band.SetStopColor(TGLColor{1, 1, 0, 1});
    const QImage image = s.Grab();
    for (int y = 0; y < 600; y += 50) EXPECT_LE(ColourDistance(image.pixel(400, y), 0, 0, 0), 1) << "row " << y;
    EXPECT_EQ(s.PickAt(400, 300), nullptr);
}

} // namespace
