#pragma once
// Test environment: every test program runs with its own HOME, XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_RUNTIME_DIR and TMPDIR, so tests never read or write the real user's files and can run
// side by side. The test mains create one set for the whole program before any test runs;
// a test that needs a fresh, empty set of its own uses UserDirs (or the UserStateTest fixture).

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <string>

namespace orvanta::test {

// A private folder tree with home/, config/, data/, runtime/ (mode 0700) and tmp/, pointed to by
// the environment for as long as the object lives. The previous values come back and the tree
// is removed when it is destroyed.
class UserDirs {
public:
    UserDirs();
    ~UserDirs();
    UserDirs(const UserDirs &) = delete;
    UserDirs &operator=(const UserDirs &) = delete;

    QString root() const { return root_; }
    QString home() const { return root_ + "/home"; }
    QString config() const { return root_ + "/config"; }
    QString data() const { return root_ + "/data"; }
    QString runtime() const { return root_ + "/runtime"; }
    QString tmp() const { return root_ + "/tmp"; }

private:
    QString root_;
    struct Saved { std::string name; bool had; std::string value; };
    Saved saved_[5];
};

// Fixture giving each test a fresh UserDirs.
class UserStateTest : public ::testing::Test {
protected:
    UserDirs dirs;
};

// Folder of the source tree (for shared fixtures) and of the built executables.
QString SourceDir();
QString BinDir();
// The picture corpus beside the repository (../shared/corpus from the source tree).
QString CorpusDir();
// A fresh temporary folder inside the current TMPDIR, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    QString path() const { return path_; }
    QString file(const QString &name) const { return path_ + "/" + name; }
private:
    QString path_;
};

// Runs the event loop until cond() holds or timeoutMs passes; whether it held.
bool WaitUntil(const std::function<bool()> &cond, int timeoutMs = 20000);

// Installs the program-wide UserDirs; called by the test mains before anything else.
void InstallProgramUserDirs();

} // namespace orvanta::test
