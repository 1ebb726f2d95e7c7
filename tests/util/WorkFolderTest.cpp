#include "util/WorkFolder.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

class WorkFolderTest : public orvanta::test::UserStateTest {
protected:
    void TearDown() override { RemoveWorkFolder(); }
};

TEST_F(WorkFolderTest, MadeOncePrivateAndRemovedWithItsFiles) {
    EXPECT_TRUE(WorkFolder().isEmpty());
    ASSERT_TRUE(PrepareWorkFolder());
    const QString root = WorkRootFolder();
    const QString folder = WorkFolder();
    EXPECT_EQ(root, dirs.runtime() + "/Orvanta/");
    EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(root) + "\\d{15}/$").match(folder).hasMatch())
        << folder.toStdString();
    struct stat st{};
    ASSERT_EQ(::stat(root.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_TRUE(PrepareWorkFolder());
    EXPECT_EQ(WorkFolder(), folder);  // once per run

    QFile f(folder + "copy.jpg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QDir().mkpath(folder + "sub");
    RemoveWorkFolder();
    // A folder with a sub-folder left in it cannot be removed; only its files go.
    EXPECT_FALSE(QFileInfo::exists(folder + "copy.jpg"));
    QDir(folder + "sub").removeRecursively();
    RemoveWorkFolder();
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_FALSE(QFileInfo::exists(root));
}

TEST_F(WorkFolderTest, RootOfAnotherKindIsRefused) {
    // A plain file (or a link someone planted) where the root folder should be.
    QFile planted(dirs.runtime() + "/Orvanta");
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.close();
    EXPECT_FALSE(PrepareWorkFolder());
    QFile::remove(dirs.runtime() + "/Orvanta");
    ASSERT_TRUE(QFile::link(dirs.tmp(), dirs.runtime() + "/Orvanta"));
    EXPECT_FALSE(PrepareWorkFolder());
}

TEST_F(WorkFolderTest, WithoutRuntimeFolderUsesAPerUserTempFolder) {
    qunsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(PrepareWorkFolder());
    EXPECT_TRUE(WorkRootFolder().startsWith(dirs.tmp() + "/Orvanta-")) << WorkRootFolder().toStdString();
}

} // namespace
