#include "platform/RegistryStore.h"

#include "TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

using platform::RegistryRoot;
using platform::RegistryStore;
using platform::RegistryWriteResult;

namespace {

const QString kV = QStringLiteral("\\SoftWare\\Tamsorel\\Orvanta\\V");
const QString kRun = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
constexpr RegistryRoot HKCU = RegistryRoot::CurrentUser;

class RegistryStoreTest : public orvanta::test::UserStateTest {};

TEST_F(RegistryStoreTest, StoreLivesInTheConfigFolder) {
    EXPECT_EQ(RegistryStore::StoreFile(HKCU), dirs.config() + "/Tamsorel/Orvanta/registry.ini");
    EXPECT_EQ(RegistryStore::Write(HKCU, kV, "CP", "/pictures/"), RegistryWriteResult::Written);
    EXPECT_TRUE(QFileInfo::exists(dirs.config() + "/Tamsorel/Orvanta/registry.ini"));
}

TEST_F(RegistryStoreTest, WriteThenReadWithoutRegardToCase) {
    RegistryStore::Write(HKCU, kV, "ProgramLocation", "/opt/Orvanta/orvanta");
    EXPECT_EQ(RegistryStore::Read(HKCU, "\\software\\TAMSOREL\\orvanta\\v", "PROGRAMLOCATION"),
              "/opt/Orvanta/orvanta");
    EXPECT_EQ(RegistryStore::Read(HKCU, kV, "programlocation"), "/opt/Orvanta/orvanta");
    // Texts keep their own case and special characters.
    const QString odd = QStringLiteral("Ä \"quoted\", comma; @at =eq \\back");
    RegistryStore::Write(HKCU, kV, "Odd", odd);
    EXPECT_EQ(RegistryStore::Read(HKCU, kV, "odd"), odd);
}

TEST_F(RegistryStoreTest, ReadingUnderAMissingKeyCreatesTheEmptyKey) {
    const QString key = kV + "\\Prm";
    EXPECT_FALSE(RegistryStore::KeyExists(HKCU, key));
    EXPECT_EQ(RegistryStore::Read(HKCU, key, "Count"), "");
    EXPECT_TRUE(RegistryStore::KeyExists(HKCU, key));
    EXPECT_TRUE(RegistryStore::DeleteKey(HKCU, key));
    EXPECT_FALSE(RegistryStore::KeyExists(HKCU, key));
}

TEST_F(RegistryStoreTest, DeleteValueReportsWhetherItExisted) {
    EXPECT_FALSE(RegistryStore::DeleteValue(HKCU, kV, "MsgDeleteWarning"));
    RegistryStore::Write(HKCU, kV, "MsgDeleteWarning", "T");
    EXPECT_TRUE(RegistryStore::DeleteValue(HKCU, "\\SOFTWARE\\tamsorel\\Orvanta\\V", "msgdeletewarning"));
    EXPECT_FALSE(RegistryStore::DeleteValue(HKCU, kV, "MsgDeleteWarning"));
    EXPECT_EQ(RegistryStore::Read(HKCU, kV, "MsgDeleteWarning"), "");
    // The emptied key still exists.
    EXPECT_TRUE(RegistryStore::KeyExists(HKCU, kV));
}

TEST_F(RegistryStoreTest, DeleteKeyTakesSubKeysAndLeavesSiblings) {
    RegistryStore::Write(HKCU, kV + "\\Prm", "Count", "2");
    RegistryStore::Write(HKCU, kV + "\\Prm\\Deeper", "X", "1");
    RegistryStore::Write(HKCU, kV, "CP", "/a/");
    RegistryStore::Write(HKCU, "\\SoftWare\\Tamsorel\\Orvanta\\S", "FullScreen", "T");
    EXPECT_TRUE(RegistryStore::DeleteKey(HKCU, kV + "\\PRM"));
    EXPECT_EQ(RegistryStore::Read(HKCU, kV + "\\Prm\\Deeper", "X"), "");
    EXPECT_EQ(RegistryStore::Read(HKCU, kV, "CP"), "/a/");
    EXPECT_EQ(RegistryStore::Read(HKCU, "\\SoftWare\\Tamsorel\\Orvanta\\S", "FullScreen"), "T");
    EXPECT_FALSE(RegistryStore::DeleteKey(HKCU, "\\SoftWare\\Nothing\\Here"));
}

TEST_F(RegistryStoreTest, RunValueIsTheAutostartEntry) {
    const QString file = dirs.config() + "/autostart/orvanta.desktop";
    EXPECT_EQ(RegistryStore::AutostartFile(), file);
    const QString exec = "\"/opt/My Apps/orvanta\"";
    EXPECT_EQ(RegistryStore::Write(HKCU, kRun, "Orvanta", exec), RegistryWriteResult::Written);
    ASSERT_TRUE(QFileInfo::exists(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/My Apps/orvanta\"\n"));
    EXPECT_EQ(RegistryStore::Read(HKCU, kRun.toUpper(), "ORVANTA"), exec);
    // Nothing of it goes into the registry file.
    EXPECT_FALSE(QSettings(RegistryStore::StoreFile(HKCU), QSettings::IniFormat).allKeys().join(' ').contains("orvanta="));
    EXPECT_TRUE(RegistryStore::DeleteValue(HKCU, kRun, "Orvanta"));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(RegistryStore::DeleteValue(HKCU, kRun, "Orvanta"));
    EXPECT_EQ(RegistryStore::Read(HKCU, kRun, "Orvanta"), "");
}

TEST_F(RegistryStoreTest, LocalMachineIsReadOnly) {
    EXPECT_EQ(RegistryStore::Write(RegistryRoot::LocalMachine, kV, "CP", "/x/"),
              RegistryWriteResult::KeyNotOpened);
    EXPECT_FALSE(RegistryStore::DeleteValue(RegistryRoot::LocalMachine, kV, "CP"));
    EXPECT_FALSE(RegistryStore::DeleteKey(RegistryRoot::LocalMachine, kV));
    EXPECT_EQ(RegistryStore::Read(RegistryRoot::LocalMachine, kV, "CP"), "");
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeOpenedIsSilent) {
    // The configuration folder is a file: nothing can be created under it.
    QDir(dirs.config()).removeRecursively();
    QFile block(dirs.config());
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    EXPECT_EQ(RegistryStore::Write(HKCU, kV, "CP", "/x/"), RegistryWriteResult::KeyNotOpened);
    EXPECT_EQ(RegistryStore::Read(HKCU, kV, "CP"), "");
    EXPECT_FALSE(RegistryStore::DeleteValue(HKCU, kV, "CP"));
    EXPECT_FALSE(RegistryStore::DeleteKey(HKCU, kV));
}

TEST_F(RegistryStoreTest, DamagedFilesReadAsEmptyAndAreReplacedOnWrite) {
    RegistryStore::Write(HKCU, kV, "CP", "/good/");
    const QString file = RegistryStore::StoreFile(HKCU);
    struct Damage { const char *name; QByteArray bytes; };
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 131 + 7) & 0xFF));
    QFile original(file);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray good = original.readAll();
    original.close();
    const Damage cases[] = {
        {"truncated", good.left(good.size() / 2)},
        {"binary garbage", garbage},
        {"unbalanced section", QByteArray("[software\ntamsorel\\orvanta\\v\\cp=\"/x/\n\x01\x02")},
        {"empty", QByteArray()},
    };
    for (const Damage &d : cases) {
        SCOPED_TRACE(d.name);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(d.bytes);
        f.close();
        const QString read = RegistryStore::Read(HKCU, kV, "CP");
        EXPECT_TRUE(read.isEmpty() || read == "/good/") << read.toStdString();
        EXPECT_EQ(RegistryStore::Write(HKCU, kV, "SP", "/saved/"), RegistryWriteResult::Written);
        EXPECT_EQ(RegistryStore::Read(HKCU, kV, "SP"), "/saved/");
        EXPECT_EQ(QSettings(file, QSettings::IniFormat).status(), QSettings::NoError);
    }
}

