#include "util/MemoryStatus.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

namespace {

// "MemTotal:  16318112 kB" -> 16318112; -1 when the line has no usable number.
int64_t FieldKb(const QString &line) {
    const int colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return -1;
    const QStringList parts = line.mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return -1;
    bool ok = false;
    const qlonglong v = parts.front().toLongLong(&ok);
    // Values above 2^50 kB are not memory sizes of any machine; refuse them so the arithmetic
    // below cannot overflow.
    if (!ok || v < 0 || v > (qlonglong(1) << 50))
        return -1;
    return v;
}

} // namespace

MemoryStatus ParseMemInfo(const QString &text) {
    int64_t total = -1, available = -1, free = -1;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("MemTotal:")))
            total = FieldKb(line);
        else if (line.startsWith(QLatin1String("MemAvailable:")))
            available = FieldKb(line);
        else if (line.startsWith(QLatin1String("MemFree:")))
            free = FieldKb(line);
    }
    MemoryStatus s;
    if (total <= 0)
        return s;
    const int64_t avail = available >= 0 ? available : std::max<int64_t>(free, 0);
    s.valid = true;
    s.totalKb = total;
    s.loadPercent = int(std::clamp<int64_t>(100 - std::min(avail, total) * 100 / total, 0, 100));
    return s;
}

MemoryStatus ReadMemoryStatus(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return MemoryStatus();
    return ParseMemInfo(QString::fromLatin1(f.read(64 * 1024)));
}
