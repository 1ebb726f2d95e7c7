#include "util/ShellOps.h"

#include "util/Links.h"

#include "TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

class ShellOpsTest : public orvanta::test::UserStateTest {
protected:
    void SetUp() override { SetShellOpenHandler([this](const QString &t) { opened.push_back(t); }); }
    void TearDown() override { SetShellOpenHandler({}); }
    QStringList opened;
};

TEST_F(ShellOpsTest, ComposeMailJoinsWithoutEscaping) {
    ComposeMail("", "", "");
    ComposeMail("", "Orvanta...", ProductSiteLink(kPathHomePage));
    ComposeMail(kSupportMailAddress, "a b&c", "x?y");
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[0], "mailto:?subject=&Body=");
    EXPECT_EQ(opened[1], "mailto:?subject=Orvanta...&Body=https://www.tamsorel.com/orvanta.php");
    EXPECT_EQ(opened[2], "mailto:support@tamsorel.com?subject=a b&c&Body=x?y");
}

TEST_F(ShellOpsTest, ShellOpenPassesTextUnchanged) {
    ShellOpen(ProductSiteLink(kPathProgramHelp));
    ShellOpen("/tmp/some picture.jpg");
    EXPECT_EQ(opened, QStringList({"https://www.tamsorel.com/orvanta.php#help", "/tmp/some picture.jpg"}));
}

TEST_F(ShellOpsTest, TempFolderEndsWithSlash) {
    EXPECT_EQ(GetTempFolder(), dirs.tmp() + "/");
}

// The file must land in the trash of the test's own data home, with its .trashinfo.
TEST_F(ShellOpsTest, RecycleBinMovesFileIntoFreedesktopTrash) {
    orvanta::test::TempDir tmp;
    const QString path = tmp.file("beach photo.jpg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("bytes");
    }
    ASSERT_TRUE(SendToRecycleBin(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    const QString trash = dirs.data() + "/Trash";
    EXPECT_EQ(QFile(trash + "/files/beach photo.jpg").size(), 5);
    QFile info(trash + "/info/beach photo.jpg.trashinfo");
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QByteArray text = info.readAll();
    EXPECT_TRUE(text.startsWith("[Trash Info]")) << text.constData();
    EXPECT_TRUE(text.contains("Path=")) << text.constData();
    EXPECT_TRUE(text.contains("DeletionDate=")) << text.constData();

    // A second file of the same name gets its own entry; the first stays.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("second");
    }
    ASSERT_TRUE(SendToRecycleBin(path));
    EXPECT_EQ(QDir(trash + "/files").entryList(QDir::Files).size(), 2);
}

TEST_F(ShellOpsTest, RecycleBinRefusesMissingFile) {
    orvanta::test::TempDir tmp;
    EXPECT_FALSE(SendToRecycleBin(tmp.file("nothing.jpg")));
    EXPECT_FALSE(SendToRecycleBin(""));
}

} // namespace
