// Camera arithmetic without a window: the frustum, the field of view and the setter rules.
#include "scene/GLCamera.h"
#include "scene/GLObjects.h"

#include <gtest/gtest.h>

namespace {

struct NoticeCounter : TGLScene::ChangeListener {
    int count = 0;
    void SceneChanged() override { ++count; }
};

TEST(Camera, FrustumOf800x600Viewer) {
    TGLCamera camera;
    camera.SetFocalLength(25);
    camera.SetDepthOfView(2048);
    camera.SetSceneScale(1.2f);
    const TFrustumValues f = camera.ComputeFrustum(0, 0, 800, 600, 800, 600, 96);
    ASSERT_TRUE(f.valid);
    EXPECT_NEAR(f.nearPlane, 0.23622, 1e-5);
    EXPECT_NEAR(f.farPlane, 2048.23622, 1e-4);
    EXPECT_NEAR(f.right, 0.41667, 1e-5);
    EXPECT_NEAR(f.left, -0.41667, 1e-5);
    EXPECT_NEAR(f.top, 0.3125, 1e-6);
    EXPECT_NEAR(f.bottom, -0.3125, 1e-6);
    // The horizontal half-angle's tangent.
    EXPECT_NEAR(f.right / f.nearPlane, 1.76389, 1e-4);
}

TEST(Camera, FrustumNeedsAWindow) {
    TGLCamera camera;
    EXPECT_FALSE(camera.ComputeFrustum(0, 0, 0, 600, 0, 600, 96).valid);
    EXPECT_FALSE(camera.ComputeFrustum(0, 0, 800, 0, 800, 0, 96).valid);
}

TEST(Camera, HalfAngleOfTheSmallerSideIsFixedWhenSceneScaleFollowsTheWindow) {
    TGLCamera camera;
    camera.SetFocalLength(25);
    for (auto [w, h] : {std::pair{800, 600}, std::pair{1920, 1080}, std::pair{300, 900}}) {
        camera.SetSceneScale(float(std::min(w, h)) / 500.0f);
        const TFrustumValues f = camera.ComputeFrustum(0, 0, w, h, w, h, 96);
        const double tangent = (w <= h ? f.right : f.top) / f.nearPlane;
        EXPECT_NEAR(tangent, 1.3229, 1e-4) << w << "x" << h;
    }
}

TEST(Camera, FieldOfViewAtDesignSize) {
    EXPECT_NEAR(FieldOfViewFor(25, 798, 598), 170.44, 0.005);
    EXPECT_NEAR(FocalLengthFor(170.44f, 798, 598), 25, 0.01);
}

TEST(Camera, SetterRules) {
    TGLScene scene;
    NoticeCounter notices;
    scene.AddChangeListener(&notices);
    auto *camera = scene.Cameras()->CreateChild<TGLCamera>();
    notices.count = 0;

    camera->SetSceneScale(1); // equal value: no notice
    EXPECT_EQ(notices.count, 0);
    camera->SetSceneScale(2);
    EXPECT_EQ(camera->SceneScale(), 2);
    EXPECT_EQ(notices.count, 1);
    camera->SetSceneScale(0);
    EXPECT_EQ(camera->SceneScale(), 1);
    EXPECT_EQ(notices.count, 2);
    camera->SetSceneScale(0); // stores 1 again, which it already has
    EXPECT_EQ(notices.count, 2);

    camera->SetFocalLength(-5);
    EXPECT_EQ(camera->FocalLength(), 1);
    camera->SetNearPlaneBias(0);
    EXPECT_EQ(camera->NearPlaneBias(), 1);
    const int before = notices.count;
    camera->SetFocalLength(1);
    camera->SetDepthOfView(100);
    EXPECT_EQ(notices.count, before);
    scene.RemoveChangeListener(&notices);
}

TEST(Camera, ForgetsADestroyedTarget) {
    TGLScene scene;
    auto *camera = scene.Objects()->CreateChild<TGLCamera>();
    auto *target = scene.Objects()->CreateChild<TGLDummyCube>();
    camera->SetTargetObject(target);
    EXPECT_EQ(camera->TargetObject(), target);
    delete target;
    EXPECT_EQ(camera->TargetObject(), nullptr);
}

TEST(Camera, ViewLooksAtTheTarget) {
    TGLScene scene;
    auto *group = scene.Objects()->CreateChild<TGLDummyCube>();
    auto *target = group->CreateChild<TGLDummyCube>();
    auto *camera = group->CreateChild<TGLCamera>();
    camera->Position().SetPoint(0, 0, -20);
    target->Position().SetPoint(-21, 0, 0);
    camera->SetTargetObject(target);
    TVector4f eye, centre, up;
    camera->ViewVectors(eye, centre, up);
    EXPECT_FLOAT_EQ(eye.Z, -20);
    EXPECT_FLOAT_EQ(centre.X, -21);
    EXPECT_FLOAT_EQ(up.Y, 1);
}

} // namespace
