// The picture wall in the real main window: adding, names, slots, limits, retries,
// placeholders, reloading, re-laying and removal.

#include "WallTestSupport.h"

#include "app/WallGeometry.h"
#include "platform/KeyState.h"
#include "util/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace wall_test;

namespace {

TEST(WallGeometry, SlotsAndPlaneSizes) {
    const std::pair<float, float> five[7] = {{0, 0}, {-21, 0}, {-42, 0}, {-63, 0}, {-84, 0}, {0, -21}, {-21, -21}};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GridSlot(i, 5), five[i]) << i;
    EXPECT_EQ(GridSlot(3, 0), std::make_pair(-63.0f, 0.0f));
    const struct { int w, h; float pw, ph; } sizes[] = {
        {1024, 768, 20, 15}, {600, 800, 15, 20}, {300, 300, 20, 20}, {512, 256, 20, 10}};
    for (const auto &c : sizes) {
        EXPECT_FLOAT_EQ(PlaneSize(c.w, c.h).first, c.pw) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(PlaneSize(c.w, c.h).second, c.ph) << c.w << "x" << c.h;
    }
}

class WallGui : public WallTest {};

TEST_F(WallGui, FirstPicturesGetTheirNamesSlotsAndSizes) {
    frm->AddPic(Pic("a.png", 1024, 768));
    frm->AddPic(Pic("b.png", 600, 800));
    ASSERT_EQ(frm->PictureCount(), 2);
    EXPECT_EQ(Holder(0)->Name(), "DUMMY_00001");
    EXPECT_EQ(Plane(0)->Name(), "PLANE_00000");
    EXPECT_EQ(Plane(0)->Material().LibMaterialName(), "00000_IMG");
    EXPECT_EQ(Plane(0)->Material().MaterialLibrary(), frm->GLMatLib1.get());
    EXPECT_EQ(Holder(1)->Name(), "DUMMY_00002");
    EXPECT_EQ(Plane(1)->Name(), "PLANE_00001");
    EXPECT_EQ(Holder(0)->Hint(), dirs.root() + "/a.png");
    EXPECT_EQ(Holder(0)->Tag(), 0);
    EXPECT_EQ(Holder(0)->CubeSize(), 20);
    EXPECT_EQ(Plane(0)->Hint(), "1024 x 768");
    EXPECT_FLOAT_EQ(Plane(0)->Width(), 20);
    EXPECT_FLOAT_EQ(Plane(0)->Height(), 15);
    EXPECT_FLOAT_EQ(Plane(1)->Width(), 15);
    EXPECT_FLOAT_EQ(Plane(1)->Height(), 20);
    EXPECT_FLOAT_EQ(Holder(1)->Position().X(), -21);
    // The texture settings of a picture material.
    TGLLibMaterial *m = frm->GLMatLib1->FindLibMaterial("00000_IMG");
    ASSERT_NE(m, nullptr);
    TGLTexture &t = m->Material().Texture();
    EXPECT_FALSE(t.Disabled());
    EXPECT_EQ(m->Material().BlendingMode(), bmOpaque);
    EXPECT_FLOAT_EQ(t.ImageBrightness(), 1.2f);
    EXPECT_FLOAT_EQ(t.ImageGamma(), 1.0f);
    EXPECT_EQ(t.TextureMode(), tmReplace);
    EXPECT_EQ(t.TextureWrap(), twNone);
    EXPECT_EQ(t.TextureFormat(), tfRGB16);
    EXPECT_EQ(t.MinFilter(), miLinear);
    EXPECT_EQ(t.MagFilter(), maLinear);
    EXPECT_EQ(t.Image().GetImageBitmap().Width(), 512);
}

