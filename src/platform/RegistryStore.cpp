#include "platform/RegistryStore.h"

#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>

#include <memory>
#include <optional>

namespace platform {
namespace {

// Every key that was created holds this entry, so an emptied key still exists.
const QString kKeyMarker = QStringLiteral(".");
const QString kRunKey = QStringLiteral("software/microsoft/windows/currentversion/run");
const QString kRunValue = QStringLiteral("orvanta");

QString FoldAscii(const QString &s) {
    QString out = s;
    for (QChar &c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return out;
}

QString ValueKey(const QString &group, const QString &name) {
    const QString n = FoldAscii(name);
    return group + QLatin1Char('/') + (n.isEmpty() ? QStringLiteral("@default") : n);
}

bool IsRunEntry(RegistryRoot root, const QString &group, const QString &name) {
    return root == RegistryRoot::CurrentUser && group == kRunKey && FoldAscii(name) == kRunValue;
}

// One open store: the QSettings of one operation. Empty when the store cannot be opened.
std::unique_ptr<QSettings> OpenStore(RegistryRoot root, bool forWriting) {
    const QString file = RegistryStore::StoreFile(root);
    if (file.isEmpty())
        return nullptr;
    if (root == RegistryRoot::LocalMachine && forWriting)
        return nullptr;
    const QFileInfo info(file);
    if (forWriting) {
        if (!QDir().mkpath(info.absolutePath()))
            return nullptr;
        if (!QFileInfo(info.absolutePath()).isWritable() || (info.exists() && !info.isWritable()))
            return nullptr;
    }
    if (info.exists() && !info.isReadable())
        return nullptr;
    auto s = std::make_unique<QSettings>(file, QSettings::IniFormat);
    if (s->status() == QSettings::FormatError) {
        if (!forWriting)
            return std::make_unique<QSettings>(QString(), QSettings::IniFormat); // reads as empty
        // A damaged file is kept aside for inspection and the store starts afresh.
        s.reset();
        const QString aside = file + QStringLiteral(".damaged");
        QFile::remove(aside);
        if (!QFile::rename(file, aside))
            QFile::remove(file);
        s = std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    return s;
}

bool GroupExists(QSettings &s, const QString &group) {
    if (group.isEmpty())
        return true;
    s.beginGroup(group);
    const bool exists = !s.allKeys().isEmpty();
    s.endGroup();
    return exists;
}

bool Commit(QSettings &s) {
    s.sync();
    return s.status() == QSettings::NoError;
}

// Creates the key (marker entry) when it does not exist yet; false when that write failed.
bool EnsureKey(QSettings &s, const QString &group) {
    if (GroupExists(s, group))
        return true;
    s.setValue(group + QLatin1Char('/') + kKeyMarker, QString());
    return Commit(s);
}

// --- the autostart entry ---------------------------------------------------------------

QString EscapeDesktopValue(const QString &v) {
    QString out;
    for (QChar c : v) {
        if (c == QLatin1Char('\\')) out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n')) out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r')) out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t')) out += QStringLiteral("\\t");
        else out += c;
    }
    return out;
}

QString UnescapeDesktopValue(const QString &v) {
    QString out;
    for (int i = 0; i < v.size(); ++i) {
        if (v[i] == QLatin1Char('\\') && i + 1 < v.size()) {
            const QChar n = v[++i];
            if (n == QLatin1Char('n')) out += QLatin1Char('\n');
            else if (n == QLatin1Char('r')) out += QLatin1Char('\r');
            else if (n == QLatin1Char('t')) out += QLatin1Char('\t');
            else if (n == QLatin1Char('s')) out += QLatin1Char(' ');
            else out += n;
        } else {
            out += v[i];
        }
    }
    return out;
}

std::optional<QString> ReadAutostartExec() {
    QFile f(RegistryStore::AutostartFile());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool inEntry = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && line.startsWith(QStringLiteral("Exec=")))
            return UnescapeDesktopValue(line.mid(5));
    }
    return std::nullopt;
}

