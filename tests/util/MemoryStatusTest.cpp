#include "util/MemoryStatus.h"

#include "TestEnv.h"

namespace {

TEST(MemoryStatus, ParsesTotalAndLoad) {
    struct C { const char *text; bool valid; long long total; int load; };
    const C cases[] = {
        {"MemTotal:       16000000 kB\nMemFree:  1000000 kB\nMemAvailable:    4000000 kB\n", true, 16000000, 75},
        {"MemTotal: 1000 kB\nMemAvailable: 1000 kB\n", true, 1000, 0},
        {"MemTotal: 1000 kB\nMemAvailable: 0 kB\n", true, 1000, 100},
        {"MemTotal: 1000 kB\nMemFree: 500 kB\n", true, 1000, 50},       // no MemAvailable
        {"MemTotal: 1000 kB\nMemAvailable: 5000 kB\n", true, 1000, 0},  // more available than total
        {"MemTotal: 3 kB\nMemAvailable: 2 kB\n", true, 3, 34},          // 100 - 200/3 (66)
        {"MemFree: 500 kB\n", false, 0, 0},
        {"MemTotal: 0 kB\n", false, 0, 0},
        {"MemTotal: lots\n", false, 0, 0},
        {"MemTotal: 99999999999999999999999 kB\n", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const C &c : cases) {
        const MemoryStatus s = ParseMemInfo(QString::fromLatin1(c.text));
        EXPECT_EQ(s.valid, c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(s.totalKb, c.total) << c.text;
            EXPECT_EQ(s.loadPercent, c.load) << c.text;
        }
    }
}

TEST(MemoryStatus, ReadsThisMachine) {
    const MemoryStatus s = ReadMemoryStatus();
    ASSERT_TRUE(s.valid);
    EXPECT_GT(s.totalKb, 1024);
    EXPECT_GE(s.loadPercent, 0);
    EXPECT_LE(s.loadPercent, 100);
    EXPECT_FALSE(ReadMemoryStatus("/nonexistent/meminfo").valid);
}

} // namespace
