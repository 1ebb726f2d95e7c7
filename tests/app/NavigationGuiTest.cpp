// Frame update, input, framing and stepping in the real main window.

#include "WallTestSupport.h"

#include "platform/KeyState.h"
#include "scene/GLCamera.h"
#include "scene/GLSceneViewer.h"
#include "scene/GLSkydome.h"
#include "scene/GLTexture.h"

#include <QFile>
#include <QScreen>
#include <QTimer>
#include <QKeyEvent>
#include <QMenu>

using namespace wall_test;
using platform::KeyState;

namespace {

class Navigation : public WallTest {
protected:
    void TearDown() override {
        KeyState::Reset();
        WallTest::TearDown();
    }
};

TEST_F(Navigation, GlideClosesItsShareOfTheDistance) {
    frm->GLCamera1->Position().SetX(10);
    frm->DCTarget->Position().SetX(10);
    frm->GoalX = 0;
    frm->GoalY = frm->GLCamera1->Position().Y();
    Step(0.05);
    EXPECT_NEAR(frm->GLCamera1->Position().X(), 8.5f, 1e-5);
    EXPECT_NEAR(frm->DCTarget->Position().X(), 8.25f, 1e-5);
    EXPECT_FLOAT_EQ(frm->DCTarget->Position().Z(), frm->GLCamera1->Position().Z() + 8);
}

TEST_F(Navigation, HeldKeysMoveTheGoals) {
    frm->show();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    // Keypad plus never passes -1.
    frm->GoalZ = -1.1f;
    KeyState::KeyPressed(Qt::Key_Plus, Qt::KeypadModifier, false);
    Step(0.05, 3);
    EXPECT_FLOAT_EQ(frm->GoalZ, -1);
    KeyState::Reset();
    // Keypad minus stops at -400.
    frm->GoalZ = -399.9f;
    KeyState::KeyPressed(Qt::Key_Minus, Qt::KeypadModifier, false);
    Step(0.05, 3);
    EXPECT_LT(frm->GoalZ, -400);
    EXPECT_GE(frm->GoalZ, -400 - 50 * 0.05f * 0.1f);
    KeyState::Reset();
    // Shift + right at speed 50 and dt 0.02: +0.6.
    frm->GoalX = 0;
    KeyState::KeyPressed(Qt::Key_Shift, Qt::ShiftModifier, false);
    KeyState::KeyPressed(Qt::Key_Right, Qt::ShiftModifier, false);
    Step(0.02);
    EXPECT_NEAR(frm->GoalX, 0.6f, 1e-5);
    KeyState::Reset();
    // Inverted up/down: up raises GoalY.
    gVars.chkInvertUpDownKeys = true;
    frm->GoalY = 0;
    KeyState::KeyPressed(Qt::Key_W, {}, false);
    Step(0.02);
    EXPECT_NEAR(frm->GoalY, 50 * 0.02f * 0.15f, 1e-5);
}

TEST_F(Navigation, DragAndWheelMoveTheGoals) {
    gVars.trkMouseMoveSpeedH = 90;
    frm->GoalX = 0;
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, 300, 200);
    frm->GLSceneViewer1MouseMove(Qt::LeftButton, {}, 290, 200);
    EXPECT_NEAR(frm->GoalX, -0.72f, 1e-5);
    // A resize ends the drag.
    frm->CalculateSceneScale();
    frm->GLSceneViewer1MouseMove(Qt::LeftButton, {}, 280, 200);
    EXPECT_NEAR(frm->GoalX, -0.72f, 1e-5);

    frm->GoalZ = -399.5f;
    frm->FormMouseWheel({}, -120);
    EXPECT_NEAR(frm->GoalZ, -401.3f, 1e-3);
    frm->FormMouseWheel({}, -120);
    EXPECT_NEAR(frm->GoalZ, -401.3f, 1e-3);
    frm->GoalZ = -2;
    frm->FormMouseWheel({}, 120);
    EXPECT_FLOAT_EQ(frm->GoalZ, -1);
}

TEST_F(Navigation, ZoomAllOfTenPictures) {
    for (int i = 0; i < 10; ++i)
        frm->AddPic(Pic(QString("z%1.png").arg(i)));
    float size, px, py;
    frm->GetCubeExtensXYAndPivot(frm->GLDummyColumns, size, px, py);
    EXPECT_FLOAT_EQ(size, 104);
    EXPECT_FLOAT_EQ(px, -42);
    EXPECT_FLOAT_EQ(py, -10.5f);
    frm->ZoomAll();
    EXPECT_FLOAT_EQ(frm->GLDummyExtens->CubeSize(), 100);
    EXPECT_FLOAT_EQ(frm->GLDummyExtens->Position().X(), -42);
    EXPECT_NEAR(frm->GoalZ, -45.899f, 1e-3);
    frm->ResetGLDummyColumns(true);
    frm->ZoomAll();
    EXPECT_NEAR(frm->GoalZ, -9.18f, 1e-2);
}

