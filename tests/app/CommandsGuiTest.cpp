// The commands of the main window's context menu, driven in the real window: options with the
// reload question and re-layout, delete into the trash and for good, save and send, the menu's
// enabling and captions, the links, and the picture tools.

#include "WallTestSupport.h"

#include "app/WallGeometry.h"
#include "dialogs/StdMessages.h"
#include "dialogs/fmAbout.h"
#include "dialogs/fmCreditsTo.h"
#include "dialogs/fmDelMsg.h"
#include "dialogs/fmOptions.h"
#include "platform/KeyState.h"
#include "scene/GLSceneViewer.h"
#include "scene/GLTexture.h"
#include "util/Links.h"
#include "util/ShellOps.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace wall_test;

namespace {

QString Caption(const QAction *a) { return a->text().section('\t', 0, 0); }
QString ShortcutLabel(const QAction *a) { return a->text().section('\t', 1); }

// Makes a file or folder impossible to change even for root (the immutable flag), so a
// deletion fails whoever runs the test. False when the file system has no such flag.
bool SetImmutable(const QString &path, bool on) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// Answers the next modal window once it is shown (polled, since the window opens inside the
// call under test). The timer stops after the answer or after 20 s.
void AnswerNextModal(std::function<void(QWidget *)> answer) {
    auto *timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, started, answer] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(w);
        } else if (started->elapsed() > 20000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

class Commands : public WallTest {
protected:
    void SetUp() override {
        WallTest::SetUp();
        SetShowMsgHandler([this](const MsgRequest &request) {
            questions.append(request);
            return MsgAnswer{msgAnswer, false};
        });
        SetStdMessageHandler([this](StdMessageKind kind, const QString &text) {
            boxes.append({kind, text});
            return kind == StdMessageKind::WarningYesNo ? stdAnswer : int(mrOk);
        });
        SetShowDelMsgHandler([this](const DelMsgRequest &request) {
            deleteQuestions.append(request);
            return DelMsgAnswer{delAnswer, false};
        });
        SetShellOpenHandler([this](const QString &text) { opened.append(text); });
        frm->ProgressObserver = [this](const QString &text) { progress.append(text); };
    }
    void TearDown() override {
        for (const QString &p : immutable)
            SetImmutable(p, false);
        platform::KeyState::Reset();
        SetShowOptionsHandler(nullptr);
        SetStdMessageHandler(nullptr);
        SetShowDelMsgHandler(nullptr);
        SetShellOpenHandler(nullptr);
        WallTest::TearDown();
    }

    // Runs OpenOptions with the dialog driven by `drive`, which ends it (OK, Cancel, ...).
    void OpenOptionsWith(std::function<void(TfrmOptions &)> drive) {
        int shown = 0;
        SetShowOptionsHandler([&](TfrmOptions &dialog) {
            ++shown;
            drive(dialog);
            return dialog.result();
        });
        frm->OpenOptions();
        SetShowOptionsHandler(nullptr);
        EXPECT_EQ(shown, 1);
    }
    template <class W> static W *Control(TfrmOptions &d, const char *key) {
        auto *w = qobject_cast<W *>(d.OptionControl(QString::fromLatin1(key)));
        EXPECT_NE(w, nullptr) << key;
        return w;
    }
    int ReloadCount() const { return int(progress.filter(QStringLiteral("Loading picture 1/")).size()); }
    QString TrashFiles() const { return dirs.data() + "/Trash/files/"; }
    QString TrashInfo() const { return dirs.data() + "/Trash/info/"; }
    TGLLibMaterial *MaterialOf(int i) const {
        return frm->GLMatLib1->FindLibMaterial(Plane(i)->Material().LibMaterialName());
    }
    // A folder of its own with picture files of these names.
    QString Folder(const QString &name, const QStringList &files) {
        const QString folder = dirs.root() + "/" + name;
        QDir().mkpath(folder);
        for (const QString &f : files)
            MakePicture(folder + "/" + f, 40, 30, Qt::green);
        return folder + "/";
    }
    // A file no one can delete or replace (and its folder read-only), restored at the end.
    bool Protect(const QString &file) {
        QFile::setPermissions(QFileInfo(file).path(), QFile::ReadOwner | QFile::ExeOwner);
        if (::geteuid() != 0)
            return true;  // the read-only folder is enough
        if (!SetImmutable(file, true))
            return false;
        immutable.append(file);
        return true;
    }

    int msgAnswer = mrNo;
    int stdAnswer = mrNo;
    int delAnswer = mrYes;
    QList<MsgRequest> questions;
    QList<std::pair<StdMessageKind, QString>> boxes;
    QList<DelMsgRequest> deleteQuestions;
    QStringList opened;
    QStringList progress;
    QStringList immutable;
};

// --- options ---------------------------------------------------------------------------------

TEST_F(Commands, OptionsOkWithNothingChangedStoresNothingAndAsksNothing) {
    frm->AddPic(Pic("a.png"));
    OpenOptionsWith([](TfrmOptions &d) { d.btnOkClick(); });
    EXPECT_TRUE(SettingsList.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(StoredSettingsFile()));
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(ReloadCount(), 0);
}

TEST_F(Commands, TrackBarMovedAndBackEnablesApplyButAsksNothing) {
    frm->AddPic(Pic("a.png"));
    OpenOptionsWith([](TfrmOptions &d) {
        QSlider *brightness = Control<QSlider>(d, "trkPicturesBrightness");
        brightness->setValue(80);
        brightness->setValue(60);
        EXPECT_TRUE(d.btnApply()->isEnabled());
        d.btnOkClick();
    });
    EXPECT_FALSE(SettingsList.isEmpty());  // OK with Apply enabled stores the list
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(ReloadCount(), 0);
}

TEST_F(Commands, ApplyThenCancelKeepsTheOptionsAndStillAsksToReload) {
    frm->AddPic(Pic("a.png"));
    frm->AddPic(Pic("b.png"));
    const uint8_t before = gVars.cmbDefaultFilter;
    msgAnswer = mrYes;
    OpenOptionsWith([](TfrmOptions &d) {
        QComboBox *filter = Control<QComboBox>(d, "cmbDefaultFilter");
        filter->setCurrentIndex(filter->currentIndex() == 0 ? 1 : 0);
        d.btnApplyClick();
        EXPECT_FALSE(d.btnApply()->isEnabled());
        d.btnCancelClick();
    });
    EXPECT_NE(gVars.cmbDefaultFilter, before);
    EXPECT_FALSE(FindOptionValue("cmbDefaultFilter").isEmpty());
    ASSERT_EQ(questions.size(), 1);
    const MsgRequest &q = questions[0];
    EXPECT_EQ(q.clientHeight, 115);
    EXPECT_EQ(q.message, "You have change the picture quality settings. Do you want to reload picture(s) now?");
    EXPECT_EQ(q.buttons, mbYes | mbNo);
    EXPECT_EQ(q.icon, miQuestion);
    EXPECT_EQ(q.key, kRegKeyValues);
    EXPECT_EQ(q.valueName, "MsgReloadPictures");
    EXPECT_EQ(q.caption, "Orvanta");
    EXPECT_EQ(ReloadCount(), 1);  // Yes reloads
    EXPECT_EQ(frm->PictureCount(), 2);
}

TEST_F(Commands, SuppressedReloadQuestionAnswersYes) {
    frm->AddPic(Pic("a.png"));
    RegWriteString(kRegKeyValues, "MsgReloadPictures", "no thanks");  // any content silences it
    OpenOptionsWith([](TfrmOptions &d) {
        Control<QSlider>(d, "trkPictureGamma")->setValue(70);
        d.btnOkClick();
    });
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(ReloadCount(), 1);
    EXPECT_EQ(RegReadString(kRegKeyValues, "MsgReloadPictures"), "no thanks");
}

TEST_F(Commands, ChangedColumnsRelayAndFrameTheWallEvenWhenTheAnswerIsNo) {
    for (int i = 0; i < 7; ++i)
        frm->AddPic(Pic(QString("c%1.png").arg(i)));
    frm->SelectObjectByChild(3);
    msgAnswer = mrNo;
    OpenOptionsWith([](TfrmOptions &d) {
        Control<QSpinBox>(d, "spnPicturesColumns")->setValue(2);
        Control<QSlider>(d, "trkPicturesBrightness")->setValue(30);
        d.btnOkClick();
    });
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(ReloadCount(), 0);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(std::make_pair(Holder(i)->Position().X(), Holder(i)->Position().Y()), GridSlot(i, 2)) << i;
    EXPECT_EQ(frm->FramedNode, frm->GLDummyExtens);
    EXPECT_FLOAT_EQ(frm->GLSelection->Position().Y(), Holder(3)->Position().Y());
}

TEST_F(Commands, OptionsOnAnEmptyWallAskNothingAndF4OpensThem) {
    int shown = 0;
    SetShowOptionsHandler([&](TfrmOptions &d) {
        ++shown;
        Control<QSlider>(d, "trkPicturesBrightness")->setValue(20);
        d.btnOkClick();
        return d.result();
    });
    frm->FormKeyUp(Qt::Key_F4, {});
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(gVars.trkPicturesBrightness, 20);
    EXPECT_TRUE(questions.isEmpty());
}

// --- delete ----------------------------------------------------------------------------------

TEST_F(Commands, DeleteIntoTheTrashMovesTheFileAndSelectsTheNeighbour) {
    const QString folder = Folder("trash", {"a.png", "b.png", "c.png"});
    for (const char *f : {"a.png", "b.png", "c.png"})
        frm->AddPic(folder + f);
    frm->SelectObjectByChild(1);
    frm->FormKeyUp(Qt::Key_Delete, {});
    ASSERT_EQ(deleteQuestions.size(), 1);
    EXPECT_TRUE(deleteQuestions[0].recycleBin);
    EXPECT_EQ(deleteQuestions[0].path, folder + "b.png");
    EXPECT_EQ(deleteQuestions[0].key, kRegKeyValues);
    EXPECT_EQ(deleteQuestions[0].valueName, "MsgRecycleWarning");
    EXPECT_EQ(deleteQuestions[0].caption, "Confirm File Delete");
    EXPECT_FALSE(QFileInfo::exists(folder + "b.png"));
    EXPECT_TRUE(QFileInfo::exists(TrashFiles() + "b.png"));
    EXPECT_TRUE(QFileInfo::exists(TrashInfo() + "b.png.trashinfo"));
    ASSERT_EQ(frm->PictureCount(), 2);
    EXPECT_EQ(frm->SelectedDummyName, Holder(1)->Name());
    EXPECT_EQ(Holder(1)->Hint(), folder + "c.png");
    EXPECT_EQ(frm->FramedNode, Holder(1));
}

TEST_F(Commands, ShiftDeletesForGoodAndTheNewLastPictureIsSelected) {
    const QString folder = Folder("good", {"a.png", "b.png", "c.png"});
    for (const char *f : {"a.png", "b.png", "c.png"})
        frm->AddPic(folder + f);
    frm->SelectObjectByChild(2);
    platform::KeyState::KeyPressed(Qt::Key_Shift, Qt::ShiftModifier, false);
    frm->DeletePicture();
    platform::KeyState::Reset();
    ASSERT_EQ(deleteQuestions.size(), 1);
    EXPECT_FALSE(deleteQuestions[0].recycleBin);
    EXPECT_EQ(deleteQuestions[0].valueName, "MsgDeleteWarning");
    EXPECT_FALSE(QFileInfo::exists(folder + "c.png"));
    EXPECT_FALSE(QFileInfo::exists(TrashFiles() + "c.png"));
    ASSERT_EQ(frm->PictureCount(), 2);
    EXPECT_EQ(frm->SelectedDummyName, Holder(1)->Name());
}

TEST_F(Commands, TheAnswerAndTheSuppressionDecide) {
    const QString folder = Folder("ask", {"a.png", "b.png"});
    frm->AddPic(folder + "a.png");
    frm->AddPic(folder + "b.png");
    frm->SelectObjectByChild(0);
    delAnswer = mrNo;
    frm->DeletePicture();
    EXPECT_TRUE(QFileInfo::exists(folder + "a.png"));
    EXPECT_EQ(frm->PictureCount(), 2);
    // Silenced: Yes without a question, even though the last answer was No.
    RegWriteString(kRegKeyValues, "MsgRecycleWarning", "T");
    frm->DeletePicture();
    EXPECT_EQ(deleteQuestions.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(folder + "a.png"));
    EXPECT_TRUE(QFileInfo::exists(TrashFiles() + "a.png"));
    EXPECT_EQ(frm->PictureCount(), 1);
    // The other way still asks.
    gVars.chkDeleteToRecycleBin = false;
    frm->SelectObjectByChild(0);
    frm->DeletePicture();
    EXPECT_EQ(deleteQuestions.size(), 2);
    EXPECT_EQ(deleteQuestions[1].valueName, "MsgDeleteWarning");
}

TEST_F(Commands, DeletingTheOnlyPictureLoadsTheNextFileOfItsFolder) {
    const QString folder = Folder("only", {"a.png", "b.png", "c.png"});
    frm->AddPic(folder + "b.png");
    frm->SelectObjectByChild(0);
    frm->DeletePicture();  // b -> the next one, c
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Hint(), folder + "c.png");
    EXPECT_EQ(frm->SelectedDummyName, Holder(0)->Name());
    frm->DeletePicture();  // c was the folder's last -> the one before it, a
    ASSERT_EQ(frm->PictureCount(), 1);
    EXPECT_EQ(Holder(0)->Hint(), folder + "a.png");
    frm->DeletePicture();  // the folder's only picture: the wall stays empty
    EXPECT_EQ(frm->PictureCount(), 0);
    EXPECT_TRUE(frm->SelectedDummyName.isEmpty());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
}

