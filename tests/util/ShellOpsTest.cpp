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


// A browser named the freedesktop way: mimeapps.list in the user's config folder and a desktop
// entry in the user's data folder.
void InstallBrowser(const orvanta::test::UserDirs &dirs, const QString &exec, const char *type = "x-scheme-handler/https") {
    QDir().mkpath(dirs.config());
    QDir().mkpath(dirs.data() + "/applications");
    QFile list(dirs.config() + "/mimeapps.list");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(QString("[Added Associations]\n%1=other.desktop;\n[Default Applications]\n"
                       "image/png=viewer.desktop\n%1=;test-browser.desktop;\n").arg(type).toUtf8());
    list.close();
    QFile entry(dirs.data() + "/applications/test-browser.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write(("[Desktop Entry]\nType=Application\nName=Test\nExec=" + exec + "\n[Desktop Action x]\nExec=wrong\n").toUtf8());
}

TEST_F(ShellOpsTest, WebBrowserCommandFollowsTheDefaultBrowserEntry) {
    const QString url = "file:///tmp/a%20b.png";
    const struct { const char *exec; QStringList expected; } cases[] = {
        {"/usr/bin/browser %u", {"/usr/bin/browser", url}},
        {"browser --new-window %U", {"browser", "--new-window", url}},
        {"browser", {"browser", url}},  // no field code: the URL is appended
        {"\"/opt/my browser/run\" %i %c --x=%f", {"/opt/my browser/run", "--x=" + url}},
        {"sh -c \"echo \\\"q\\\" 100%%\" %u", {"sh", "-c", "echo \"q\" 100%", url}},
    };
    for (const auto &c : cases) {
        InstallBrowser(dirs, c.exec);
        EXPECT_EQ(WebBrowserCommand(url), c.expected) << c.exec;
    }
    InstallBrowser(dirs, "plain %u", "x-scheme-handler/http");
    EXPECT_EQ(WebBrowserCommand(url), QStringList({"plain", url}));
    QFile::remove(dirs.data() + "/applications/test-browser.desktop");
    EXPECT_TRUE(WebBrowserCommand(url).isEmpty());
}

TEST_F(ShellOpsTest, OpenInWebBrowserStartsTheBrowserWithTheUrl) {
    SetShellOpenHandler({});
    const QString out = dirs.root() + "/browser-args.txt";
    const QString script = dirs.root() + "/browser.sh";
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + out + ".part' && mv '" + out + ".part' '" + out + "'\n").toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    InstallBrowser(dirs, script + " --new-tab %u");
    OpenInWebBrowser("file:///tmp/x.png");
    ASSERT_TRUE(orvanta::test::WaitUntil([&] { return QFileInfo::exists(out); }, 10000));
    QFile result(out);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()), "--new-tab\nfile:///tmp/x.png\n");
}

} // namespace