RegistryWriteResult WriteAutostart(const QString &exec) {
    const QString file = RegistryStore::AutostartFile();
    if (file.isEmpty() || !QDir().mkpath(QFileInfo(file).absolutePath()))
        return RegistryWriteResult::KeyNotOpened;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return RegistryWriteResult::KeyNotOpened;
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=Orvanta\n");
    text += QStringLiteral("Exec=") + EscapeDesktopValue(exec) + QLatin1Char('\n');
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    out.write(text.toUtf8());
    return out.commit() ? RegistryWriteResult::Written : RegistryWriteResult::WriteRefused;
}

} // namespace

QString RegistryStore::NormalizeKeyPath(const QString &keyPath) {
    const QStringList parts = FoldAscii(keyPath).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('/'));
}

QString RegistryStore::StoreFile(RegistryRoot root) {
    if (root == RegistryRoot::LocalMachine)
        return QStringLiteral("/etc/xdg/Tamsorel/Orvanta/registry.ini");
    const QString folder = OrvantaConfigFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/registry.ini");
}

QString RegistryStore::AutostartFile() {
    const QString config = ConfigHome();
    return config.isEmpty() ? QString() : config + QStringLiteral("/autostart/orvanta.desktop");
}

RegistryWriteResult RegistryStore::Write(RegistryRoot root, const QString &keyPath,
                                         const QString &name, const QString &value) {
    const QString group = NormalizeKeyPath(keyPath);
    if (IsRunEntry(root, group, name))
        return WriteAutostart(value);
    auto s = OpenStore(root, true);
    if (!s)
        return RegistryWriteResult::KeyNotOpened;
    if (!GroupExists(*s, group))
        s->setValue(group + QLatin1Char('/') + kKeyMarker, QString());
    s->setValue(ValueKey(group, name), value);
    return Commit(*s) ? RegistryWriteResult::Written : RegistryWriteResult::WriteRefused;
}

QString RegistryStore::Read(RegistryRoot root, const QString &keyPath, const QString &name) {
    const QString group = NormalizeKeyPath(keyPath);
    if (IsRunEntry(root, group, name)) {
        QDir().mkpath(QFileInfo(AutostartFile()).absolutePath());
        return ReadAutostartExec().value_or(QString());
    }
    if (root == RegistryRoot::CurrentUser) {
        if (auto w = OpenStore(root, true)) {
            EnsureKey(*w, group);
            return w->value(ValueKey(group, name)).toString();
        }
    }
    auto s = OpenStore(root, false);
    return s ? s->value(ValueKey(group, name)).toString() : QString();
}

bool RegistryStore::DeleteValue(RegistryRoot root, const QString &keyPath, const QString &name) {
    const QString group = NormalizeKeyPath(keyPath);
    if (IsRunEntry(root, group, name)) {
        const QString file = AutostartFile();
        return !file.isEmpty() && QFile::exists(file) && QFile::remove(file);
    }
    auto s = OpenStore(root, true);
    if (!s || !EnsureKey(*s, group))
        return false;
    const QString key = ValueKey(group, name);
    if (!s->contains(key))
        return false;
    s->remove(key);
    return Commit(*s);
}

bool RegistryStore::DeleteKey(RegistryRoot root, const QString &keyPath) {
    const QString group = NormalizeKeyPath(keyPath);
    if (group.isEmpty())
        return false;
    bool removedRunEntry = false;
    if (root == RegistryRoot::CurrentUser &&
        (kRunKey == group || kRunKey.startsWith(group + QLatin1Char('/')))) {
        const QString file = AutostartFile();
        removedRunEntry = QFile::exists(file) && QFile::remove(file);
    }
    auto s = OpenStore(root, true);
    if (!s)
        return removedRunEntry;
    if (!GroupExists(*s, group))
        return removedRunEntry;
    s->remove(group);
    return Commit(*s);
}

bool RegistryStore::KeyExists(RegistryRoot root, const QString &keyPath) {
    auto s = OpenStore(root, false);
    return s && GroupExists(*s, NormalizeKeyPath(keyPath));
}

} // namespace platform
