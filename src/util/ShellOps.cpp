#include "util/ShellOps.h"

#include "util/gUtils.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
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

// Folders searched for mimeapps.list, most important first.
QStringList MimeAppsFolders() {
    QStringList folders;
    folders << QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString configDirs = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    folders << configDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + QStringLiteral("/applications");
    return folders;
}

// The value of a key in a group of a freedesktop key file (mimeapps.list, desktop entries);
// empty when the file, group or key is missing.
QString KeyFileValue(const QString &file, const QString &group, const QString &key) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    const QString prefix = key + QLatin1Char('=');
    bool inGroup = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == header;
        else if (inGroup && line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
    }
    return QString();
}

// The first desktop entry a mimeapps.list names as default for the type ("a.desktop;b.desktop;").
QString DefaultEntryFor(const QString &file, const QString &type) {
    for (const QString &entry : KeyFileValue(file, QStringLiteral("Default Applications"), type)
                                    .split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!entry.trimmed().isEmpty())
            return entry.trimmed();
    return QString();
}

QString FindDesktopEntry(const QString &id) {
    if (id.contains(QLatin1Char('/')))
        return QString();
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString path = data + QStringLiteral("/applications/") + id;
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

// Splits an Exec line into words (double quotes group, backslash escapes inside them) and
// expands the field codes: %f %F %u %U become the URL, %% a percent sign, the others vanish.
QStringList ExpandExec(const QString &exec, const QString &url) {
    QStringList words;
    QString word;
    bool quoted = false, inWord = false, urlPlaced = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                word += exec[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('%') && i + 1 < exec.size() && exec[i + 1] == QLatin1Char('%'))
                word += exec[++i];
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('%') && i + 1 < exec.size()) {
            const QChar code = exec[++i];
            inWord = true;
            if (code == QLatin1Char('%')) {
                word += code;
            } else if (QStringLiteral("fFuU").contains(code)) {
                word += url;
                urlPlaced = true;
            } else if (word.isEmpty() && (i + 1 >= exec.size() || exec[i + 1].isSpace())) {
                inWord = false;  // a code that stands alone leaves no empty argument
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    if (!words.isEmpty() && !urlPlaced)
        words << url;
    return words;
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

QStringList WebBrowserCommand(const QString &url) {
    for (const char *type : {"x-scheme-handler/https", "x-scheme-handler/http", "text/html"}) {
        for (const QString &folder : MimeAppsFolders()) {
            const QString id = DefaultEntryFor(folder + QStringLiteral("/mimeapps.list"), QString::fromLatin1(type));
            if (id.isEmpty())
                continue;
            const QString exec =
                KeyFileValue(FindDesktopEntry(id), QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
            if (!exec.isEmpty())
                return ExpandExec(exec, url);
        }
    }
    return {};
}

void OpenInWebBrowser(const QString &url) {
    ProcessPendingEvents();
    if (!Handler()) {
        QStringList command = WebBrowserCommand(url);
        if (!command.isEmpty()) {
            const QString program = command.takeFirst();
            if (QProcess::startDetached(program, command))
                return;
        }
    }
    OpenText(url);
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