TEST_F(Commands, AMissingFileIsReportedAndTheWallStays) {
    const QString path = Pic("gone.png");
    frm->AddPic(path);
    frm->SelectObjectByChild(0);
    QFile::remove(path);
    frm->DeletePicture();
    EXPECT_TRUE(deleteQuestions.isEmpty());
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].first, StdMessageKind::Plain);
    EXPECT_EQ(boxes[0].second, "Cannot execute action, source file not found!");
    EXPECT_EQ(frm->PictureCount(), 1);
    // With nothing selected nothing happens at all.
    frm->ResetSelection();
    frm->DeletePicture();
    EXPECT_EQ(boxes.size(), 1);
}

TEST_F(Commands, AFileThatCannotBeDeletedStaysOnDiskAndOnTheWall) {
    const QString folder = Folder("locked", {"beach.png"});
    frm->AddPic(folder + "beach.png");
    frm->SelectObjectByChild(0);
    ASSERT_TRUE(Protect(folder + "beach.png"));
    const QString expected = "Cannot delete beach: It is being used by another person or program.\r\n\r\n"
                             "Close any programs that might be using the file and try again.";
    for (bool toTrash : {false, true}) {
        boxes.clear();
        gVars.chkDeleteToRecycleBin = toTrash;
        frm->DeletePicture();
        ASSERT_EQ(boxes.size(), 1) << toTrash;
        EXPECT_EQ(boxes[0].first, StdMessageKind::Error);
        EXPECT_EQ(boxes[0].second, expected);
        EXPECT_TRUE(QFileInfo::exists(folder + "beach.png"));
        EXPECT_EQ(frm->PictureCount(), 1);
        EXPECT_EQ(frm->SelectedDummyName, Holder(0)->Name());
    }
    QFile::setPermissions(dirs.root() + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// --- save and send ---------------------------------------------------------------------------

TEST_F(Commands, SavePictureAsCopiesThroughTheSaveDialogAndRemembersTheFolder) {
    const QString source = Pic("beach.png");
    frm->AddPic(source);
    frm->SelectObjectByChild(0);
    const QString target = dirs.root() + "/saved/copy.png";
    QDir().mkpath(dirs.root() + "/saved");
    bool answered = false;
    AnswerNextModal([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "dlgSavePicture");
        dialog->selectFile(target);
        answered = true;
        static_cast<QDialog *>(dialog)->accept();
    });
    frm->mniCopyTo->trigger();
    EXPECT_TRUE(answered);
    ASSERT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(QFileInfo(target).size(), QFileInfo(source).size());
    EXPECT_EQ(RegReadString(kRegKeyValues, "SP"), dirs.root() + "/saved/");
}

TEST_F(Commands, SendToDesktopAsksBeforeReplacingAndNoKeepsBothFiles) {
    const QString source = Pic("beach.png", 64, 48, Qt::red);
    frm->AddPic(source);
    frm->SelectObjectByChild(0);
    const QString desktop = dirs.home() + "/Desktop";
    QDir().mkpath(desktop);
    MakePicture(desktop + "/beach.png", 10, 10, Qt::blue);
    const qint64 before = QFileInfo(desktop + "/beach.png").size();
    stdAnswer = mrNo;
    frm->mniDesktop->trigger();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].first, StdMessageKind::WarningYesNo);
    EXPECT_EQ(boxes[0].second, desktop + "/beach.png already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(QFileInfo(desktop + "/beach.png").size(), before);
    stdAnswer = mrYes;
    frm->mniDesktop->trigger();
    EXPECT_EQ(QFileInfo(desktop + "/beach.png").size(), QFileInfo(source).size());
    // My Pictures: a plain copy into the folder.
    QDir().mkpath(dirs.home() + "/Pictures");
    frm->mniMyPictures->trigger();
    EXPECT_TRUE(QFileInfo::exists(dirs.home() + "/Pictures/beach.png"));
}

