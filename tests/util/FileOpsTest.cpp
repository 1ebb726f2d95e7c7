#include "util/FileOps.h"

#include "settings/gRegistry.h"
#include "util/ShellOps.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace {

// Records every message and answers the replace question as told.
class RecordingPrompts : public FilePrompts {
public:
    struct Shown { char kind; QString text; };  // 'p' plain, 'e' error, 'w' warning question
    void ShowPlainMessage(const QString &t) override { shown.push_back({'p', t}); }
    void ShowErrorMessage(const QString &t) override { shown.push_back({'e', t}); }
    bool AskWarningYesNo(const QString &t) override {
        shown.push_back({'w', t});
        return answerYes;
    }
    std::vector<Shown> shown;
    bool answerYes = false;
};

void WriteFile(const QString &path, const QByteArray &data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(data);
}

QByteArray ReadFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QString StoredSP() { return RegReadString(kRegKeyValues, "SP"); }

class FileOpsTest : public orvanta::test::UserStateTest {
protected:
    orvanta::test::TempDir tmp;
    RecordingPrompts prompts;
};

TEST(FormatSizeText, Cases) {
    struct C { const char *in, *out; };
    for (const C &c : {C{"", "Size: N/A"}, C{"   ", "Size: N/A"}, C{"\t", "Size: N/A"},
                       C{"640 x 480", "Size: 640 x 480"}, C{" 640 x 480", "Size:  640 x 480"},
                       C{"N/A", "Size: N/A"}})
        EXPECT_EQ(FormatSizeText(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(FileInUseErrorText, NamePartWithoutExtension) {
    const QString tail = ": It is being used by another person or program.\r\n\r\n"
                         "Close any programs that might be using the file and try again.";
    EXPECT_EQ(FileInUseErrorText("Cannot copy", "/p/beach.jpg"), "Cannot copy beach" + tail);
    EXPECT_EQ(FileInUseErrorText("Cannot delete", "/p.x/archive.tar.gz"), "Cannot delete archive.tar" + tail);
    EXPECT_EQ(FileInUseErrorText("Cannot send", "/p/noext"), "Cannot send noext" + tail);
    // A name that is all extension leaves no name part, and no space.
    EXPECT_EQ(FileInUseErrorText("Cannot send", "/p/.jpg"), "Cannot send" + tail);
}

TEST_F(FileOpsTest, SaveAsCopiesAndStoresFolder) {
    const QString src = tmp.file("pics/beach.JPG");
    WriteFile(src, "picture bytes");
    const QString target = tmp.file("out/copy.JPG");
    QDir().mkpath(tmp.file("out"));
    SaveDialogSetup seen;
    const bool copied = SavePictureAs(src, [&](const SaveDialogSetup &s) { seen = s; return target; }, prompts);
    EXPECT_TRUE(copied);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(ReadFile(target), "picture bytes");
    EXPECT_EQ(ReadFile(src), "picture bytes");
    EXPECT_EQ(StoredSP(), tmp.file("out") + "/");
    EXPECT_EQ(seen.fileName, "beach.JPG");
    EXPECT_EQ(seen.extension, "JPG");
    EXPECT_EQ(seen.defaultExtension, "JPG");
    EXPECT_EQ(seen.filter, "JPG image (*.JPG)|*.JPG");
    EXPECT_EQ(seen.qtNameFilter, "JPG image (*.JPG)");
}

TEST_F(FileOpsTest, SaveAsStoresFolderEvenWhenCopyFails) {
    const QString src = tmp.file("beach.jpg");
    WriteFile(src, "x");
    // A folder stands where the chosen file would go: the copy cannot replace it.
    const QString target = tmp.file("dest/blocked.jpg");
    QDir().mkpath(target);
    EXPECT_FALSE(SavePictureAs(src, [&](const SaveDialogSetup &) { return target; }, prompts));
    EXPECT_EQ(StoredSP(), tmp.file("dest") + "/");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, 'e');
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Cannot copy beach: It is being used by another person or program."));
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_EQ(ReadFile(src), "x");
}

TEST_F(FileOpsTest, SaveAsCancelledLeavesSPAlone) {
    RegWriteString(kRegKeyValues, "SP", tmp.path() + "/");
    const QString src = tmp.file("a.png");
    WriteFile(src, "x");
    EXPECT_FALSE(SavePictureAs(src, [](const SaveDialogSetup &) { return QString(); }, prompts));
    EXPECT_EQ(StoredSP(), tmp.path() + "/");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(FileOpsTest, MissingSourceShowsMessageAndChangesNothing) {
    const QString src = tmp.file("gone.jpg");
    bool asked = false;
    EXPECT_FALSE(SavePictureAs(src, [&](const SaveDialogSetup &) { asked = true; return tmp.file("t.jpg"); }, prompts));
    EXPECT_FALSE(asked);
    EXPECT_EQ(StoredSP(), "");
    EXPECT_FALSE(CopyPictureFile(src, tmp.file("t.jpg"), prompts));
    EXPECT_FALSE(SendToFolder(src, SendTarget::Desktop, prompts));
    ASSERT_EQ(prompts.shown.size(), 3u);
    for (const auto &s : prompts.shown) {
        EXPECT_EQ(s.kind, 'p');
        EXPECT_EQ(s.text, "Cannot execute action, source file not found!");
    }
    EXPECT_FALSE(QFileInfo::exists(tmp.file("t.jpg")));
    // A folder is not a picture file either.
    prompts.shown.clear();
    EXPECT_FALSE(CopyPictureFile(tmp.path(), tmp.file("t.jpg"), prompts));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, kSourceFileNotFound);
}

TEST_F(FileOpsTest, SaveDialogStartsInStoredOrPicturesFolder) {
    const QString src = tmp.file("noext");
    WriteFile(src, "x");
    const QString pictures = dirs.home() + "/Pictures";
    QDir().mkpath(pictures);
    struct C { QString sp; QString expected; };
    const QString existing = tmp.file("saved") + "/";
    QDir().mkpath(existing);
    for (const C &c : {C{existing, existing}, C{"", pictures}, C{"   ", pictures},
                       C{tmp.file("deleted") + "/", pictures}}) {
        RegWriteString(kRegKeyValues, "SP", c.sp);
        EXPECT_EQ(PrepareSaveDialog(src).initialFolder, c.expected) << c.sp.toStdString();
    }
    // No extension: the filter is made of the literals alone and there is no default extension.
    const SaveDialogSetup s = PrepareSaveDialog(src);
    EXPECT_EQ(s.filter, " image (*.)|*.");
    EXPECT_EQ(s.defaultExtension, "");
}

TEST_F(FileOpsTest, MyPicturesFallsBackToDocumentsThenDesktop) {
    EXPECT_EQ(GetMyPicturesFolder(), "");
    QDir().mkpath(dirs.home() + "/Desktop");
    EXPECT_EQ(GetMyPicturesFolder(), dirs.home() + "/Desktop");
    QDir().mkpath(dirs.home() + "/Documents");
    EXPECT_EQ(GetMyPicturesFolder(), dirs.home() + "/Documents");
    QDir().mkpath(dirs.home() + "/Pictures");
    EXPECT_EQ(GetMyPicturesFolder(), dirs.home() + "/Pictures");
}

TEST_F(FileOpsTest, SendToCopiesIntoEachFolder) {
    const QString src = tmp.file("beach.jpg");
    WriteFile(src, "sea");
    struct C { SendTarget t; const char *folder; const char *label; };
    for (const C &c : {C{SendTarget::Desktop, "Desktop", "Desktop"},
                       C{SendTarget::MyDocuments, "Documents", "My Documents"},
                       C{SendTarget::MyPictures, "Pictures", "My Pictures"}}) {
        SCOPED_TRACE(c.label);
        const QString folder = dirs.home() + "/" + c.folder;
        prompts.shown.clear();
        // Without the folder: "<label> folder not found!" as an error.
        EXPECT_FALSE(SendToFolder(src, c.t, prompts));
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].kind, 'e');
        EXPECT_EQ(prompts.shown[0].text, QString::fromLatin1(c.label) + " folder not found!");
        QDir().mkpath(folder);
        prompts.shown.clear();
        EXPECT_TRUE(SendToFolder(src, c.t, prompts));
        EXPECT_TRUE(prompts.shown.empty());
        EXPECT_EQ(ReadFile(folder + "/beach.jpg"), "sea");
    }
}

