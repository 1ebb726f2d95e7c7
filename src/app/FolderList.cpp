#include "app/FolderList.h"

#include "picture/PictureFormats.h"
#include "util/gUtils.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

int32_t DosDateTime(const QDateTime &t) {
    const QDate d = t.date();
    const QTime tm = t.time();
    if (!d.isValid() || d.year() < 1980)
        return 0;
    const uint32_t date = uint32_t((d.year() - 1980) << 9 | d.month() << 5 | d.day());
    const uint32_t time = uint32_t(tm.hour() << 11 | tm.minute() << 5 | tm.second() / 2);
    return int32_t(date << 16 | time);
}

QFileInfoList SortedEntries(const QString &folder, QDir::Filters filters) {
    QFileInfoList entries = QDir(folder).entryInfoList(filters | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                                       QDir::NoSort);
    std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const int c = NaturalCompare(a.fileName(), b.fileName());
        return c != 0 ? c < 0 : a.fileName() < b.fileName();
    });
    return entries;
}

void Collect(const QString &folder, bool recursive, QSet<QString> &visited, QStringList &out) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);
    const QString base = AddTrailingBackslash(folder);
    for (const QFileInfo &f : SortedEntries(base, QDir::Files))
        if (IsPictureFile(f.fileName()))
            out.append(base + f.fileName());
    if (!recursive)
        return;
    for (const QFileInfo &d : SortedEntries(base, QDir::Dirs))
        Collect(base + d.fileName(), true, visited, out);
}

} // namespace

int NaturalCompare(const QString &a, const QString &b) {
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int si = i, sj = j;
            while (si < a.size() && a[si] == QLatin1Char('0')) ++si;
            while (sj < b.size() && b[sj] == QLatin1Char('0')) ++sj;
            int ei = si, ej = sj;
            while (ei < a.size() && a[ei].isDigit()) ++ei;
            while (ej < b.size() && b[ej].isDigit()) ++ej;
            if (ei - si != ej - sj)
                return (ei - si) < (ej - sj) ? -1 : 1;
            const int c = QStringView(a).mid(si, ei - si).compare(QStringView(b).mid(sj, ej - sj));
            if (c != 0)
                return c;
            i = ei;
            j = ej;
            continue;
        }
        const int c = QString::compare(QString(a[i]), QString(b[j]), Qt::CaseInsensitive);
        if (c != 0)
            return c;
        ++i;
        ++j;
    }
    return (a.size() - i) - (b.size() - j) < 0 ? -1 : ((a.size() - i) == (b.size() - j) ? 0 : 1);
}

void ListFolderPictures(TFolderFileList &list, const QString &folder) {
    const QString base = AddTrailingBackslash(folder);
    for (const QFileInfo &f : SortedEntries(base, QDir::Files)) {
        const QString name = f.fileName();
        if (!IsPictureFile(name))
            continue;
        AList entry;
        entry.Folder = base;
        entry.Ext = ExtractFileExt(name);
        entry.BaseName = name.left(name.size() - entry.Ext.size());
        entry.Size = int32_t(uint32_t(uint64_t(f.size()) & 0xFFFFFFFFu));
        entry.Time = DosDateTime(f.lastModified());
        entry.Attr = (f.isWritable() ? 0 : 0x01) | (f.isHidden() ? 0x02 : 0) | 0x20;
        list.push_back(entry);
    }
}

QStringList CollectFolderPictures(const QString &folder, bool recursive) {
    QSet<QString> visited;
    QStringList out;
    Collect(folder, recursive, visited, out);
    return out;
}

int GetPathKind(const QString &path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return 0;
    return info.isDir() ? 2 : 1;
}
