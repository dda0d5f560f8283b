// The column handler's connection to the cache server: one server object per handler object,
// kept for its life, and a proxy used only on the thread that made it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "CacheSession.h"
#include "ColumnFixture.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

constexpr DWORD kSize = 1;
constexpr DWORD kSort = 2;
constexpr DWORD kPercent = 3;
const std::wstring kBullets12(12, L'\u2022');

// The server's count of objects handed to clients, from the head of its debug dump.
uint64_t ObjectsHandedOut() {
    auto cache = ConnectToCacheServer();
    if (!cache) return 0;
    const wchar_t file[] = L"C:\\trovelle-connection-counters.txt";
    SaveDump(*cache.Get(), file, 3);
    UniqueKernelHandle in(::CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    char text[512] = {};
    DWORD read = 0;
    if (in) ::ReadFile(in.Get(), text, sizeof text - 1, &read, nullptr);
    const char* at = std::strstr(text, "Objects handed out: ");
    return at == nullptr ? 0 : std::strtoull(at + 20, nullptr, 10);
}

class Connection : public ColumnFixture {};

TEST_F(Connection, OneHandlerAsksEveryFolderThroughOneServerObject) {
    StoreInteger(L"EnableCache", 1);
    const uint64_t before = ObjectsHandedOut();
    for (int round = 0; round < 20; ++round) {
        EXPECT_CELL(Folder(kSort, At(L"\\Tree")), std::to_wstring(kTreeTotal));
        EXPECT_CELL(Folder(kSize, At(L"\\Empty")), L"0 KB");
        EXPECT_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")), kBullets12 + L" 25.00 %");
    }
    // The handler's one object, and the one this count itself takes.
    EXPECT_EQ(ObjectsHandedOut() - before, 2u);
}

TEST_F(Connection, HandlersOnTwoThreadsEachKeepTheirOwn) {
    StoreInteger(L"EnableCache", 1);
    const uint64_t before = ObjectsHandedOut();
    auto askFromAThreadOfItsOwn = [] {
        ComApartment apartment;
        auto handler = CreateHandler();
        for (int cell = 0; cell < 10; ++cell) {
            const CellAnswer answer = AskCell(*handler.Get(), kSort,
                                              std::wstring(kRoot) + L"\\Tree", FILE_ATTRIBUTE_DIRECTORY);
            EXPECT_EQ(answer.text, std::to_wstring(kTreeTotal));
        }
    };
    std::thread first(askFromAThreadOfItsOwn);
    std::thread second(askFromAThreadOfItsOwn);
    first.join();
    second.join();
    EXPECT_EQ(ObjectsHandedOut() - before, 3u);
}

}  // namespace
}  // namespace trovelle::test
