// Entry point of every Windows test program: start-up steps that come
// before any window (Windows directory, common controls, shfolder.dll),
// then the tests.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "settings/settings.h"
#include "support/test_support.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    InitShell();
    ResetProgramState();
    g_settings.enableSnd = 0;  // the job sound would slow every job
    return RUN_ALL_TESTS();
}
