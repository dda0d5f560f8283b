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

// `root` made afresh with two folders of the same small content below it, each with a subfolder
// "Inner": one to keep quiet, one to change under load.
void MakeQuietAndBusyFolders(const std::wstring& root, const std::wstring& quiet,
                             const std::wstring& busy);

// The suites that start servers themselves: COM for the test thread, and no drive-wide scan at a
// server's start, which would only slow them down.
class ServerTestSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
};

}  // namespace trovelle::test