TEST_F(WallGui, SlotsFollowTheColumnSetting) {
    for (int columns : {5, 0}) {
        SCOPED_TRACE(columns);
        frm->ResetGLDummyColumns(true);
        gVars.spnPicturesColumns = columns;
        for (int i = 0; i < 7; ++i)
            frm->AddPic(Pic(QString("p%1.png").arg(i)));
        for (int i = 0; i < 7; ++i) {
            const auto [x, y] = GridSlot(i, columns);
            EXPECT_FLOAT_EQ(Holder(i)->Position().X(), x) << i;
            EXPECT_FLOAT_EQ(Holder(i)->Position().Y(), y) << i;
            EXPECT_FLOAT_EQ(Holder(i)->Position().Z(), 0) << i;
        }
        // After emptying, numbering starts again.
        frm->ResetGLDummyColumns(true);
        EXPECT_EQ(frm->GLMatLib1->Materials().Count(), 0);
        frm->AddPic(Pic("again.png"));
        EXPECT_EQ(Holder(0)->Name(), "DUMMY_00001");
        EXPECT_EQ(Plane(0)->Material().LibMaterialName(), "00000_IMG");
    }
}

TEST_F(WallGui, NotAPictureFileIsIgnored) {
    QFile f(dirs.root() + "/notes.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    frm->AddPic(dirs.root() + "/notes.txt");
    EXPECT_EQ(frm->PictureCount(), 0);
}

TEST_F(WallGui, LimitAddsUpToItAndTellsOncePerLoad) {
    gVars.spnMaxPicturesAtOnce = 2;
    const QStringList files = {Pic("1.png"), Pic("2.png"), Pic("3.png"), Pic("4.png")};
    frm->DropFileTargetSceneDrop(files);
    EXPECT_EQ(frm->PictureCount(), 2);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Maximum pictures allowed at time: 2\r\n\r\nYou can change this limit from options.");
    // A later load shows it again (Ctrl held: the wall stays).
    platform::KeyState::KeyPressed(Qt::Key_Control, {}, false);
    frm->DropFileTargetSceneDrop({Pic("5.png")});
    platform::KeyState::Reset();
    EXPECT_EQ(messages.size(), 2);
    gVars.spnMaxPicturesAtOnce = 0;
    for (int i = 0; i < 5; ++i)
        frm->AddPic(Pic(QString("n%1.png").arg(i)));
    EXPECT_EQ(frm->PictureCount(), 7);
}

TEST_F(WallGui, JpegUnderAPngNameIsShownThroughTheRetryCopy) {
    const QString path = MakePicture(dirs.root() + "/photo.png", 80, 60, Qt::green, QColor(), "JPG");
    frm->AddPic(path);
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Hint(), path);
    EXPECT_EQ(Holder(0)->Tag(), 0);
    EXPECT_EQ(Plane(0)->Hint(), "80 x 60");
    // The working copy is gone again, and nothing else is left in the work folder.
    ASSERT_FALSE(WorkFolder().isEmpty());
    QStringList left;
    for (const QFileInfo &f : QDir(WorkFolder()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        left.append(f.fileName());
    EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST_F(WallGui, UndecodableFileGetsTheCannotLoadPlaceholder) {
    QFile f(dirs.root() + "/broken.jpg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a picture at all");
    f.close();
    frm->AddPic(dirs.root() + "/broken.jpg");
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Tag(), 1);
    EXPECT_EQ(Plane(0)->Hint(), "");
    EXPECT_FLOAT_EQ(Plane(0)->Width(), 20);
    EXPECT_FLOAT_EQ(Plane(0)->Height(), 10);
    TGLLibMaterial *m = frm->GLMatLib1->FindLibMaterial(Plane(0)->Material().LibMaterialName());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Material().Texture().Image().GetImageBitmap().Width(), 512);
    EXPECT_EQ(m->Material().Texture().Image().GetImageBitmap().Height(), 256);
    frm->SelectObjectByChild(0);
    EXPECT_EQ(TfrmMain::HudText(frm->GLHUDTextSize), "Size: N/A");
}

TEST_F(WallGui, PreparedPlaceholderNamesTheFileAndTheFirstError) {
    QFile f(dirs.root() + "/broken.jpg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("garbage");
    f.close();
    const PreparedPicture p = PreparePicture(dirs.root() + "/broken.jpg", TextureMapSettings());
    EXPECT_TRUE(p.Failed);
    EXPECT_FALSE(p.FirstError.isEmpty());
    EXPECT_EQ(p.ShownWidth, 512);
    EXPECT_EQ(p.ShownHeight, 256);
    EXPECT_EQ(p.PixelWidth, 0);
    // The placeholder is mirrored for the wall: its text starts at the right of the map.
    auto darkInColumns = [&](int from, int to) {
        int dark = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = from; x < to; ++x)
                dark += (p.Map.Pixel(x, y) & 0xFF) < 128;
        return dark;
    };
    EXPECT_GT(darkInColumns(412, 511), 0);
    EXPECT_EQ(darkInColumns(0, 11), 0);
}

TEST_F(WallGui, ReloadDropsMissingFilesAndCountsEveryEntry) {
    const QString a = Pic("a.png"), b = Pic("b.png"), c = Pic("c.png");
    for (const QString &p : {a, b, c})
        frm->AddPic(p);
    frm->SelectObjectByChild(2);
    QFile::remove(b);
    QStringList progress;
    frm->ProgressObserver = [&](const QString &t) { progress.append(t); };
    frm->ReloadImages();
    EXPECT_EQ(progress, QStringList({"Loading picture 1/3", "Loading picture 3/3"}));
    ASSERT_EQ(frm->PictureCount(), 2);
    EXPECT_EQ(Holder(0)->Hint(), a);
    EXPECT_EQ(Holder(1)->Hint(), c);
    EXPECT_EQ(frm->SelectedDummyName, Holder(1)->Name());  // the remembered picture
    EXPECT_FALSE(frm->LoadingPictures);
}

TEST_F(WallGui, RealignFromFiveToTwoColumns) {
    for (int i = 0; i < 7; ++i)
        frm->AddPic(Pic(QString("r%1.png").arg(i)));
    gVars.spnPicturesColumns = 2;
    frm->RealignImages();
    const std::pair<float, float> expected[7] = {{0, 0}, {-21, 0}, {0, -21}, {-21, -21}, {0, -42}, {-21, -42}, {0, -63}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_FLOAT_EQ(Holder(i)->Position().X(), expected[i].first) << i;
        EXPECT_FLOAT_EQ(Holder(i)->Position().Y(), expected[i].second) << i;
    }
}

TEST_F(WallGui, RemovingTheMiddleOfThreeLeavesAGapUntilRealigned) {
    for (const char *n : {"x.png", "y.png", "z.png"})
        frm->AddPic(Pic(n));
    frm->SelectObjectByChild(1);
    frm->mniRemovePictureClick();
    ASSERT_EQ(frm->PictureCount(), 2);
    EXPECT_TRUE(frm->SelectedDummyName.isEmpty());
    EXPECT_EQ(frm->GLMatLib1->Materials().Count(), 2);
    EXPECT_FLOAT_EQ(Holder(0)->Position().X(), 0);
    EXPECT_FLOAT_EQ(Holder(1)->Position().X(), -42);
    Step(0.02);
    EXPECT_FALSE(frm->GLSelection->Visible());
    // The next picture gets names no other picture has, and its own material.
    frm->AddPic(Pic("w.png"));
    ASSERT_EQ(frm->PictureCount(), 3);
    QSet<QString> names, materials;
    for (int i = 0; i < 3; ++i) {
        names.insert(Holder(i)->Name());
        names.insert(Plane(i)->Name());
        materials.insert(Plane(i)->Material().LibMaterialName());
        EXPECT_NE(frm->GLMatLib1->FindLibMaterial(Plane(i)->Material().LibMaterialName()), nullptr);
    }
    EXPECT_EQ(names.size(), 6);
    EXPECT_EQ(materials.size(), 3);
    frm->RealignImages();
    EXPECT_FLOAT_EQ(Holder(1)->Position().X(), -21);
    EXPECT_FLOAT_EQ(Holder(2)->Position().X(), -42);
}

TEST_F(WallGui, RemoveAllEmptiesWallMaterialsAndCaption) {
    frm->AddPic(Pic("q.png"));
    frm->SelectObjectByChild(0);
    EXPECT_EQ(frm->windowTitle(), "q.png - Orvanta");
    frm->mniRemoveAllPicturesClick();
    EXPECT_EQ(frm->PictureCount(), 0);
    EXPECT_EQ(frm->GLMatLib1->Materials().Count(), 0);
    EXPECT_EQ(frm->windowTitle(), "Orvanta");
}

} // namespace
