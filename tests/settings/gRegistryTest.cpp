#include "settings/gRegistry.h"

#include "platform/Errors.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class gRegistryTest : public orvanta::test::UserStateTest {};

TEST_F(gRegistryTest, FourOperations) {
    RegWriteString(kRegKeyScreen, "FullScreen", "yes please");
    EXPECT_FALSE(RegReadString(kRegKeyScreen, "FullScreen").isEmpty());  // any text counts as set
    EXPECT_TRUE(RegDeleteValue(kRegKeyScreen, "FullScreen"));
    EXPECT_FALSE(RegDeleteValue(kRegKeyScreen, "FullScreen"));
    EXPECT_TRUE(RegReadString(kRegKeyScreen, "FullScreen").isEmpty());
    RegWriteString(kRegKeyParams, "Count", "1");
    EXPECT_TRUE(RegDeleteKey(kRegKeyParams));
    EXPECT_EQ(RegReadString(kRegKeyParams, "Count"), "");
    EXPECT_EQ(RegReadString(kRegKeyValues, "Missing"), "");
}

TEST_F(gRegistryTest, KeyThatCannotBeOpenedIsSilent) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    const QString folder = dirs.config() + "/Tamsorel/Orvanta";
    QDir().mkpath(folder);
    ::chmod(folder.toLocal8Bit().constData(), 0500);
    EXPECT_NO_THROW(RegWriteString(kRegKeyValues, "CP", "/x/"));
    EXPECT_EQ(RegReadString(kRegKeyValues, "CP"), "");
    EXPECT_FALSE(RegDeleteValue(kRegKeyValues, "CP"));
    ::chmod(folder.toLocal8Bit().constData(), 0700);
}

} // namespace
