#include "util/FileOps.h"

#include "settings/gRegistry.h"
#include "util/ShellOps.h"
#include "util/gUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool SourceExists(const QString &source) {
    const QFileInfo info(source);
    return !source.isEmpty() && info.exists() && !info.isDir();
}

// Copies source to target, replacing a file of the target's name. A folder at the target
// is never removed: the copy fails instead.
bool ReplaceCopy(const QString &source, const QString &target) {
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir())
        return false;
    // A file copied onto itself is already there. Removing the "old" target first would delete
    // the only copy, so this case never reaches the removal.
    const QFileInfo sourceInfo(source);
    if (sourceInfo.absoluteFilePath() == targetInfo.absoluteFilePath() ||
        (targetInfo.exists() && sourceInfo.canonicalFilePath() == targetInfo.canonicalFilePath()))
        return true;
    if (targetInfo.exists() || targetInfo.isSymLink()) {
        if (!QFile::remove(target))
            return false;
    }
    return QFile::copy(source, target);
}

} // namespace

QString FormatSizeText(const QString &text) {
    return QStringLiteral("Size: ") + (text.trimmed().isEmpty() ? QStringLiteral("N/A") : text);
}

QString FileInUseErrorText(const QString &message, const QString &path) {
    QString name = ExtractFileName(path);
    const QString ext = ExtractFileExt(name);
    name.chop(ext.size());
    if (!name.isEmpty())
        name.prepend(QLatin1Char(' '));
    return message + name + QStringLiteral(": It is being used by another person or program.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("Close any programs that might be using the file and try again.");
}

void ShowFileInUseError(const QString &message, const QString &path, FilePrompts &prompts) {
    prompts.ShowErrorMessage(FileInUseErrorText(message, path));
}

bool CopyPictureFile(const QString &source, const QString &target, FilePrompts &prompts) {
    if (!SourceExists(source)) {
        prompts.ShowPlainMessage(kSourceFileNotFound);
        return false;
    }
    if (!ReplaceCopy(source, target)) {
        ShowFileInUseError(QStringLiteral("Cannot copy"), source, prompts);
        return false;
    }
    return true;
}

QString SendTargetLabel(SendTarget target) {
    switch (target) {
    case SendTarget::Desktop: return QStringLiteral("Desktop");
    case SendTarget::MyDocuments: return QStringLiteral("My Documents");
    case SendTarget::MyPictures: return QStringLiteral("My Pictures");
    }
    return QString();
}

QString SendTargetFolder(SendTarget target) {
    QStandardPaths::StandardLocation location = QStandardPaths::DesktopLocation;
    switch (target) {
    case SendTarget::Desktop: location = QStandardPaths::DesktopLocation; break;
    case SendTarget::MyDocuments: location = QStandardPaths::DocumentsLocation; break;
    case SendTarget::MyPictures: location = QStandardPaths::PicturesLocation; break;
    }
    const QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    return folder;
}

bool SendToFolder(const QString &source, SendTarget target, FilePrompts &prompts) {
    if (!SourceExists(source)) {
        prompts.ShowPlainMessage(kSourceFileNotFound);
        return false;
    }
    const QString folder = SendTargetFolder(target);
    if (folder.isEmpty()) {
        prompts.ShowErrorMessage(SendTargetLabel(target) + QStringLiteral(" folder not found!"));
        return false;
    }
    const QString destination = AddTrailingBackslash(folder) + ExtractFileName(source);
    const QFileInfo destInfo(destination);
    if (destInfo.exists() || destInfo.isSymLink()) {
        const QString question = destination + QStringLiteral(" already exists.") +
                                 QStringLiteral("\r\n") + QStringLiteral("Do you want to replace it?");
        if (!prompts.AskWarningYesNo(question))
            return false;
    }
    if (!ReplaceCopy(source, destination)) {
        ShowFileInUseError(QStringLiteral("Cannot send"), source, prompts);
        return false;
    }
    return true;
}

SaveDialogSetup PrepareSaveDialog(const QString &source) {
    SaveDialogSetup s;
    const QString stored = RegReadString(kRegKeyValues, QStringLiteral("SP"));
    if (!stored.trimmed().isEmpty() && QFileInfo(stored).isDir())
        s.initialFolder = stored;
    else
        s.initialFolder = GetMyPicturesFolder();
    s.fileName = ExtractFileName(source);
    s.extension = ExtractFileExt(s.fileName).mid(1);
    s.defaultExtension = s.extension;
    const QString name = s.extension + QStringLiteral(" image (*.") + s.extension + QStringLiteral(")");
    s.filter = name + QStringLiteral("|*.") + s.extension;
    s.qtNameFilter = name;
    return s;
}

bool SavePictureAs(const QString &source, const SaveFileChooser &chooser, FilePrompts &prompts) {
    if (!SourceExists(source)) {
        prompts.ShowPlainMessage(kSourceFileNotFound);
        return false;
    }
    const SaveDialogSetup setup = PrepareSaveDialog(source);
    const QString target = chooser ? chooser(setup) : QString();
    if (target.isEmpty())
        return false;
    RegWriteString(kRegKeyValues, QStringLiteral("SP"),
                   AddTrailingBackslash(QFileInfo(target).absolutePath()));
    return CopyPictureFile(source, target, prompts);
}
