// Drawing, picking and texture upload through a real viewer (Xvfb + Mesa).
#include "scene/GLCamera.h"
#include "scene/GLMaterial.h"
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "scene/GLSceneViewer.h"

#include <GL/gl.h>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 200, kHeight = 150;

// The main window's arrangement in small: a pitched-free scene node, a camera 20 units in front
// of the wall looking along +Z at a target at the origin, lighting and culling off.
class SceneRenderGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        viewer = std::make_unique<TGLSceneViewer>();
        viewer->resize(kWidth, kHeight);
        viewer->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
        ASSERT_TRUE(viewer->OpenGLAvailable());
        scene = std::make_unique<TGLScene>();
        root = scene->Objects()->CreateChild<TGLDummyCube>();
        target = root->CreateChild<TGLDummyCube>();
        target->SetVisible(false);
        camera = root->CreateChild<TGLCamera>();
        camera->SetFocalLength(25);
        camera->SetDepthOfView(2048);
        camera->Position().SetPoint(0, 0, -20);
        camera->SetTargetObject(target);
        viewer->SetCamera(camera);
        TGLSceneBuffer &b = viewer->Buffer();
        b.SetBackgroundColor({1, 1, 1, 1});
        b.AmbientColor = {0, 0, 0, 1};
        b.FaceCulling = false;
        b.Lighting = false;
        b.ShadeModel = smSmooth;
    }
    void TearDown() override {
        viewer->SetCamera(nullptr);
        viewer->makeCurrent(); // textures go while their context is current
        scene.reset();
        lib.reset();
        viewer.reset();
    }

    TGLPlane *AddPlane(float x, float y, float z, float w, float h) {
        auto *plane = root->CreateChild<TGLPlane>();
        plane->Position().SetPoint(x, y, z);
        plane->SetWidth(w);
        plane->SetHeight(h);
        return plane;
    }

    // A picture material in the library, the way the wall makes them.
    TGLLibMaterial *PictureMaterial(TGLPlane *plane, const QString &name, int w, int h,
                                    const std::vector<uint32_t> &pixels, TGLTextureFormat format,
                                    TGLMinFilter minFilter) {
        TGLLibMaterial *m = lib->NewTextureMaterial(name, QString(), false);
        TGLTexture &t = m->Material().Texture();
        t.SetImagePixels({w, h, pixels.data(), 0});
        t.SetTextureMode(tmReplace);
        t.SetTextureWrap(twNone);
        t.SetTextureFormat(format);
        t.SetMinFilter(minFilter);
        t.SetMagFilter(maNearest);
        plane->Material().SetMaterialLibrary(lib.get());
        plane->Material().SetLibMaterialName(m->Name());
        return m;
    }

    QImage Frame() { return viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }

    // Width of a mipmap level of the texture (0 when the level does not exist).
    int LevelWidth(TGLTexture &t, int level) {
        viewer->makeCurrent();
        glBindTexture(GL_TEXTURE_2D, t.Handle());
        GLint w = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        return w;
    }

    std::unique_ptr<TGLSceneViewer> viewer;
    std::unique_ptr<TGLScene> scene;
    std::unique_ptr<TGLMaterialLibrary> lib = std::make_unique<TGLMaterialLibrary>();
    TGLDummyCube *root = nullptr;
    TGLDummyCube *target = nullptr;
    TGLCamera *camera = nullptr;
};

void ExpectColor(const QImage &img, double fx, double fy, QRgb expected, int tol, const char *what) {
    const QRgb c = img.pixel(int(fx * img.width()), int(fy * img.height()));
    EXPECT_NEAR(qRed(c), qRed(expected), tol) << what;
    EXPECT_NEAR(qGreen(c), qGreen(expected), tol) << what;
    EXPECT_NEAR(qBlue(c), qBlue(expected), tol) << what;
}