TEST_F(Commands, FileCommandsOnAMissingSourceOnlySayTheFileIsGone) {
    const QString source = Pic("gone.png");
    frm->AddPic(source);
    frm->SelectObjectByChild(0);
    QFile::remove(source);
    QDir().mkpath(dirs.home() + "/Documents");
    for (QAction *a : {frm->mniCopyTo, frm->mniMyDocuments, frm->mniWebBrowser, frm->mniMailRecipient}) {
        boxes.clear();
        a->trigger();
        ASSERT_EQ(boxes.size(), 1) << a->objectName().toStdString();
        EXPECT_EQ(boxes[0].second, "Cannot execute action, source file not found!");
    }
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(QDir(dirs.home() + "/Documents").isEmpty());
}

TEST_F(Commands, WebBrowserAndMailRecipientHandTheFileToTheDesktop) {
    const QString source = Pic("beach.png");
    frm->AddPic(source);
    frm->SelectObjectByChild(0);
    frm->mniWebBrowser->trigger();
    frm->mniMailRecipient->trigger();
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(source).toString());
    EXPECT_EQ(opened[1], "mailto:?subject=beach.png&Body=" + QUrl::fromLocalFile(source).toString());
    // Nothing selected: nothing happens.
    frm->ResetSelection();
    frm->mniWebBrowser->trigger();
    frm->mniMailRecipient->trigger();
    frm->mniDesktop->trigger();
    EXPECT_EQ(opened.size(), 2);
    EXPECT_TRUE(boxes.isEmpty());
}

