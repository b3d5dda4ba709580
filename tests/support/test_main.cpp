// Entry point of every Windows test program: start-up steps that come
// before any window (Windows directory, common controls, shfolder.dll),
// then the tests.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/test_support.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    InitShell();
    ResetProgramState();
    return RUN_ALL_TESTS();
}
