// Cache server requests that report failures to the running test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "CacheSession.h"

namespace trovelle::test {

// A connection the test expects to succeed.
Microsoft::WRL::ComPtr<ITrovelleCache> Connect();

// GetFolderSize, expected to answer S_OK.
UINT64 SizeOf(ITrovelleCache& cache, const wchar_t* folder);

// Changes arrive asynchronously: the answer must reach the fresh sum within ten seconds.
::testing::AssertionResult EventuallyFresh(ITrovelleCache& cache, const std::wstring& folder);

}  // namespace trovelle::test
