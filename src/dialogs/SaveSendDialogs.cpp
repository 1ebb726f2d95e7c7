#include "dialogs/SaveSendDialogs.h"

#include "dialogs/StdMessages.h"
#include "util/gUtils.h"

#include <QCoreApplication>
#include <QFileDialog>

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
