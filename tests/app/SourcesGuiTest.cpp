// Where pictures come from: the command line, drops, folders; Esc during a load; the rendered
// wall itself.

#include "WallTestSupport.h"

#include "platform/KeyState.h"
#include "scene/GLCamera.h"
#include "scene/GLHUDObjects.h"
#include "scene/GLSceneViewer.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>

using namespace wall_test;
using platform::KeyState;

namespace {

class Sources : public WallTest {
protected:
    void TearDown() override {
        KeyState::Reset();
        WallTest::TearDown();
    }
};

TEST_F(Sources, CommandLineFilesWithoutCtrlKeepTheLastWithCtrlAddAll) {
    const QString a = Pic("a.png"), b = Pic("b.png");
    StoreParams({a, b});
    frm->LoadFromParams();
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Hint(), b);
    EXPECT_EQ(frm->SelectedDummyName, Holder(0)->Name());
    EXPECT_EQ(RegReadString(kRegKeyValues, "CP"), dirs.root() + "/");
    KeyState::KeyPressed(Qt::Key_Control, Qt::ControlModifier, false);
    frm->LoadFromParams();
    EXPECT_EQ(frm->PictureCount(), 3);
    EXPECT_EQ(frm->SelectedDummyName, Holder(2)->Name());
}

TEST_F(Sources, CommandLineWithATextFileAddsNothing) {
    frm->AddPic(Pic("kept.png"));
    QFile f(dirs.root() + "/readme.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    StoreParams({dirs.root() + "/readme.txt", dirs.root() + "/missing.png"});
    frm->LoadFromParams();
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Hint(), dirs.root() + "/kept.png");
}

TEST_F(Sources, CountThatIsNotANumberShowsTheLoadError) {
    RegWriteString(kRegKeyParams, "Count", "x");
    frm->LoadFromParams();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "Cannot load from parameters!\r\n\r\nError: 'x' is not a valid integer value");
    EXPECT_FALSE(frm->LoadingPictures);
    EXPECT_FALSE(frm->GLHUDTextLoading->Visible());
}

TEST_F(Sources, FolderOnTheCommandLineAndDroppedFoldersLoadInNaturalOrder) {
    const QString folder = dirs.root() + "/pics/";
    QDir().mkpath(folder + "sub");
    for (const char *n : {"img10.png", "img2.png", "Img1.png"})
        MakePicture(folder + n, 20, 20, Qt::yellow);
    MakePicture(folder + "sub/inner.png", 20, 20, Qt::yellow);
    QFile(folder + "notes.txt").open(QIODevice::WriteOnly);
    StoreParams({folder});
    frm->LoadFromParams();
    ASSERT_EQ(frm->PictureCount(), 3);
    EXPECT_EQ(Holder(0)->Hint(), folder + "Img1.png");
    EXPECT_EQ(Holder(1)->Hint(), folder + "img2.png");
    EXPECT_EQ(Holder(2)->Hint(), folder + "img10.png");
    // With sub-folders included, a dropped folder brings the sub-folder's pictures after its own.
    SettingsList = {"chkRecursiveBrowse=true"};
    frm->DropFileTargetSceneDrop({folder});
    ASSERT_EQ(frm->PictureCount(), 4);
    EXPECT_EQ(Holder(3)->Hint(), folder + "sub/inner.png");
    EXPECT_EQ(frm->SelectedDummyName, Holder(3)->Name());
}

TEST_F(Sources, EscapeDuringALoadStopsItAndSelectsTheLastAdded) {
    QStringList files;
    for (int i = 1; i <= 5; ++i)
        files.append(Pic(QString("e%1.png").arg(i)));
    frm->show();
    frm->ProgressObserver = [&](const QString &text) {
        if (text == "Loading picture 3/5") {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
            QCoreApplication::sendEvent(frm.get(), &press);
        }
    };
    frm->DropFileTargetSceneDrop(files);
    EXPECT_GE(frm->PictureCount(), 2);
    EXPECT_LE(frm->PictureCount(), 3);
    EXPECT_EQ(frm->SelectedDummyName, Holder(frm->PictureCount() - 1)->Name());
    EXPECT_TRUE(frm->isVisible());  // Esc ended the load, not the window
}

TEST_F(Sources, HandOffDuringALoadWaitsForIt) {
    QStringList files;
    for (int i = 1; i <= 3; ++i)
        files.append(Pic(QString("h%1.png").arg(i)));
    const QString later = Pic("later.png");
    bool asked = false;
    frm->ProgressObserver = [&](const QString &text) {
        if (text == "Loading picture 2/3" && !asked) {
            asked = true;
            StoreParams({later});
            frm->WMLoadParams({});
        }
    };
    frm->DropFileTargetSceneDrop(files);
    frm->ProgressObserver = nullptr;
    EXPECT_EQ(frm->PictureCount(), 3);
    ASSERT_TRUE(WaitFor([&] { return frm->PictureCount() == 1 && Holder(0)->Hint() == later; }));
}

TEST_F(Sources, TheWallIsDrawnWhereTheCameraLooksAndReadsTheRightWay) {
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    // Left half red, right half blue: on the screen red must stay on the left.
    const QString path = MakePicture(dirs.root() + "/halves.png", 200, 200, Qt::red, Qt::blue);
    frm->AddPic(path);
    frm->SelectObjectByChild(0);
    frm->Inquadra(Holder(0), true);
    frm->CalculateSceneScale();
    Step(0.05, 300);
    frm->GLHUDTextLogo->SetVisible(false);  // the start-up logo stands over the centre for a second
    frm->GLSceneViewer1->Repaint();
    const QImage shot = frm->GLSceneViewer1->grabFramebuffer();
    ASSERT_FALSE(shot.isNull());
    shot.save("/tmp/orvanta-wall-test.png");
    const int cx = shot.width() / 2, cy = shot.height() / 2;
    const QColor left = shot.pixelColor(cx - shot.height() / 8, cy);
    const QColor right = shot.pixelColor(cx + shot.height() / 8, cy);
    EXPECT_GT(left.red(), 200) << left.name().toStdString();
    EXPECT_LT(left.blue(), 60) << left.name().toStdString();
    EXPECT_GT(right.blue(), 200) << right.name().toStdString();
    EXPECT_LT(right.red(), 60) << right.name().toStdString();
    // Far outside the picture: the background.
    EXPECT_NE(shot.pixelColor(3, 3), QColor(Qt::red));
}

} // namespace