// --- the menu --------------------------------------------------------------------------------

TEST_F(Commands, MenuEnablingFollowsTheSelection) {
    struct Row { QAction *action; bool noSelection, onePicture, placeholder; };
    frm->AddPic(Pic("one.png"));
    const std::vector<Row> rows = {
        {frm->mniRemovePicture, false, true, true},
        {frm->mniDelete, false, true, true},
        {frm->mniCopyTo, false, true, true},
        {frm->mniSendTo->menuAction(), false, true, true},
        {frm->mniRotate, false, true, false},
        {frm->mniMirror, false, true, false},
        {frm->mniTile, false, true, false},
        {frm->mniRemoveAllPictures, false, false, true},
        {frm->mniOptions, true, true, true},
        {frm->mniBrowsePicture, true, true, true},
    };
    frm->ResetSelection();
    frm->PopupMenu1Popup();
    for (const Row &r : rows)
        EXPECT_EQ(r.action->isEnabled(), r.noSelection) << "no selection: " << r.action->objectName().toStdString();
    EXPECT_EQ(Caption(frm->mniTile), "Tile");
    frm->SelectObjectByChild(0);
    frm->PopupMenu1Popup();
    for (const Row &r : rows)
        EXPECT_EQ(r.action->isEnabled(), r.onePicture) << "one picture: " << r.action->objectName().toStdString();
    EXPECT_EQ(Caption(frm->mniTile), QString::fromUtf8("Tile 5×5"));
    // An undecodable file shows the "Cannot load" placeholder (Tag 1).
    QFile bad(dirs.root() + "/bad.png");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture at all");
    bad.close();
    frm->AddPic(bad.fileName());
    ASSERT_EQ(Holder(1)->Tag(), 1);
    frm->SelectObjectByChild(1);
    frm->PopupMenu1Popup();
    for (const Row &r : rows)
        EXPECT_EQ(r.action->isEnabled(), r.placeholder) << "placeholder: " << r.action->objectName().toStdString();
    EXPECT_EQ(Caption(frm->mniTile), "Tile");
    EXPECT_FALSE(frm->mniSetasWallpaper->menuAction()->isVisible());
}