TEST_F(Navigation, NextAndPreviousWrapOnTheWall) {
    for (int i = 0; i < 3; ++i)
        frm->AddPic(Pic(QString("w%1.png").arg(i)));
    auto selected = [&] { return frm->GLDummyColumns->ChildIndex(frm->GLScene1->FindObject(frm->SelectedDummyName)); };
    frm->GoToDummy(NavigateNext);
    EXPECT_EQ(selected(), 0);  // nothing selected: the first
    frm->ResetSelection();
    frm->GoToDummy(NavigatePrevious);
    EXPECT_EQ(selected(), 2);  // nothing selected: the last
    frm->GoToDummy(NavigateNext);
    EXPECT_EQ(selected(), 0);  // wraps
    frm->GoToDummy(NavigatePrevious);
    EXPECT_EQ(selected(), 2);
    frm->GoToDummy(NavigateFirst);
    EXPECT_EQ(selected(), 0);
    frm->GoToDummy(NavigateLast);
    EXPECT_EQ(selected(), 2);
    EXPECT_FLOAT_EQ(frm->GoalX, -42);  // the camera slides there
}

TEST_F(Navigation, StepsThroughTheFolderOfASinglePicture) {
    const QString a = Pic("a1.png"), b = Pic("a2.png"), c = Pic("a10.png");
    frm->AddPic(c);  // the last of the folder in natural order
    frm->GoToDummy(NavigateNext);
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Hint(), a);
    frm->GoToDummy(NavigatePrevious);
    EXPECT_EQ(Holder(0)->Hint(), c);
    frm->GoToDummy(NavigatePrevious);
    EXPECT_EQ(Holder(0)->Hint(), b);
    frm->GoToDummy(NavigateFirst);
    EXPECT_EQ(Holder(0)->Hint(), a);
    frm->GoToDummy(NavigateLast);
    EXPECT_EQ(Holder(0)->Hint(), c);
    EXPECT_EQ(frm->SelectedDummyName, Holder(0)->Name());
    // A picture not in the list (other letter case): next gives the first, previous the last.
    frm->ResetGLDummyColumns(true);
    QFile::copy(a, dirs.root() + "/A1.PNG");
    QFile::remove(a);
    frm->AddPic(dirs.root() + "/A1.PNG");
    QFile::copy(dirs.root() + "/A1.PNG", a);
    QFile::remove(dirs.root() + "/A1.PNG");
    frm->GoToDummy(NavigateNext);
    EXPECT_EQ(Holder(0)->Hint(), a);
}

TEST_F(Navigation, EmptyWallStepsThroughTheLastUsedFolder) {
    const QString folder = dirs.root() + "/last/";
    QDir().mkpath(folder);
    MakePicture(folder + "one.png", 30, 30, Qt::blue);
    MakePicture(folder + "two.png", 30, 30, Qt::blue);
    RegWriteString(kRegKeyValues, "CP", folder);
    frm->GoToDummy(NavigateNext);
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Hint(), folder + "one.png");
    EXPECT_EQ(frm->SelectedDummyName, Holder(0)->Name());
    EXPECT_LT(frm->GoalZ, 0);  // framed with its distance
    // An empty folder frames the wall and selects nothing.
    frm->ResetGLDummyColumns(true);
    QDir().mkpath(dirs.root() + "/empty");
    RegWriteString(kRegKeyValues, "CP", dirs.root() + "/empty/");
    frm->GoToDummy(NavigateNext);
    EXPECT_EQ(frm->PictureCount(), 0);
    EXPECT_TRUE(frm->SelectedDummyName.isEmpty());
}

// Where the centre of a holder appears in the view, found by picking the window's pixels.
QPoint FindOnScreen(TfrmMain &frm, TGLBaseSceneObject *plane) {
    const int w = frm.GLSceneViewer1->width(), h = frm.GLSceneViewer1->height();
    for (int y = 10; y < h; y += 20)
        for (int x = 10; x < w; x += 20)
            if (frm.GLSceneViewer1->PickAt(x, y) == plane)
                return {x, y};
    return {-1, -1};
}

