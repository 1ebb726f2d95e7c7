// The frame clock in cmManual mode with an external raw clock.
#include "scene/GLCadencer.h"
#include "scene/GLScene.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

struct Step {
    double delta, newTime;
};

class CadencerTest : public ::testing::Test {
protected:
    CadencerTest() {
        cad.SetExternalTime(100.0); // any start: switching keeps the clock where it is
        cad.SetTimeReference(cmExternal);
        cad.SetMode(cmManual);
        cad.Advance(); // catch up with the time that passed before the switch
        start = cad.LastTime();
        cad.OnProgress = [this](TGLCadencer *, double d, double t) { steps.push_back({d, t}); };
    }
    void At(double raw) { cad.SetExternalTime(raw); }

    TGLCadencer cad;
    double start = 0;
    std::vector<Step> steps;
};

TEST_F(CadencerTest, StepReportsTheTimeSinceTheLastStep) {
    At(100.02);
    cad.Advance();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_NEAR(steps[0].delta, 0.02, 1e-9);
    EXPECT_NEAR(steps[0].newTime, start + 0.02, 1e-9);
    At(100.05);
    cad.Advance();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_NEAR(steps[1].delta, 0.03, 1e-9);
}

TEST_F(CadencerTest, MaxDeltaTimeDropsTheExcessOfAStall) {
    cad.MaxDeltaTime = 0.05;
    At(100.01);
    cad.Advance();
    const double before = cad.LastTime();
    At(102.01); // the loop was blocked for two seconds
    cad.Advance();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_NEAR(steps[1].delta, 0.05, 1e-9);
    EXPECT_NEAR(steps[1].newTime, before + 0.05, 1e-9);
    EXPECT_NEAR(cad.LastTime(), before + 0.05, 1e-9);
    // The clock goes on from there: 10 ms later reads 10 ms more.
    At(102.02);
    cad.Advance();
    EXPECT_NEAR(steps[2].delta, 0.01, 1e-9);
    EXPECT_NEAR(steps[2].newTime, before + 0.06, 1e-9);
}

TEST_F(CadencerTest, DisabledTimeIsNotCounted) {
    cad.MaxDeltaTime = 0.05;
    At(100.01);
    cad.Advance();
    At(100.02);
    cad.SetEnabled(false);
    At(105.0);
    cad.Advance(); // disabled: no step
    EXPECT_EQ(steps.size(), 1u);
    At(110.02);
    cad.SetEnabled(true);
    At(110.04);
    cad.Advance();
    ASSERT_EQ(steps.size(), 2u);
    // 10 ms enabled before the pause and 20 ms after it.
    EXPECT_NEAR(steps[1].delta, 0.03, 1e-9);
}

TEST_F(CadencerTest, NestedAdvanceFromAProgressHandlerRuns) {
    int depth = 0, maxDepth = 0;
    cad.OnProgress = [&](TGLCadencer *sender, double d, double t) {
        steps.push_back({d, t});
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (depth == 1) {
            At(100.03);
            sender->Advance();
        }
        --depth;
    };
    At(100.01);
    cad.Advance();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(maxDepth, 2);
    EXPECT_NEAR(steps[1].delta, 0.02, 1e-9);
    EXPECT_FALSE(cad.IsBusy());
}

TEST_F(CadencerTest, AnErrorInTheHandlerLeavesTheCadencerUsable) {
    cad.OnProgress = [](TGLCadencer *, double, double) { throw std::runtime_error("boom"); };
    At(100.01);
    EXPECT_THROW(cad.Advance(), std::runtime_error);
    EXPECT_FALSE(cad.IsBusy());
    cad.OnProgress = [this](TGLCadencer *, double d, double t) { steps.push_back({d, t}); };
    At(100.02);
    cad.Advance();
    EXPECT_EQ(steps.size(), 1u);
}

TEST_F(CadencerTest, MinAndFixedDeltaTime) {
    cad.MinDeltaTime = 0.01;
    At(100.005);
    cad.Advance();
    EXPECT_TRUE(steps.empty());
    cad.MinDeltaTime = 0;
    cad.FixedDeltaTime = 0.01;
    At(100.035);
    cad.Advance();
    ASSERT_EQ(steps.size(), 3u); // 35 ms in steps of 10 ms
    for (const Step &s : steps) EXPECT_NEAR(s.delta, 0.01, 1e-12);
}

// A node that counts its progress steps and tries to step the cadencer from inside.
class ProgressProbe : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;
    TGLCadencer *cadencer = nullptr;
    int calls = 0;
    void DoProgress(double, double) override {
        ++calls;
        if (cadencer) cadencer->Advance(); // refused while the scene progresses
    }
};

TEST_F(CadencerTest, SceneProgressionRefusesNestedSteps) {
    TGLScene scene;
    auto *probe = scene.Objects()->CreateChild<ProgressProbe>();
    probe->cadencer = &cad;
    cad.SetScene(&scene);
    At(100.01);
    cad.Advance();
    EXPECT_EQ(probe->calls, 1);
    EXPECT_EQ(steps.size(), 1u);
    EXPECT_FALSE(cad.IsBusy());
}

TEST(Cadencer, ForgetsADestroyedScene) {
    TGLCadencer cad;
    cad.SetMode(cmManual);
    {
        TGLScene scene;
        cad.SetScene(&scene);
        EXPECT_EQ(cad.Scene(), &scene);
    }
    EXPECT_EQ(cad.Scene(), nullptr);
    cad.Advance(); // no scene: still fine
}

TEST(Cadencer, SleepLengthMinusOneDoesNotSleep) {
    TGLCadencer cad;
    cad.SetMode(cmManual);
    EXPECT_EQ(cad.SleepLength, -1);
    cad.Advance();
}

} // namespace
