#include "util/WorkFolder.h"

#include "platform/UserFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex gMutex;
QString gRoot;
QString gFolder;

QString RootPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime) + QStringLiteral("/Orvanta/");
    return QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/Orvanta-") + QString::number(::getuid()) +
           QLatin1Char('/');
}

// Makes the private root folder, or accepts it when it is ours, a real folder and private.
bool EnsurePrivateRoot(const QString &root) {
    const QByteArray path = QFile::encodeName(root.chopped(1));
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st{};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace

QString WorkRootFolder() {
    std::lock_guard lock(gMutex);
    return gRoot;
}

QString WorkFolder() {
    std::lock_guard lock(gMutex);
    return gFolder;
}

bool PrepareWorkFolder() {
    std::lock_guard lock(gMutex);
    if (!gFolder.isEmpty() && QFileInfo(gFolder).isDir())
        return true;
    const QString root = RootPath();
    if (!EnsurePrivateRoot(root))
        return false;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyMMddhhmmsszzz"));
    // Another instance may have made a folder in the same millisecond: take the next free name.
    for (int n = 0; n < 100; ++n) {
        const QString folder = root + stamp + (n ? QStringLiteral("-%1").arg(n) : QString()) + QLatin1Char('/');
        if (::mkdir(QFile::encodeName(folder.chopped(1)).constData(), 0700) == 0) {
            gRoot = root;
            gFolder = folder;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void RemoveWorkFolder() {
    std::lock_guard lock(gMutex);
    if (gFolder.isEmpty() || !QFileInfo(gFolder).isDir())
        return;
    QDir folder(gFolder);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
    QDir().rmdir(gFolder);
    QDir().rmdir(gRoot);  // only when empty
}