TEST_F(Navigation, ClickSelectsDoubleClickFramesSelectedClickDoesNothing) {
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    frm->AddPic(Pic("c0.png", 64, 64));
    frm->AddPic(Pic("c1.png", 64, 64));
    frm->ZoomAll();
    frm->CalculateSceneScale();
    Step(0.05, 200);  // glide to the goals
    QCoreApplication::processEvents();
    const QPoint p1 = FindOnScreen(*frm, Plane(1));
    ASSERT_NE(p1.x(), -1) << "picture 1 not visible";
    // A click on a picture that is not selected selects and frames it.
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, p1.x(), p1.y());
    Step(0.02);
    EXPECT_EQ(frm->SelectedDummyName, Holder(1)->Name());
    EXPECT_EQ(frm->FramedNode, Holder(1));
    EXPECT_FLOAT_EQ(frm->GoalX, Holder(1)->Position().X());
    EXPECT_EQ(frm->windowTitle(), "c1.png - Orvanta");
    Step(0.02);
    EXPECT_TRUE(frm->GLSelection->Visible());
    EXPECT_FLOAT_EQ(frm->GLSelection->Position().X(), Holder(1)->Position().X());
    // A click on the selected picture changes nothing; a double click frames it again.
    frm->GoalX = 5;
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, p1.x(), p1.y());
    Step(0.0);
    EXPECT_FLOAT_EQ(frm->GoalX, 5);
    frm->GLSceneViewer1DblClick();
    EXPECT_TRUE(frm->ZoomOnPick);
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, p1.x(), p1.y());
    Step(0.0);
    EXPECT_FLOAT_EQ(frm->GoalX, Holder(1)->Position().X());
    EXPECT_FALSE(frm->ZoomOnPick);
    // Clicking empty sky picks nothing and changes nothing.
    frm->GoalX = 7;
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, 2, 2);
    Step(0.0);
    EXPECT_EQ(frm->SelectedDummyName, Holder(1)->Name());
}

TEST_F(Navigation, EscapeClosesOrLeavesFullScreen) {
    frm->show();
    frm->SetFullScreen();
    EXPECT_TRUE(frm->IsFullScreen());
    EXPECT_EQ(RegReadString(kRegKeyScreen, "FullScreen"), "T");
    frm->FormKeyPress(QChar(0x1B));
    EXPECT_FALSE(frm->IsFullScreen());
    EXPECT_EQ(RegReadString(kRegKeyScreen, "FullScreen"), "");
    EXPECT_TRUE(frm->isVisible());
    frm->FormKeyPress(QChar(0x1B));
    EXPECT_FALSE(frm->isVisible());
}

} // namespace

namespace {

class Buttons : public WallTest {};

TEST_F(Buttons, HitsFollowThePositionsAndVisibility) {
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    frm->resize(800, 600);
    ASSERT_TRUE(WaitFor([&] { return frm->GLSceneViewer1->width() == 800; }, 5000));
    frm->CalculateSceneScale();
    // GLHUDSprite3 in an 800 x 600 view: x 2..42, y 558..598, edges included.
    const int W = frm->GLSceneViewer1->width(), H = frm->GLSceneViewer1->height();
    ASSERT_EQ(W, 800);
    ASSERT_EQ(H, 600);
    EXPECT_FLOAT_EQ(frm->GoalSceneScale, 1.2f);
    EXPECT_TRUE(frm->ButtonHit(2, 2, 558));
    EXPECT_TRUE(frm->ButtonHit(2, 42, 598));
    EXPECT_FALSE(frm->ButtonHit(2, 1, 558));
    EXPECT_FALSE(frm->ButtonHit(2, 43, 570));
    EXPECT_FALSE(frm->ButtonHit(2, 20, 557));
    // Hidden zoom buttons are not hit: the click picks the scene instead.
    gVars.chkShowZoomButtons = false;
    frm->SetUpMostNonDynamicOptions();
    EXPECT_FALSE(frm->ButtonHit(3, W - 22, H - 22));
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, W - 22, H - 22);
    EXPECT_TRUE(frm->PickPending);
    gVars.chkShowZoomButtons = true;
    frm->SetUpMostNonDynamicOptions();
    // The zoom-in button: held zoom, no pick, the pressed look for 100 ms.
    frm->PickPending = false;
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, W - 22, H - 64);
    EXPECT_FALSE(frm->PickPending);
    EXPECT_TRUE(frm->ZoomInHeld);
    EXPECT_FLOAT_EQ(frm->GLMatLib2->Materials().Items(5)->Material().Texture().ImageBrightness(), 1.5f);
    EXPECT_TRUE(WaitFor([&] {
        return frm->GLMatLib2->Materials().Items(5)->Material().Texture().ImageBrightness() == 1.1f;
    }, 2000));
    // Moving off without a button clears the held zoom and greys the buttons.
    frm->GLSceneViewer1MouseMove(Qt::NoButton, {}, 400, 300);
    EXPECT_FALSE(frm->ZoomInHeld);
    EXPECT_EQ(frm->GLMatLib2->Materials().Items(5)->Material().Texture().TextureFormat(), tfIntensity);
    frm->GLSceneViewer1MouseMove(Qt::NoButton, {}, W - 22, H - 64);
    EXPECT_EQ(frm->GLMatLib2->Materials().Items(5)->Material().Texture().TextureFormat(), tfRGB16);
}

