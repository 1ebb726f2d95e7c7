#include "dialogs/SaveSendDialogs.h"

#include "dialogs/StdMessages.h"
#include "util/ShellOps.h"
#include "util/gUtils.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace {

// The file's URL, or empty (after the source-not-found message) when there is no such file.
QString ExistingFileUrl(const QString &source) {
    const QFileInfo info(source);
    if (source.isEmpty() || !info.exists() || info.isDir()) {
        MessageBoxPrompts().ShowPlainMessage(kSourceFileNotFound);
        return QString();
    }
    return QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
}

} // namespace

QString ChooseSaveFile(const SaveDialogSetup &setup, QWidget *parent) {
    QFileDialog dlgSavePicture(parent);
    dlgSavePicture.setObjectName(QStringLiteral("dlgSavePicture"));
    dlgSavePicture.setAcceptMode(QFileDialog::AcceptSave);
    dlgSavePicture.setFileMode(QFileDialog::AnyFile);
    dlgSavePicture.setOption(QFileDialog::DontConfirmOverwrite, false);
    dlgSavePicture.setOption(QFileDialog::DontUseNativeDialog, true);
    dlgSavePicture.setSizeGripEnabled(true);
    dlgSavePicture.setNameFilter(setup.qtNameFilter);
    dlgSavePicture.setDefaultSuffix(setup.defaultExtension);
    if (!setup.initialFolder.isEmpty())
        dlgSavePicture.setDirectory(setup.initialFolder);
    dlgSavePicture.selectFile(setup.fileName);
    QCoreApplication::processEvents();
    if (dlgSavePicture.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dlgSavePicture.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}

bool SavePictureAsDialog(const QString &source, QWidget *parent) {
    return SavePictureAs(
        source, [parent](const SaveDialogSetup &setup) { return ChooseSaveFile(setup, parent); },
        MessageBoxPrompts());
}

bool SendPictureToFolder(const QString &source, SendTarget target) {
    return SendToFolder(source, target, MessageBoxPrompts());
}

void ShowFileInUseError(const QString &message, const QString &path) {
    ShowFileInUseError(message, path, MessageBoxPrompts());
}

bool SendPictureToWebBrowser(const QString &source) {
    const QString url = ExistingFileUrl(source);
    if (url.isEmpty())
        return false;
    OpenInWebBrowser(url);
    return true;
}

bool SendPictureToMailRecipient(const QString &source) {
    const QString url = ExistingFileUrl(source);
    if (url.isEmpty())
        return false;
    ComposeMail(QString(), ExtractFileName(source), url);
    return true;
}