TEST_F(FileOpsTest, SendToAsksBeforeReplacing) {
    const QString src = tmp.file("beach.jpg");
    WriteFile(src, "new");
    const QString dest = dirs.home() + "/Desktop/beach.jpg";
    WriteFile(dest, "old");
    prompts.answerYes = false;
    EXPECT_FALSE(SendToFolder(src, SendTarget::Desktop, prompts));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, 'w');
    EXPECT_EQ(prompts.shown[0].text, dest + " already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(ReadFile(src), "new");
    EXPECT_EQ(ReadFile(dest), "old");

    prompts.shown.clear();
    prompts.answerYes = true;
    EXPECT_TRUE(SendToFolder(src, SendTarget::Desktop, prompts));
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(ReadFile(dest), "new");
}

TEST_F(FileOpsTest, SendingAFileOntoItselfKeepsIt) {
    // The picture already lies on the desktop: Yes to the replace question must not delete it.
    const QString dest = dirs.home() + "/Desktop/beach.jpg";
    WriteFile(dest, "only copy");
    prompts.answerYes = true;
    EXPECT_TRUE(SendToFolder(dest, SendTarget::Desktop, prompts));
    EXPECT_EQ(ReadFile(dest), "only copy");
    EXPECT_TRUE(CopyPictureFile(dest, dest, prompts));
    EXPECT_EQ(ReadFile(dest), "only copy");
}

TEST_F(FileOpsTest, FailedSendShowsFileInUseError) {
    const QString src = tmp.file("beach.jpg");
    WriteFile(src, "x");
    QDir().mkpath(dirs.home() + "/Desktop/beach.jpg");  // a folder of the same name
    prompts.answerYes = true;
    EXPECT_FALSE(SendToFolder(src, SendTarget::Desktop, prompts));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].kind, 'e');
    EXPECT_EQ(prompts.shown[1].text, FileInUseErrorText("Cannot send", src));
}

} // namespace