TEST_F(Buttons, SizeTextAndLogo) {
    frm->AddPic(Pic("s.png", 1024, 768));
    frm->SelectObjectByChild(0);
    EXPECT_EQ(TfrmMain::HudText(frm->GLHUDTextSize), "Size: 1024 x 768");
    EXPECT_EQ(TfrmMain::HudText(frm->GLHUDTextLogo), "Orvanta");
    EXPECT_TRUE(frm->GLHUDTextLogo->Visible());
    EXPECT_TRUE(WaitFor([&] { return !frm->GLHUDTextLogo->Visible(); }, 3000));
    EXPECT_EQ(frm->GLHUDTextExit->Rotation(), -45);
    EXPECT_EQ(frm->GLSkyDome1->BandCount(), 4);
}

} // namespace

namespace {

class SlideShow : public WallTest {};

TEST_F(SlideShow, CyclesTheWallAndStopsOnInput) {
    for (int i = 0; i < 3; ++i)
        frm->AddPic(Pic(QString("s%1.png").arg(i)));
    auto selected = [&] { return frm->GLDummyColumns->ChildIndex(frm->GLScene1->FindObject(frm->SelectedDummyName)); };
    frm->StartSlideShow();
    EXPECT_TRUE(frm->SlideShowRunning());
    EXPECT_EQ(frm->timSlideShow->interval(), 3000);
    EXPECT_EQ(selected(), 0);  // the first step comes at once
    const int expected[] = {1, 2, 0, 1};
    for (int e : expected) {
        frm->timSlideShowTimer();  // the timer, driven by hand
        EXPECT_EQ(selected(), e);
    }
    // F11 released stops a running show; released again it starts with an immediate step.
    frm->FormKeyUp(Qt::Key_F11, {});
    EXPECT_FALSE(frm->SlideShowRunning());
    EXPECT_EQ(selected(), 1);
    frm->FormKeyUp(Qt::Key_F11, {});
    EXPECT_TRUE(frm->SlideShowRunning());
    EXPECT_EQ(selected(), 2);
    // The wheel does not stop it; a key release, a click and a typed key do.
    frm->FormMouseWheel({}, 120);
    EXPECT_TRUE(frm->SlideShowRunning());
    frm->FormKeyUp(Qt::Key_Shift, {});
    EXPECT_FALSE(frm->SlideShowRunning());
    frm->StartSlideShow();
    frm->GLSceneViewer1MouseDown(Qt::RightButton, {}, 10, 10);
    EXPECT_FALSE(frm->SlideShowRunning());
    frm->StartSlideShow();
    frm->FormKeyPress(QChar('a'));
    EXPECT_FALSE(frm->SlideShowRunning());
}

TEST_F(SlideShow, OnePictureWalksItsFolder) {
    const QString a = Pic("f1.png"), b = Pic("f2.png");
    frm->AddPic(b);
    frm->StartSlideShow();
    EXPECT_EQ(Holder(0)->Hint(), a);  // from the folder's last file to its first
    frm->timSlideShowTimer();
    EXPECT_EQ(Holder(0)->Hint(), b);
    frm->StopSlideShow();
}

} // namespace

