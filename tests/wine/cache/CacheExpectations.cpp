#include "CacheExpectations.h"

#include <chrono>
#include <thread>

#include "SettingsStore.h"
#include "TestFiles.h"

namespace trovelle::test {

Microsoft::WRL::ComPtr<ITrovelleCache> Connect() {
    HRESULT result = E_FAIL;
    auto cache = ConnectToCacheServer(&result);
    EXPECT_EQ(result, S_OK);
    return cache;
}

UINT64 SizeOf(ITrovelleCache& cache, const wchar_t* folder) {
    UINT64 size = ~0ull;
    EXPECT_EQ(AskFolderSize(cache, folder, &size), S_OK);
    return size;
}

::testing::AssertionResult EventuallyFresh(ITrovelleCache& cache, const std::wstring& folder) {
    UINT64 answer = 0;
    UINT64 fresh = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        answer = SizeOf(cache, folder.c_str());
        fresh = FreshSum(folder);
        if (answer == fresh) return ::testing::AssertionSuccess();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return ::testing::AssertionFailure() << "cached " << answer << ", fresh " << fresh;
}

void MakeQuietAndBusyFolders(const std::wstring& root, const std::wstring& quiet,
                             const std::wstring& busy) {
    RemoveTree(root);
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (const std::wstring& folder : {quiet, busy}) {
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::CreateDirectoryW((folder + L"\\Inner").c_str(), nullptr);
        WriteFileOfSize(folder + L"\\a.bin", 1234);
        WriteFileOfSize(folder + L"\\Inner\\b.bin", 4321);
    }
}

void ServerTestSuite::SetUpTestSuite() {
    ::CoInitialize(nullptr);
    SettingsKey::OpenForWriting(KEY_ALL_ACCESS).WriteInteger(Setting::CacheAll, 0);
}

void ServerTestSuite::TearDownTestSuite() { ::CoUninitialize(); }

}  // namespace trovelle::test
