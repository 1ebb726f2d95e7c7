#include "TestEnv.h"

#include <QApplication>
#include <gtest/gtest.h>

// Tests that need widgets, a display or OpenGL: one QApplication for the whole program, made
// after the private user folders are in place so Qt sees them.
int main(int argc, char **argv) {
    orvanta::test::InstallProgramUserDirs();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
