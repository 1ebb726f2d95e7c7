// Scene tree: transforms, orientation fix-ups, extents, name lookup and change notices.
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct NoticeCounter : TGLScene::ChangeListener {
    int count = 0;
    void SceneChanged() override { ++count; }
};

void ExpectVector(const TVector4f &v, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(v.X, x, tol);
    EXPECT_NEAR(v.Y, y, tol);
    EXPECT_NEAR(v.Z, z, tol);
}

TEST(SceneGraph, DefaultLocalTransformIsIdentity) {
    TGLDummyCube node;
    EXPECT_TRUE(node.LocalTransform().IsIdentity());
    EXPECT_TRUE(node.WorldTransform().IsIdentity());
}

TEST(SceneGraph, LocalTransformRowsAreLeftUpDirectionPosition) {
    TGLDummyCube node;
    node.Direction().SetVector(1, 0, 0);
    node.Up().SetVector(0, 1, 0);
    node.Scale().SetVector(2, 3, 4);
    node.Position().SetPoint(5, 6, 7);
    const TMatrix4f &m = node.LocalTransform();
    // Left = Up x Direction = (0,1,0) x (1,0,0) = (0,0,-1)
    ExpectVector({m.m[0][0], m.m[0][1], m.m[0][2], 0}, 0, 0, -2);
    ExpectVector({m.m[1][0], m.m[1][1], m.m[1][2], 0}, 0, 3, 0);
    ExpectVector({m.m[2][0], m.m[2][1], m.m[2][2], 0}, 4, 0, 0);
    ExpectVector({m.m[3][0], m.m[3][1], m.m[3][2], 0}, 5, 6, 7);
}

TEST(SceneGraph, WorldTransformCombinesParentsAndFollowsChanges) {
    TGLScene scene;
    auto *group = scene.Objects()->CreateChild<TGLDummyCube>();
    group->Position().SetPoint(10, 0, 0);
    group->Scale().SetVector(2, 2, 2);
    auto *plane = group->CreateChild<TGLPlane>();
    plane->Position().SetPoint(1, 2, 3);
    ExpectVector(plane->WorldPosition(), 12, 4, 6);

    // A later change of the parent reaches the cached world transform of the child.
    group->Position().SetX(-21);
    ExpectVector(plane->WorldPosition(), -19, 4, 6);

    // The inverse maps the world position back to the local origin, with and without scale.
    const TVector4f back = VectorTransform(plane->WorldPosition(), plane->InverseWorldTransform());
    ExpectVector(back, 0, 0, 0, 1e-4f);
    group->Scale().SetVector(1, 1, 1);
    const TVector4f p = VectorTransform(TVector4f{1, 1, 1, 1}, plane->WorldTransform());
    ExpectVector(VectorTransform(p, plane->InverseWorldTransform()), 1, 1, 1, 1e-4f);
}

TEST(SceneGraph, RotatedParentTurnsChildPositions) {
    TGLDummyCube parent;
    TGLDummyCube *child = parent.CreateChild<TGLDummyCube>();
    // Direction +X: local Z becomes world X, local X becomes world -Z.
    parent.Direction().SetVector(1, 0, 0);
    child->Position().SetPoint(0, 0, 5);
    ExpectVector(child->WorldPosition(), 5, 0, 0);
    child->Position().SetPoint(5, 0, 0);
    ExpectVector(child->WorldPosition(), 0, 0, -5);
}

struct OrientationCase {
    const char *name;
    bool setDirection;
    TVector4f value;
    TVector4f startDir, startUp;
    TVector4f expectDir, expectUp;
};

class Orientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(Orientation, DirectionAndUpStayUnitAndPerpendicular) {
    const OrientationCase &c = GetParam();
    TGLDummyCube node;
    node.Direction().SetSilently(c.startDir);
    node.Up().SetSilently(c.startUp);
    if (c.setDirection) node.Direction().SetAsVector(c.value);
    else node.Up().SetAsVector(c.value);
    const TVector4f d = node.Direction().AsVector(), u = node.Up().AsVector();
    EXPECT_NEAR(VectorLength(d), 1, 1e-5);
    EXPECT_NEAR(VectorLength(u), 1, 1e-5);
    EXPECT_NEAR(VectorDot(d, u), 0, 1e-5);
    ExpectVector(d, c.expectDir.X, c.expectDir.Y, c.expectDir.Z, 1e-5f);
    ExpectVector(u, c.expectUp.X, c.expectUp.Y, c.expectUp.Z, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(
    SceneGraph, Orientation,
    ::testing::Values(
        // The main window's pitched scene node: the stored Up follows from the Direction.
        OrientationCase{"pitch10", true, {0, 0.17364818f, 0.98480773f, 0}, {0, 0, 1, 0}, {0, 1, 0, 0},
                        {0, 0.17364818f, 0.98480773f, 0}, {0, 0.98480773f, -0.17364818f, 0}},
        OrientationCase{"unnormalisedDirection", true, {0, 0, 5, 0}, {0, 0, 1, 0}, {0, 1, 0, 0},
                        {0, 0, 1, 0}, {0, 1, 0, 0}},
        OrientationCase{"zeroDirection", true, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0},
                        {0, 0, 1, 0}, {0, 1, 0, 0}},
        // Direction along Up: the right vector comes from (0,0,1) x Up.
        OrientationCase{"directionAlongUp", true, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0},
                        {0, 1, 0, 0}, {0, 0, -1, 0}},
        OrientationCase{"upTilted", false, {0, 1, -1, 0}, {0, 0, 1, 0}, {0, 1, 0, 0},
                        {0, 0.70710677f, 0.70710677f, 0}, {0, 0.70710677f, -0.70710677f, 0}},
        OrientationCase{"zeroUp", false, {0, 0, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0},
                        {0, 0, 1, 0}, {0, 1, 0, 0}}),
    [](const ::testing::TestParamInfo<OrientationCase> &info) { return std::string(info.param.name); });

struct ExtentCase {
    const char *name;
    float cubeSize; // < 0: a plane of 20 x 10; 0: a plain node
    float radius;
};

