#include "TestEnv.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    orvanta::test::InstallProgramUserDirs();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
