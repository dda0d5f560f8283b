// Windows test programs here are built for wmain; GoogleTest takes wide arguments too.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "LeftoverServer.h"

int wmain(int argc, wchar_t** argv) {
    // Each line reaches the output file at once: a run stopped from outside shows how far it got.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    // Every program leaves the prefix as it found it: a cache server it caused to start would
    // otherwise keep serving (and holding this run's output open) long after the tests ended.
    ::testing::AddGlobalTestEnvironment(new trovelle::test::LeftoverServerCleanup());
    return RUN_ALL_TESTS();
}