TEST_F(SceneRenderGLTest, TexturedPlaneDrawnThroughTheCamera) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    // Picture rows from the top: red, green / blue, black.
    PictureMaterial(plane, "00001_IMG", 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000}, tfDefault, miNearest);
    const QImage img = Frame();
    // The camera looks along +Z with up +Y, so +X is on the left of the screen: the picture's
    // left column (s = 0, at -X) shows on the right.
    ExpectColor(img, 0.5 - 0.1, 0.5 - 0.15, qRgb(0, 255, 0), 2, "upper left: green");
    ExpectColor(img, 0.5 + 0.1, 0.5 - 0.15, qRgb(255, 0, 0), 2, "upper right: red");
    ExpectColor(img, 0.5 - 0.1, 0.5 + 0.15, qRgb(0, 0, 0), 2, "lower left: black");
    ExpectColor(img, 0.5 + 0.1, 0.5 + 0.15, qRgb(0, 0, 255), 2, "lower right: blue");
    ExpectColor(img, 0.03, 0.5, qRgb(255, 255, 255), 0, "background");
    // The plane spans +-5 units at distance 20: tan = 0.25 against the half width's
    // tangent w / (2 M) / near = 0.5 / 0.94488 -> 0.25 / 0.52917 of the half width.
    const int edge = int(kWidth / 2 * (1 - 0.25 / 0.529167));
    ExpectColor(img, double(edge - 3) / kWidth, 0.4, qRgb(255, 255, 255), 0, "left of the plane");
    ExpectColor(img, double(edge + 3) / kWidth, 0.4, qRgb(0, 255, 0), 2, "inside the plane's left edge");
    // The CPU copy is gone after the upload; the texture object holds the picture.
    TGLTexture &t = lib->FindLibMaterial("00001_IMG")->Material().Texture();
    EXPECT_FALSE(t.Image().HasCachedBitmap());
    EXPECT_NE(t.Handle(), 0u);
}

TEST_F(SceneRenderGLTest, GridOfCellsShowsTheSamePictureAsOneQuad) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    PictureMaterial(plane, "q", 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000}, tfDefault, miNearest);
    const QImage quad = Frame();
    plane->SetStyle(psTileTexture); // without psSingleQuad: YTiles strips of XTiles cells
    plane->SetXTiles(3);
    plane->SetYTiles(2);
    plane->SetXScope(1.0f / 3);
    plane->SetYScope(0.5f);
    const QImage grid = Frame();
    for (double fx : {0.4, 0.6})
        for (double fy : {0.35, 0.65}) ExpectColor(grid, fx, fy, quad.pixel(int(fx * quad.width()), int(fy * quad.height())), 2, "cell");
}

TEST_F(SceneRenderGLTest, BrightnessAndGammaAreAppliedAtUpload) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    TGLLibMaterial *m = PictureMaterial(plane, "g", 1, 1, {0xFF808080}, tfDefault, miNearest);
    m->Material().Texture().SetImageBrightness(1.2f);
    ExpectColor(Frame(), 0.5, 0.5, qRgb(154, 154, 154), 1, "brightness 1.2");
    plane->Material().SetLibMaterialName("");
    TGLLibMaterial *g = PictureMaterial(plane, "h", 1, 1, {0xFF808080}, tfDefault, miNearest);
    g->Material().Texture().SetImageGamma(0.5f);
    ExpectColor(Frame(), 0.5, 0.5, qRgb(64, 64, 64), 1, "gamma 0.5");
}

