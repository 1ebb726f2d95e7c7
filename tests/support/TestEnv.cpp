#include "TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFileInfo>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta::test {
namespace {

const char *const kVars[5] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TMPDIR"};

QString MakeTempFolder(const char *prefix) {
    const char *base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed for " + tmpl);
    return QString::fromStdString(tmpl);
}

} // namespace

UserDirs::UserDirs() {
    root_ = MakeTempFolder("orvanta-test-");
    for (int i = 0; i < 5; ++i) {
        const char *v = std::getenv(kVars[i]);
        saved_[i] = {kVars[i], v != nullptr, v ? v : ""};
    }
    const QString paths[5] = {home(), config(), data(), runtime(), tmp()};
    for (int i = 0; i < 5; ++i) {
        QDir().mkpath(paths[i]);
        ::chmod(paths[i].toLocal8Bit().constData(), 0700);
        ::setenv(kVars[i], paths[i].toLocal8Bit().constData(), 1);
    }
}

UserDirs::~UserDirs() {
    for (const Saved &s : saved_) {
        if (s.had)
            ::setenv(s.name.c_str(), s.value.c_str(), 1);
        else
            ::unsetenv(s.name.c_str());
    }
    // Folders made read-only by a test must not stop the clean-up.
    QDir root(root_);
    if (root.exists()) {
        std::system(("chmod -R u+rwx '" + root_.toStdString() + "' 2>/dev/null").c_str());
        root.removeRecursively();
    }
}

QString SourceDir() {
    const char *v = std::getenv("ORVANTA_SOURCE_DIR");
    return v ? QString::fromLocal8Bit(v) : QString(ORVANTA_TEST_SOURCE_DIR);
}

QString BinDir() {
    const char *v = std::getenv("ORVANTA_BIN_DIR");
    return v ? QString::fromLocal8Bit(v) : QString(ORVANTA_TEST_BIN_DIR);
}

QString CorpusDir() {
    return QFileInfo(SourceDir() + "/../shared/corpus").canonicalFilePath();
}

TempDir::TempDir() : path_(MakeTempFolder("t-")) {}

TempDir::~TempDir() {
    std::system(("chmod -R u+rwx '" + path_.toStdString() + "' 2>/dev/null").c_str());
    QDir(path_).removeRecursively();
}

bool WaitUntil(const std::function<bool()> &cond, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void InstallProgramUserDirs() {
    static std::unique_ptr<UserDirs> dirs;
    if (!dirs)
        dirs = std::make_unique<UserDirs>();
}

} // namespace orvanta::test
