// Ends a cache server that is still running when a test program is done with it.
#pragma once

#include <gtest/gtest.h>

#include "CacheServerConnection.h"

namespace trovelle::test {

using trovelle::CacheServerRuns;

// Gives the server back its own reference and waits until it has ended (bounded).
void StopCacheServer();

class LeftoverServerCleanup : public ::testing::Environment {
public:
    void TearDown() override { StopCacheServer(); }
};

}  // namespace trovelle::test