TEST_F(Commands, MenuShowsTheKeysButOnlyTheWindowActsOnThem) {
    const std::vector<std::pair<QAction *, QKeySequence>> keys = {
        {frm->mniBrowsePicture, QKeySequence(Qt::Key_F3)}, {frm->mniNext, QKeySequence(Qt::Key_Space)},
        {frm->mniPrevious, QKeySequence(Qt::Key_Backspace)}, {frm->mniStartSlideShow, QKeySequence(Qt::Key_F11)},
        {frm->mniZoomAll, QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk)},
        {frm->mniFullScreen, QKeySequence(Qt::ALT | Qt::Key_Return)}, {frm->mniRotate, QKeySequence(Qt::Key_R)},
        {frm->mniMirror, QKeySequence(Qt::Key_M)}, {frm->mniTile, QKeySequence(Qt::Key_T)},
        {frm->mniDelete, QKeySequence(Qt::Key_Delete)}, {frm->mniProgramHelp, QKeySequence(Qt::Key_F1)},
        {frm->mniOptions, QKeySequence(Qt::Key_F4)}, {frm->mniExit, QKeySequence(Qt::Key_Escape)}};
    for (const auto &[action, seq] : keys) {
        EXPECT_EQ(ShortcutLabel(action), seq.toString(QKeySequence::NativeText)) << action->objectName().toStdString();
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
    EXPECT_EQ(frm->PopupMenu1->defaultAction(), frm->mniBrowsePicture);
    EXPECT_EQ(frm->mniTools->defaultAction(), frm->mniRotate);
    EXPECT_EQ(frm->mniSendTo->defaultAction(), frm->mniDesktop);
    EXPECT_EQ(frm->mniMore->defaultAction(), frm->mniGetMoreProducts);

    // R released once in the view turns the picture once.
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    frm->AddPic(Pic("r.png"));
    frm->SelectObjectByChild(0);
    frm->GLSceneViewer1->setFocus();
    QTest::keyClick(frm->GLSceneViewer1, Qt::Key_R);
    EXPECT_FLOAT_EQ(Plane(0)->Up().X(), -1);
    EXPECT_FLOAT_EQ(Plane(0)->Up().Y(), 0);
    // Escape in the open menu closes the menu, not the window.
    frm->PopupMenu1->popup(frm->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(WaitFor([&] { return frm->PopupMenu1->isVisible(); }, 5000));
    QTest::keyClick(frm->PopupMenu1, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !frm->PopupMenu1->isVisible(); }, 5000));
    EXPECT_TRUE(frm->isVisible());
}