class Extent : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(Extent, BoundingRadius) {
    const ExtentCase &c = GetParam();
    std::unique_ptr<TGLBaseSceneObject> node;
    if (c.cubeSize > 0) {
        auto cube = std::make_unique<TGLDummyCube>();
        cube->SetCubeSize(c.cubeSize);
        node = std::move(cube);
    } else if (c.cubeSize < 0) {
        auto plane = std::make_unique<TGLPlane>();
        plane->SetWidth(20);
        plane->SetHeight(10);
        node = std::move(plane);
    } else {
        node = std::make_unique<TGLBaseSceneObject>();
    }
    EXPECT_NEAR(node->BoundingRadius(), c.radius, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(SceneGraph, Extent,
                         ::testing::Values(ExtentCase{"cube20", 20, 17.3205f}, ExtentCase{"cube5", 5, 4.3301f},
                                           ExtentCase{"plainNode", 0, 0.8660f},
                                           ExtentCase{"plane20x10", -1, 11.1803f}),
                         [](const ::testing::TestParamInfo<ExtentCase> &info) { return std::string(info.param.name); });

TEST(SceneGraph, BarycenterOfCubeIsMeanOfChildren) {
    TGLDummyCube columns;
    columns.CreateChild<TGLDummyCube>();
    columns.CreateChild<TGLDummyCube>()->Position().SetPoint(-21, 0, 0);
    ExpectVector(columns.Barycenter(), -10.5f, 0, 0);
    TGLDummyCube empty;
    empty.Position().SetPoint(3, 4, 5);
    ExpectVector(empty.Barycenter(), 3, 4, 5);
}

TEST(SceneGraph, FindDescendantPrefersADeeperMatchOverALaterDirectChild) {
    // Names are unique in the program; without an owner two nodes may share one, which shows
    // the precedence: the first subtree that yields a match wins over the direct child.
    TGLDummyCube root;
    auto *first = root.CreateChild<TGLDummyCube>();
    first->SetName("First");
    auto *deep = first->CreateChild<TGLDummyCube>();
    deep->SetName("Target");
    auto *direct = root.CreateChild<TGLDummyCube>();
    direct->SetName("TARGET");
    EXPECT_EQ(root.FindDescendant("target"), deep);
    EXPECT_EQ(root.FindDescendant("target", true), direct);
    EXPECT_EQ(root.FindDescendant("missing"), nullptr);
    EXPECT_EQ(root.FindDescendant(""), nullptr);
}

TEST(SceneGraph, FindObjectIgnoresCaseAndSearchesCamerasRootLast) {
    TComponentOwner owner;
    TGLScene scene(&owner);
    auto *holder = scene.Objects()->CreateChild<TGLDummyCube>()->CreateChild<TGLDummyCube>();
    holder->SetName("DUMMY_00001");
    auto *cam = scene.Cameras()->CreateChild<TGLDummyCube>();
    cam->SetName("GLCamera1");
    EXPECT_EQ(scene.FindObject("dummy_00001"), holder);
    EXPECT_EQ(scene.FindObject("glcamera1"), cam);
    EXPECT_EQ(scene.FindObject("nothing"), nullptr);
    // Nodes made under the roots share the owner's names, with other components of the window.
    owner.Reserve("mniNext", &owner);
    auto *other = scene.Objects()->CreateChild<TGLPlane>();
    EXPECT_THROW(other->SetName("glcamera1"), OrvantaError);
    EXPECT_THROW(other->SetName("MNINEXT"), OrvantaError);
    // Destroying a node frees its name.
    delete holder;
    EXPECT_NO_THROW(other->SetName("Dummy_00001"));
}

TEST(SceneGraph, NameRules) {
    TComponentOwner owner;
    TGLDummyCube a(&owner), b(&owner);
    a.SetName("DUMMY_00001");
    try {
        b.SetName("dummy_00001");
        FAIL() << "duplicate accepted";
    } catch (const OrvantaError &e) {
        EXPECT_EQ(e.Message(), "A component named dummy_00001 already exists");
    }
    EXPECT_EQ(b.Name(), "");
    try {
        b.SetName("1abc");
        FAIL() << "invalid name accepted";
    } catch (const OrvantaError &e) {
        EXPECT_EQ(e.Message(), "''1abc'' is not a valid component name");
    }
    for (const char *bad : {"a b", "a-b", "\xc3\xa4x"})
        EXPECT_THROW(b.SetName(QString::fromUtf8(bad)), OrvantaError) << bad;
    b.SetName("_ok9");
    EXPECT_EQ(b.Name(), "_ok9");
    // A destroyed node frees its name.
    {
        TGLDummyCube c(&owner);
        c.SetName("Temp");
    }
    TGLDummyCube d(&owner);
    EXPECT_NO_THROW(d.SetName("temp"));
    // Renaming a node to another case of its own name is fine.
    EXPECT_NO_THROW(a.SetName("Dummy_00001"));
}

TEST(SceneGraph, ChildListOperations) {
    TGLDummyCube root;
    auto *a = root.CreateChild<TGLDummyCube>();
    auto *b = root.CreateChild<TGLDummyCube>();
    auto *c = root.CreateChild<TGLDummyCube>();
    root.DetachChild(b, false);
    EXPECT_EQ(root.GetChild(1), c);
    EXPECT_EQ(root.ChildIndex(b), -1);
    EXPECT_EQ(b->Parent(), nullptr);
    delete b;
    // Destroying a node destroys its subtree and leaves the parent's list.
    bool planeGone = false;
    struct Watch : FreeListener {
        bool *flag;
        void ObjectFreed(FreeNotifier *) override { *flag = true; }
    } watch;
    watch.flag = &planeGone;
    auto *plane = a->CreateChild<TGLPlane>();
    plane->AddFreeListener(&watch);
    delete a;
    EXPECT_TRUE(planeGone);
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.GetChild(0), c);
    // Detaching with keepGrandchildren moves the grandchildren up.
    auto *g = c->CreateChild<TGLDummyCube>();
    root.DetachChild(c, true);
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.GetChild(0), g);
    EXPECT_EQ(g->Parent(), &root);
    delete c;
    // A node never becomes a child of its own subtree.
    EXPECT_THROW(g->AppendChild(&root), OrvantaError);
    EXPECT_THROW(g->AppendChild(g), OrvantaError);
}

