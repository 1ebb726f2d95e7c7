#include "util/gUtils.h"

#include "TestEnv.h"

namespace {

TEST(gUtils, AddTrailingBackslash) {
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("/a"), "/a/");
    EXPECT_EQ(AddTrailingBackslash("/a/"), "/a/");
    EXPECT_EQ(AddTrailingBackslash("/"), "/");
}

TEST(gUtils, PadNumber) {
    struct C { int value, width; const char *text; };
    for (const C &c : {C{1, 4, "00001"}, C{12, 4, "00012"}, C{12345, 4, "12345"}, C{123456, 4, "123456"},
                       C{0, 4, "00000"}, C{7, 0, "7"}, C{7, 1, "07"}, C{7, -3, "7"}})
        EXPECT_EQ(PadNumber(c.value, c.width), QString::fromLatin1(c.text)) << c.value << " " << c.width;
}

TEST(gUtils, FileNameParts) {
    EXPECT_EQ(ExtractFileExt("/p/photo.JPG"), ".JPG");
    EXPECT_EQ(ExtractFileExt("/p.d/photo"), "");
    EXPECT_EQ(ExtractFileExt("x.gif.bmp"), ".bmp");
    EXPECT_EQ(ExtractFileExt("/p/.hidden"), ".hidden");
    EXPECT_EQ(ExtractFilePath("/p/q/photo.jpg"), "/p/q/");
    EXPECT_EQ(ExtractFilePath("photo.jpg"), "");
    EXPECT_EQ(ExtractFileName("/p/q/photo.jpg"), "photo.jpg");
}

class RoamingPath : public orvanta::test::UserStateTest {};

TEST_F(RoamingPath, FromXdgDataHomeOrHome) {
    EXPECT_EQ(GetRoamingAppDataPath(), dirs.data());
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(GetRoamingAppDataPath(), dirs.home() + "/.local/share");
    qputenv("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(GetRoamingAppDataPath(), dirs.home() + "/.local/share");
    qunsetenv("HOME");
    EXPECT_EQ(GetRoamingAppDataPath(), "");
}

} // namespace