namespace {

class ScreenModes : public orvanta::test::UserStateTest {};

TEST_F(ScreenModes, StoredFullScreenStartsFullScreenWithTheOnePixelInset) {
    gVars = TVars();
    RegWriteString(kRegKeyScreen, "FullScreen", "yes");
    TfrmMain frm;
    frm.GLCadencer1->SetEnabled(false);
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    EXPECT_TRUE(frm.IsFullScreen());
    EXPECT_EQ(RegReadString(kRegKeyScreen, "FullScreen"), "T");
    const QSize screen = frm.screen()->geometry().size();
    ASSERT_TRUE(WaitFor([&] { return frm.GLSceneViewer1->width() == screen.width() - 2; }, 5000));
    EXPECT_EQ(frm.GLSceneViewer1->geometry(), QRect(1, 1, screen.width() - 2, screen.height() - 2));
    frm.CalculateSceneScale();
    const int W = screen.width() - 2, H = screen.height() - 2;
    EXPECT_FLOAT_EQ(frm.GoalSceneScale, float(std::min(W, H)) / 500.0f);
    EXPECT_FLOAT_EQ(frm.GLHUDSprite[3]->Position().X(), float(W - 22));  // zoom all, bottom right
    EXPECT_FLOAT_EQ(frm.GLHUDSprite[3]->Position().Y(), float(H - 22));
    if (screen == QSize(1024, 768)) {  // the run under a 1024 x 768 display (see CMakeLists.txt)
        EXPECT_EQ(frm.GLSceneViewer1->geometry(), QRect(1, 1, 1022, 766));
        EXPECT_NEAR(frm.GoalSceneScale, 1.532f, 1e-6);
        EXPECT_FLOAT_EQ(frm.GLHUDSprite[3]->Position().X(), 1000);
        EXPECT_FLOAT_EQ(frm.GLHUDSprite[3]->Position().Y(), 744);
    }
    frm.ToggleFullScreen();
    EXPECT_FALSE(frm.IsFullScreen());
    EXPECT_EQ(RegReadString(kRegKeyScreen, "FullScreen"), "");
}

TEST_F(ScreenModes, LeavingFullScreenRestoresTheSavedWindow) {
    gVars = TVars();
    TfrmMain frm;
    frm.GLCadencer1->SetEnabled(false);
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    frm.setGeometry(40, 50, 700, 500);
    ASSERT_TRUE(WaitFor([&] { return frm.geometry() == QRect(40, 50, 700, 500); }, 5000));
    frm.SetFullScreen();
    EXPECT_EQ(frm.WindowedLeft, 40);
    EXPECT_EQ(frm.WindowedWidth, 700);
    frm.SetWindowScreen();
    ASSERT_TRUE(WaitFor([&] { return frm.geometry().size() == QSize(700, 500); }, 5000));
    EXPECT_EQ(frm.GLSceneViewer1->geometry(), QRect(0, 0, 700, 500));
}

} // namespace

namespace {

class Overlay : public WallTest {};

TEST_F(Overlay, ClickOnExitClosesTheWindowEvenOverAPicture) {
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    frm->CalculateSceneScale();
    // A picture right behind the EXIT text.
    frm->AddPic(Pic("behind.png", 64, 64));
    frm->Inquadra(Holder(0), true);
    Step(0.05, 200);
    QCoreApplication::processEvents();
    const int W = frm->GLSceneViewer1->width();
    // Find a pixel of the turned text near the top right corner.
    QPoint hit(-1, -1);
    for (int y = 5; y < 60 && hit.x() < 0; ++y)
        for (int x = W - 60; x < W; ++x)
            if (frm->GLSceneViewer1->PickAt(x, y) == frm->GLHUDTextExit) {
                hit = {x, y};
                break;
            }
    ASSERT_NE(hit.x(), -1) << "EXIT not found by picking";
    frm->GLSceneViewer1MouseDown(Qt::LeftButton, {}, hit.x(), hit.y());
    Step(0.02);
    EXPECT_FALSE(frm->isVisible());
}

TEST_F(Overlay, SceneScaleFollowsTheSmallerSide) {
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    for (QSize size : {QSize(800, 600), QSize(600, 800)}) {
        frm->resize(size);
        ASSERT_TRUE(WaitFor([&] { return frm->GLSceneViewer1->size() == size; }, 5000));
        frm->CalculateSceneScale();
        EXPECT_FLOAT_EQ(frm->GoalSceneScale, 1.2f) << size.width();
        EXPECT_FLOAT_EQ(frm->GLHUDTextExit->Position().X(), float(size.width() - 5));
        EXPECT_FLOAT_EQ(frm->GLHUDTextSize->Position().Y(), float(size.height()));
    }
}

TEST_F(Overlay, OpeningTheMenuStopsTheSlideShow) {
    frm->AddPic(Pic("m0.png"));
    frm->AddPic(Pic("m1.png"));
    frm->StartSlideShow();
    ASSERT_TRUE(frm->SlideShowRunning());
    frm->show();
    frm->PopupMenu1->popup(frm->mapToGlobal(QPoint(10, 10)));
    EXPECT_FALSE(frm->SlideShowRunning());
    frm->PopupMenu1->hide();  // dismissed without choosing: the slide show stays stopped
    QCoreApplication::processEvents();
    EXPECT_FALSE(frm->SlideShowRunning());
}

} // namespace
