#include "platform/UserFolders.h"

#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {

QString AbsoluteEnv(const char *name) {
    const QString v = qEnvironmentVariable(name);
    return (!v.isEmpty() && QDir::isAbsolutePath(v)) ? QDir::cleanPath(v) : QString();
}

} // namespace

QString ProgramFilePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString ConfigHome() {
    QString dir = AbsoluteEnv("XDG_CONFIG_HOME");
    if (dir.isEmpty()) {
        const QString home = AbsoluteEnv("HOME");
        if (!home.isEmpty())
            dir = home + QStringLiteral("/.config");
    }
    return dir;
}

QString RoamingAppDataPath() {
    QString dir = AbsoluteEnv("XDG_DATA_HOME");
    if (dir.isEmpty()) {
        const QString home = AbsoluteEnv("HOME");
        if (!home.isEmpty())
            dir = home + QStringLiteral("/.local/share");
    }
    return dir;
}

QString OrvantaConfigFolder() {
    const QString config = ConfigHome();
    return config.isEmpty() ? QString() : config + QStringLiteral("/Tamsorel/Orvanta");
}

QString RuntimeFolder() {
    const QString dir = AbsoluteEnv("XDG_RUNTIME_DIR");
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        return dir;
    return QDir::tempPath();
}

} // namespace platform