TEST_F(Commands, LinksOpenTheirPagesOfTheProductSite) {
    const std::vector<std::pair<QAction *, const char *>> links = {
        {frm->mniProgramHelp, kPathProgramHelp}, {frm->mniFAQ, kPathFaq},
        {frm->mniHomepage, kPathHomePage}, {frm->mniCheckforUpdate, kPathHomePage},
        {frm->mniGetMoreProducts, kPathMoreProducts}, {frm->mniRegisterToNewsletter, kPathNewsletter},
        {frm->mniSellTamsorelProducts, kPathAffiliate}};
    for (const auto &[action, path] : links) {
        opened.clear();
        action->trigger();
        ASSERT_EQ(opened.size(), 1) << action->objectName().toStdString();
        EXPECT_EQ(opened[0], ProductSiteLink(path));
    }
    opened.clear();
    frm->mniTellaFriendSendEmail->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], "mailto:?subject=Orvanta...&Body=" + ProductSiteLink(kPathHomePage));
    opened.clear();
    frm->FormKeyUp(Qt::Key_F1, {});
    EXPECT_EQ(opened, QStringList{ProductSiteLink(kPathProgramHelp)});
}

TEST_F(Commands, AboutAndCreditsOpenFromTheMenu) {
    for (QAction *a : {frm->mniAbout, frm->mniCreditsTo}) {
        QString shownClass;
        AnswerNextModal([&](QWidget *w) {
            shownClass = QString::fromLatin1(w->metaObject()->className());
            QTest::keyClick(w, Qt::Key_Escape);
        });
        a->trigger();
        EXPECT_EQ(shownClass, a == frm->mniAbout ? "TfrmAbout" : "TfrmCreditsTo");
    }
}

