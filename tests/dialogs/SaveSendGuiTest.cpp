#include "dialogs/SaveSendDialogs.h"
#include "dialogs/StdMessages.h"

#include "settings/gRegistry.h"
#include "util/ShellOps.h"

#include "DialogTestSupport.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

using orvanta::test::WhenModal;

void WriteFile(const QString &path, const QByteArray &data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray ReadFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class SaveSendTest : public orvanta::test::UserStateTest {
protected:
    void TearDown() override { SetStdMessageHandler({}); }
    orvanta::test::TempDir tmp;
};

TEST_F(SaveSendTest, SaveDialogIsSetUpAndItsChoiceIsCopied) {
    const QString src = tmp.file("pics/beach.JPG");
    WriteFile(src, "sand");
    const QString out = tmp.file("out");
    QDir().mkpath(out);
    RegWriteString(kRegKeyValues, "SP", out + "/");
    WhenModal([&](QWidget *w) {
        auto *dlg = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->objectName(), "dlgSavePicture");
        EXPECT_EQ(dlg->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dlg->directory().absolutePath(), out);
        EXPECT_EQ(dlg->nameFilters(), QStringList{"JPG image (*.JPG)"});
        EXPECT_EQ(dlg->defaultSuffix(), "JPG");
        EXPECT_FALSE(dlg->testOption(QFileDialog::DontConfirmOverwrite));
        auto *name = dlg->findChild<QLineEdit *>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "beach.JPG");
        name->setText("copy");  // the default extension is added
        QMetaObject::invokeMethod(dlg, "accept");
    });
    EXPECT_TRUE(SavePictureAsDialog(src, nullptr));
    EXPECT_EQ(ReadFile(out + "/copy.JPG"), "sand");
    EXPECT_EQ(RegReadString(kRegKeyValues, "SP"), out + "/");
}

TEST_F(SaveSendTest, MessagesGoThroughTheMessageBoxes) {
    std::vector<std::pair<StdMessageKind, QString>> shown;
    SetStdMessageHandler([&](StdMessageKind k, const QString &t) {
        shown.emplace_back(k, t);
        return mrNo;
    });
    EXPECT_FALSE(SavePictureAsDialog(tmp.file("missing.jpg"), nullptr));
    const QString src = tmp.file("beach.jpg");
    WriteFile(src, "new");
    const QString dest = dirs.home() + "/Pictures/beach.jpg";
    WriteFile(dest, "old");
    EXPECT_FALSE(SendPictureToFolder(src, SendTarget::MyPictures));
    EXPECT_EQ(ReadFile(dest), "old");
    ShowFileInUseError("Cannot delete", src);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].first, StdMessageKind::Plain);
    EXPECT_EQ(shown[0].second, "Cannot execute action, source file not found!");
    EXPECT_EQ(shown[1].first, StdMessageKind::WarningYesNo);
    EXPECT_EQ(shown[1].second, dest + " already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(shown[2].first, StdMessageKind::Error);
    EXPECT_TRUE(shown[2].second.startsWith("Cannot delete beach: It is being used by another person or program.\r\n\r\n"));
}

TEST_F(SaveSendTest, WebBrowserAndMailRecipient) {
    QStringList opened, shown;
    SetShellOpenHandler([&](const QString &t) { opened << t; });
    SetStdMessageHandler([&](StdMessageKind, const QString &t) {
        shown << t;
        return mrOk;
    });
    const QString src = tmp.file("my beach.jpg");
    WriteFile(src, "x");
    EXPECT_TRUE(SendPictureToWebBrowser(src));
    EXPECT_TRUE(SendPictureToMailRecipient(src));
    EXPECT_FALSE(SendPictureToWebBrowser(tmp.file("gone.jpg")));
    EXPECT_FALSE(SendPictureToMailRecipient(tmp.file("gone.jpg")));
    SetShellOpenHandler({});
    const QString url = "file://" + QString(QUrl::toPercentEncoding(src, "/"));
    EXPECT_EQ(opened, QStringList({url, "mailto:?subject=my beach.jpg&Body=" + url}));
    EXPECT_EQ(shown, QStringList({kSourceFileNotFound, kSourceFileNotFound}));
}

TEST_F(SaveSendTest, RealMessageBoxes) {
    struct C { StdMessageKind kind; QMessageBox::Icon icon; QMessageBox::StandardButton press; int result; };
    for (const C &c : {C{StdMessageKind::Plain, QMessageBox::NoIcon, QMessageBox::Ok, mrOk},
                       C{StdMessageKind::Error, QMessageBox::Critical, QMessageBox::Ok, mrOk},
                       C{StdMessageKind::WarningYesNo, QMessageBox::Warning, QMessageBox::Yes, mrYes},
                       C{StdMessageKind::WarningYesNo, QMessageBox::Warning, QMessageBox::No, mrNo}}) {
        WhenModal([c](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), c.icon);
            EXPECT_EQ(box->windowTitle(), "Orvanta");
            EXPECT_EQ(box->text(), "line one\nline two");
            box->button(c.press)->click();
        });
        EXPECT_EQ(ShowStdMessage(c.kind, "line one\r\nline two"), c.result);
    }
}

} // namespace
