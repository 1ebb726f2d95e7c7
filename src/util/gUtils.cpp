#include "util/gUtils.h"

#include "platform/UserFolders.h"

QString AddTrailingBackslash(const QString &path) {
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

QString GetRoamingAppDataPath() { return platform::RoamingAppDataPath(); }

QString PadNumber(int value, int width) {
    QString digits = QString::number(value);
    const int zeros = width - int(digits.size()) + 1;
    if (zeros > 0)
        digits.prepend(QString(zeros, QLatin1Char('0')));
    return digits;
}

QString ExtractFileExt(const QString &fileName) {
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const int slash = fileName.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? fileName.mid(dot) : QString();
}

QString ExtractFilePath(const QString &fileName) {
    const int slash = fileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

QString ExtractFileName(const QString &fileName) {
    return fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
}