// --- picture tools ---------------------------------------------------------------------------

TEST_F(Commands, TileTogglesWithTheCountOfItsTimeAndTouchesNoOtherPicture) {
    frm->AddPic(Pic("a.png"));
    frm->AddPic(Pic("b.png"));
    frm->SelectObjectByChild(0);
    EXPECT_EQ(frm->TileCaption(), QString::fromUtf8("Tile 5×5"));
    frm->TilePicture();
    EXPECT_FLOAT_EQ(MaterialOf(0)->TextureScale().X(), 5);
    EXPECT_FLOAT_EQ(MaterialOf(0)->TextureScale().Y(), 5);
    EXPECT_EQ(MaterialOf(0)->Material().Texture().TextureWrap(), twBoth);
    EXPECT_EQ(frm->TileCaption(), QString::fromUtf8("Tile 1×1"));
    gVars.spnPictureTile = 3;  // changed while tiled: the picture keeps 5 x 5
    EXPECT_FLOAT_EQ(MaterialOf(0)->TextureScale().X(), 5);
    frm->TilePicture();
    EXPECT_FLOAT_EQ(MaterialOf(0)->TextureScale().X(), 1);
    EXPECT_FLOAT_EQ(MaterialOf(0)->TextureScale().Y(), 1);
    EXPECT_EQ(MaterialOf(0)->Material().Texture().TextureWrap(), twNone);
    EXPECT_EQ(frm->TileCaption(), QString::fromUtf8("Tile 3×3"));
    frm->FormKeyUp(Qt::Key_T, {});
    EXPECT_FLOAT_EQ(MaterialOf(0)->TextureScale().X(), 3);
    // The other picture is untouched throughout.
    EXPECT_FLOAT_EQ(MaterialOf(1)->TextureScale().X(), 1);
    EXPECT_EQ(MaterialOf(1)->Material().Texture().TextureWrap(), twNone);
    EXPECT_TRUE(MaterialOf(1)->TextureMatrixIsIdentity());
}