TEST_F(RegistryStoreTest, TwoProcessesWritingTheSameKeyLoseNothing) {
    constexpr int kWrites = 200;
    QProcess a, b;
    a.start(REGISTRY_WRITER, {"A", QString::number(kWrites)});
    b.start(REGISTRY_WRITER, {"B", QString::number(kWrites)});
    ASSERT_TRUE(a.waitForStarted() && b.waitForStarted());
    // While they run, every read of the file must parse.
    const QString file = RegistryStore::StoreFile(HKCU);
    int reads = 0;
    QElapsedTimer clock;
    clock.start();
    while ((a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) && clock.elapsed() < 120000) {
        if (QFileInfo::exists(file)) {
            QSettings s(file, QSettings::IniFormat);
            EXPECT_EQ(s.status(), QSettings::NoError);
            ++reads;
        }
        a.waitForFinished(5);
        b.waitForFinished(5);
    }
    ASSERT_EQ(a.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(b.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);
    EXPECT_GT(reads, 0);
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(RegistryStore::Read(HKCU, kV, QString("A_%1").arg(i)), QString::number(i * 7)) << i;
        EXPECT_EQ(RegistryStore::Read(HKCU, kV, QString("B_%1").arg(i)), QString::number(i * 7)) << i;
    }
}

TEST(RegistryKeyPath, Normalization) {
    EXPECT_EQ(RegistryStore::NormalizeKeyPath("\\SoftWare\\Tamsorel\\Orvanta\\V\\Prm"),
              "software/tamsorel/orvanta/v/prm");
    EXPECT_EQ(RegistryStore::NormalizeKeyPath("Software\\\\X\\"), "software/x");
    // Only ASCII letters fold.
    EXPECT_EQ(RegistryStore::NormalizeKeyPath("\\Ärger\\ABC"), QString::fromUtf8("Ärger/abc"));
}

} // namespace
