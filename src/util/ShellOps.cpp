#include "util/ShellOps.h"

#include "util/gUtils.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {

ShellOpenHandler &Handler() {
    static ShellOpenHandler handler;
    return handler;
}

void ProcessPendingEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

// A text with a scheme of two or more letters ("https:", "mailto:", "file:") is a URL; anything
// else is a local path.
QUrl UrlOf(const QString &text) {
    const QUrl url(text, QUrl::TolerantMode);
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

void OpenText(const QString &text) {
    ProcessPendingEvents();
    if (Handler()) {
        Handler()(text);
        return;
    }
    QDesktopServices::openUrl(UrlOf(text));
}

QString ExistingStandardFolder(QStandardPaths::StandardLocation location) {
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return QString();
    return path;
}

} // namespace

void SetShellOpenHandler(ShellOpenHandler handler) { Handler() = std::move(handler); }

void ShellOpen(const QString &pathOrUrl) { OpenText(pathOrUrl); }

QString ComposeMailText(const QString &recipient, const QString &subject, const QString &body) {
    return QStringLiteral("mailto:") + recipient + QStringLiteral("?subject=") + subject +
           QStringLiteral("&Body=") + body;
}

void ComposeMail(const QString &recipient, const QString &subject, const QString &body) {
    OpenText(ComposeMailText(recipient, subject, body));
}

QString GetMyPicturesFolder() {
    for (auto location : {QStandardPaths::PicturesLocation, QStandardPaths::DocumentsLocation,
                          QStandardPaths::DesktopLocation}) {
        QString path = ExistingStandardFolder(location);
        if (!path.isEmpty()) {
            while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
                path.chop(1);
            return path;
        }
    }
    return QString();
}

QString GetTempFolder() { return AddTrailingBackslash(QDir::tempPath()); }

bool SendToRecycleBin(const QString &path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    QFile file(info.absoluteFilePath());
    return file.moveToTrash();
}
