// The cadencer as the application's idle handler, stepped by the event loop.
#include "scene/GLCadencer.h"
#include "scene/GLScene.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

struct Recorder {
    std::vector<double> deltas;
    void Attach(TGLCadencer &cad) {
        cad.OnProgress = [this](TGLCadencer *, double d, double) { deltas.push_back(d); };
    }
};

void MakeIdle(TGLCadencer &cad, TGLScene &scene) {
    cad.SetEnabled(false);
    cad.MaxDeltaTime = 0.05;
    cad.SetMode(cmApplicationIdle);
    cad.SetScene(&scene);
}

TEST(CadencerIdle, StepsWhileTheLoopIsIdleAtMostOncePerDisplayRefresh) {
    TGLScene scene;
    TGLCadencer cad;
    Recorder rec;
    rec.Attach(cad);
    MakeIdle(cad, scene);
    EXPECT_FALSE(cad.IsHookedToIdle()); // not enabled yet
    cad.SetEnabled(true);
    EXPECT_TRUE(cad.IsHookedToIdle());
    QTest::qWait(500);
    double rate = QGuiApplication::primaryScreen()->refreshRate();
    if (!(rate >= 20 && rate <= 500)) rate = 60;
    EXPECT_GE(rec.deltas.size(), 5u);
    EXPECT_LE(double(rec.deltas.size()), 0.5 * rate + 3);
    for (double d : rec.deltas) EXPECT_LE(d, 0.05 + 1e-12);

    // Disabling unhooks; so does the manual mode.
    cad.SetEnabled(false);
    EXPECT_FALSE(cad.IsHookedToIdle());
    const size_t stopped = rec.deltas.size();
    QTest::qWait(100);
    EXPECT_EQ(rec.deltas.size(), stopped);
    cad.SetEnabled(true);
    cad.SetMode(cmManual);
    EXPECT_FALSE(cad.IsHookedToIdle());
}

TEST(CadencerIdle, TheLastHookUpWins) {
    TGLScene scene;
    TGLCadencer first, second;
    Recorder a, b;
    a.Attach(first);
    b.Attach(second);
    MakeIdle(first, scene);
    MakeIdle(second, scene);
    first.SetEnabled(true);
    second.SetEnabled(true);
    EXPECT_FALSE(first.IsHookedToIdle());
    EXPECT_TRUE(second.IsHookedToIdle());
    QTest::qWait(200);
    EXPECT_TRUE(a.deltas.empty());
    EXPECT_FALSE(b.deltas.empty());
}

TEST(CadencerIdle, AFailedStepIsReportedAndTheLoopWaitsForTheNextEvent) {
    TGLScene scene;
    TGLCadencer cad;
    int calls = 0;
    bool fail = true;
    cad.OnProgress = [&](TGLCadencer *, double, double) {
        ++calls;
        if (fail) throw std::runtime_error("step failed");
    };
    QStringList reports;
    TGLCadencer::IdleErrorHandler = [&](const QString &message) { reports << message; };
    MakeIdle(cad, scene);
    cad.SetEnabled(true);
    QTest::qWait(200);
    EXPECT_EQ(calls, 1); // no event came: no further step
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0], "step failed");
    EXPECT_FALSE(cad.IsBusy());
    fail = false;
    QObject receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QTest::qWait(200);
    EXPECT_GT(calls, 2);
    TGLCadencer::IdleErrorHandler = nullptr;
}

TEST(CadencerIdle, DestroyingAHookedCadencerUnhooksIt) {
    TGLScene scene;
    {
        TGLCadencer cad;
        MakeIdle(cad, scene);
        cad.SetEnabled(true);
        QTest::qWait(50);
    }
    QTest::qWait(50); // the idle timer must not step a destroyed cadencer
    SUCCEED();
}

} // namespace