TEST_F(SceneRenderGLTest, PickAtReturnsTheNearestVisiblePlane) {
    TGLPlane *wall = AddPlane(0, 0, 0, 10, 10);
    TGLPlane *nearer = AddPlane(0, 0, -5, 2, 2);
    TGLPlane *hidden = AddPlane(0, 0, -10, 4, 4);
    hidden->SetVisible(false);
    Frame();
    const int cx = kWidth / 2, cy = kHeight / 2;
    EXPECT_EQ(viewer->PickAt(cx, cy), nearer);
    // Beside the small plane only the wall plane is under the point.
    EXPECT_EQ(viewer->PickAt(cx + 25, cy), wall);
    EXPECT_EQ(viewer->PickAt(3, 3), nullptr);
    // Picking also finds planes whose material would blend or whose texture is transparent.
    nearer->SetVisible(false);
    EXPECT_EQ(viewer->PickAt(cx, cy), wall);
    // The list is sorted by depth, nearest first.
    hidden->SetVisible(true);
    auto list = viewer->Buffer().PickInRect(QRect(QPoint(cx - 1, cy - 1), QPoint(cx + 1, cy + 1)), 1);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Hit(0), hidden);
    EXPECT_EQ(list->Hit(1), wall);
    EXPECT_LT(list->Items(0).ZMin, list->Items(1).ZMin);
    EXPECT_GE(list->Items(0).ZMin, 0.0f);
    EXPECT_LE(list->Items(1).ZMax, 1.0f);
    // A pick leaves the frame unchanged.
    EXPECT_FALSE(viewer->Buffer().Rendering());
}

TEST_F(SceneRenderGLTest, PickFindsManyPlanesBeyondTheFirstGuess) {
    // More hits than the selection buffer starts with: the buffer grows and retries.
    std::vector<TGLPlane *> planes;
    for (int i = 0; i < 40; ++i) planes.push_back(AddPlane(0, 0, float(i) * 0.1f, 4, 4));
    // No frame before: the pick sets up the render state itself (culling off here).
    auto list = viewer->Buffer().PickInRect(QRect(QPoint(kWidth / 2 - 1, kHeight / 2 - 1), QPoint(kWidth / 2 + 1, kHeight / 2 + 1)), 1);
    ASSERT_EQ(list->Count(), 40);
    EXPECT_EQ(list->Hit(0), planes[0]);
    EXPECT_EQ(list->Hit(39), planes[39]);
}

TEST_F(SceneRenderGLTest, ButtonSizedImageIsUploadedAsPowerOfTwo) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    TGLLibMaterial *m = lib->NewTextureMaterial("LibMaterial", QString(), true);
    std::vector<uint32_t> pixels(40 * 40, 0xFF3366CC);
    static_cast<TGLPersistentImage &>(m->Material().Texture().Image()).SetPicture(PixelBufferView{40, 40, pixels.data(), 0});
    TGLTexture &t = m->Material().Texture();
    t.SetMinFilter(miLinear);
    t.SetTextureMode(tmReplace);
    t.SetTextureFormat(tfRGB16);
    plane->Material().SetMaterialLibrary(lib.get());
    plane->Material().SetLibMaterialName("LibMaterial");
    const QImage img = Frame();
    EXPECT_EQ(t.TexWidth(), 64);
    EXPECT_EQ(t.TexHeight(), 64);
    EXPECT_EQ(LevelWidth(t, 0), 64);
    // miLinear: level 0 only.
    EXPECT_EQ(LevelWidth(t, 1), 0);
    EXPECT_FALSE(t.HasMipmaps());
    ExpectColor(img, 0.5, 0.5, qRgb(0x33, 0x66, 0xCC), 8, "16-bit colour");

    // A mipmap filter prepares the texture again; the persistent image delivers its pixels
    // again, so the levels are built.
    t.SetMinFilter(miLinearMipmapLinear);
    Frame();
    EXPECT_TRUE(t.HasMipmaps());
    EXPECT_EQ(LevelWidth(t, 1), 32);
    EXPECT_EQ(LevelWidth(t, 6), 1);
}