TEST(SceneGraph, ChangeNotices) {
    TGLScene scene;
    NoticeCounter notices;
    scene.AddChangeListener(&notices);
    auto *plane = scene.Objects()->CreateChild<TGLPlane>();
    notices.count = 0;
    // Coordinates notify on every write, also of an unchanged value.
    plane->Position().SetX(plane->Position().X());
    EXPECT_GT(notices.count, 0);
    // Field setters notify only on a different value.
    notices.count = 0;
    plane->SetWidth(1);
    plane->SetVisible(true);
    EXPECT_EQ(notices.count, 0);
    plane->ClearStructureChanged();
    plane->SetWidth(2);
    EXPECT_TRUE(plane->StructureChanged());
    EXPECT_GT(notices.count, 0);
    notices.count = 0;
    plane->SetVisible(false);
    EXPECT_EQ(notices.count, 1);
    // A detached node no longer reaches the scene.
    scene.Objects()->DetachChild(plane, false);
    notices.count = 0;
    plane->Position().SetX(4);
    EXPECT_EQ(notices.count, 0);
    delete plane;
    // While loading, transform marks send nothing.
    auto *cube = scene.Objects()->CreateChild<TGLDummyCube>();
    scene.BeginLoading();
    notices.count = 0;
    cube->Position().SetPoint(1, 2, 3);
    EXPECT_EQ(notices.count, 0);
    scene.EndLoading();
    EXPECT_EQ(notices.count, 1);
    scene.RemoveChangeListener(&notices);
}

TEST(SceneGraph, PlaneTextureRanges) {
    TGLPlane plane;
    plane.SetWidth(20);
    plane.SetHeight(10);
    float s0, s1, t0, t1;
    plane.TextureRanges(s0, s1, t0, t1);
    EXPECT_EQ(s0, 0);
    EXPECT_EQ(s1, 1);
    EXPECT_EQ(t0, 0);
    EXPECT_EQ(t1, 1);
    plane.SetXTiles(3);
    plane.SetXOffset(0.5f);
    plane.SetYScope(2);
    plane.TextureRanges(s0, s1, t0, t1);
    EXPECT_FLOAT_EQ(s0, 0.5f);
    EXPECT_FLOAT_EQ(s1, 3.5f);
    EXPECT_FLOAT_EQ(t1, 2);
    plane.SetStyle(psSingleQuad);
    plane.TextureRanges(s0, s1, t0, t1);
    EXPECT_FLOAT_EQ(s0, 0);
    EXPECT_FLOAT_EQ(s1, 1);
    EXPECT_FLOAT_EQ(t1, 2);
    plane.SetXTiles(0);
    EXPECT_EQ(plane.XTiles(), 1);
}

TEST(SceneGraph, AnglesAreNormalised) {
    TGLDummyCube node;
    node.SetPitchAngle(370);
    EXPECT_FLOAT_EQ(node.PitchAngle(), 10);
    node.SetTurnAngle(-190);
    EXPECT_FLOAT_EQ(node.TurnAngle(), 170);
    node.SetRollAngle(180);
    EXPECT_FLOAT_EQ(node.RollAngle(), 180);
    EXPECT_TRUE(node.LocalTransform().IsIdentity());
}

} // namespace