TEST_F(Commands, RotateFourTimesAndMirrorTwiceReturnToTheStart) {
    frm->AddPic(Pic("a.png"));
    frm->AddPic(Pic("b.png"));
    frm->SelectObjectByChild(1);
    const float ups[4][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
    for (const auto &up : ups) {
        frm->RotatePictue();
        EXPECT_FLOAT_EQ(Plane(1)->Up().X(), up[0]);
        EXPECT_FLOAT_EQ(Plane(1)->Up().Y(), up[1]);
    }
    frm->MirrorPicture();
    EXPECT_FLOAT_EQ(Plane(1)->Scale().X(), -1);
    frm->MirrorPicture();
    EXPECT_FLOAT_EQ(Plane(1)->Scale().X(), 1);
    EXPECT_FLOAT_EQ(Plane(0)->Up().Y(), 1);
    EXPECT_FLOAT_EQ(Plane(0)->Scale().X(), 1);
    EXPECT_FLOAT_EQ(MaterialOf(1)->TextureScale().X(), 1);  // the tools leave tiling alone
}

TEST_F(Commands, ToolsDoNothingOnTheCannotLoadPlaceholderOrWithoutSelection) {
    QFile bad(dirs.root() + "/bad.jpg");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\xFF\xD8 broken");
    bad.close();
    frm->AddPic(bad.fileName());
    ASSERT_EQ(Holder(0)->Tag(), 1);
    for (int selected : {0, -1}) {
        if (selected < 0)
            frm->ResetSelection();
        else
            frm->SelectObjectByChild(selected);
        frm->RotatePictue();
        frm->MirrorPicture();
        frm->TilePicture();
        EXPECT_FLOAT_EQ(Plane(0)->Up().Y(), 1);
        EXPECT_FLOAT_EQ(Plane(0)->Scale().X(), 1);
        EXPECT_FLOAT_EQ(MaterialOf(0)->TextureScale().X(), 1);
        EXPECT_EQ(frm->TileCaption(), "Tile");
    }
}

// What the camera sees after the tools: left half red, right half blue.
TEST_F(Commands, RotatedAndMirroredPicturesAreDrawnThatWay) {
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    frm->AddPic(MakePicture(dirs.root() + "/halves.png", 200, 200, Qt::red, Qt::blue));
    frm->SelectObjectByChild(0);
    frm->Inquadra(Holder(0), true);
    frm->CalculateSceneScale();
    Step(0.05, 300);
    frm->GLHUDTextLogo->SetVisible(false);
    auto shot = [&] {
        frm->GLSceneViewer1->Repaint();
        return frm->GLSceneViewer1->grabFramebuffer();
    };
    auto isRed = [](QColor c) { return c.red() > 200 && c.blue() < 60; };
    auto isBlue = [](QColor c) { return c.blue() > 200 && c.red() < 60; };
    QImage s = shot();
    int cx = s.width() / 2, cy = s.height() / 2, d = s.height() / 8;
    EXPECT_TRUE(isRed(s.pixelColor(cx - d, cy)));
    // A quarter turn clockwise: the left half goes to the top.
    frm->RotatePictue();
    s = shot();
    EXPECT_TRUE(isRed(s.pixelColor(cx, cy - d))) << s.pixelColor(cx, cy - d).name().toStdString();
    EXPECT_TRUE(isBlue(s.pixelColor(cx, cy + d))) << s.pixelColor(cx, cy + d).name().toStdString();
    for (int i = 0; i < 3; ++i)
        frm->RotatePictue();
    frm->MirrorPicture();
    s = shot();
    EXPECT_TRUE(isBlue(s.pixelColor(cx - d, cy))) << s.pixelColor(cx - d, cy).name().toStdString();
    EXPECT_TRUE(isRed(s.pixelColor(cx + d, cy))) << s.pixelColor(cx + d, cy).name().toStdString();
    // Tiled 5 x 5: the colours alternate across the plane.
    frm->MirrorPicture();
    frm->TilePicture();
    s = shot();
    s.save("/tmp/orvanta-tiled-test.png");
    int changes = 0;
    bool wasRed = isRed(s.pixelColor(cx - 3 * d, cy));
    for (int x = cx - 3 * d; x <= cx + 3 * d; ++x) {
        const bool red = isRed(s.pixelColor(x, cy));
        changes += red != wasRed;
        wasRed = red;
    }
    EXPECT_GE(changes, 4);
}

} // namespace
