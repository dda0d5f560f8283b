// Ends a cache server that is still running when a test program is done with it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "CacheServerConnection.h"

namespace trovelle::test {

using trovelle::CacheServerRuns;

// Gives the server back its own reference and waits until it has ended (bounded).
void StopCacheServer();

// Every running process of the server's program in this prefix. One that has given up serving
// may still be ending: its watches close only then.
std::vector<DWORD> CacheServerProcessIds();

class LeftoverServerCleanup : public ::testing::Environment {
public:
    void TearDown() override { StopCacheServer(); }
};

}  // namespace trovelle::test