TEST_F(SceneRenderGLTest, PictureTextureKeepsItsImageWhenItCannotBeDeliveredAgain) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    TGLLibMaterial *m = PictureMaterial(plane, "00001_IMG", 4, 4, std::vector<uint32_t>(16, 0xFF00FF00), tfDefault, miLinear);
    Frame();
    TGLTexture &t = m->Material().Texture();
    EXPECT_EQ(LevelWidth(t, 1), 0);
    // The memory-only image is gone after the first upload: a new wrap mode or filter applies
    // to the uploaded picture, which stays.
    t.SetTextureWrap(twBoth);
    t.SetMinFilter(miLinearMipmapLinear);
    const QImage img = Frame();
    EXPECT_FALSE(t.HasMipmaps());
    EXPECT_EQ(LevelWidth(t, 0), 4);
    // Without levels the texture filters from level 0, so the plane still shows the picture.
    viewer->makeCurrent();
    glBindTexture(GL_TEXTURE_2D, t.Handle());
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    ExpectColor(img, 0.5, 0.5, qRgb(0, 255, 0), 2, "picture still shown");
}

TEST_F(SceneRenderGLTest, TextureMatrixIsSetOnlyAroundATiledMaterial) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    // Picture: left half red, right half blue.
    TGLLibMaterial *m = PictureMaterial(plane, "t", 2, 1, {0xFFFF0000, 0xFF0000FF}, tfDefault, miNearest);
    m->Material().Texture().SetTextureWrap(twBoth);
    m->TextureScale().SetVector(2, 1, 1); // the picture twice across the plane
    const QImage img = Frame();
    // Four bands across the plane (screen right to left: red, blue, red, blue).
    const double half = 0.25 / 0.529167 * 0.5; // plane half width in window fractions
    ExpectColor(img, 0.5 + half * 0.75, 0.5, qRgb(255, 0, 0), 2, "band 1");
    ExpectColor(img, 0.5 + half * 0.25, 0.5, qRgb(0, 0, 255), 2, "band 2");
    ExpectColor(img, 0.5 - half * 0.25, 0.5, qRgb(255, 0, 0), 2, "band 3");
    ExpectColor(img, 0.5 - half * 0.75, 0.5, qRgb(0, 0, 255), 2, "band 4");
    viewer->makeCurrent();
    GLfloat matrix[16];
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_EQ(matrix[0], 1.0f); // reset after the material
}

TEST_F(SceneRenderGLTest, DestroyTextureHandleFreesTheObject) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    TGLLibMaterial *m = PictureMaterial(plane, "x", 1, 1, {0xFF000000}, tfDefault, miNearest);
    Frame();
    TGLTexture &t = m->Material().Texture();
    const unsigned name = t.Handle();
    ASSERT_NE(name, 0u);
    viewer->makeCurrent();
    t.SetDisabled(true);
    t.DestroyTextureHandle();
    EXPECT_EQ(t.Handle(), 0u);
    EXPECT_TRUE(t.ImageChanged());
    EXPECT_EQ(glIsTexture(name), GL_FALSE);
    // Freeing the material after that draws the plane with its own material.
    lib->Materials().Remove(m);
    ExpectColor(Frame(), 0.5, 0.5, qRgb(204, 204, 204), 1, "own diffuse colour");
}

TEST_F(SceneRenderGLTest, ViewportNeverBelowOnePixel) {
    viewer->Buffer().ResizeViewport(0, 0);
    EXPECT_EQ(viewer->Buffer().ViewportWidth(), 1);
    EXPECT_EQ(viewer->Buffer().ViewportHeight(), 1);
}

TEST_F(SceneRenderGLTest, SceneChangesAskForARepaint) {
    TGLPlane *plane = AddPlane(0, 0, 0, 10, 10);
    Frame();
    const long frames = viewer->Buffer().FrameCount();
    plane->Position().SetX(1);
    QTest::qWait(100);
    EXPECT_GT(viewer->Buffer().FrameCount(), frames);
    EXPECT_NEAR(viewer->FieldOfView(), FieldOfViewFor(25, kWidth, kHeight), 1e-4);
}

} // namespace
