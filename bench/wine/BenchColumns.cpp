// Prints how fast the size columns fill a folder of 1,000 items, all three columns, with the cache
// server (warm) and without it, next to the time just listing that folder takes; then the size
// column of a folder of 1,000 subfolders against one server call per cell. A measuring program,
// not a test: no time makes it fail.
//
//   bench_columns [folder]     (default D:\Bench1000, made here when missing)
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CacheServerConnection.h"
#include "ColumnSettings.h"
#include "ComApartment.h"
#include "SettingsStore.h"
#include "UniqueBstr.h"
#include "UniqueHandle.h"

namespace {

using namespace trovelle;
using bench::MakeFolderOfFoldersOnce;
using bench::MedianMilliseconds;
using bench::WriteBytes;

const CLSID kTrovexFolderSize = {0x40d66076, 0x62fe, 0x4b57,
                                 {0x86, 0x67, 0xdb, 0x80, 0x29, 0x25, 0xfb, 0xb6}};
const DWORD kColumns[] = {1, 2, 3};  // size, sort size, percent

struct Item {
    std::wstring path;
    DWORD attributes;
};

// 900 files and 100 folders of five files each.
void MakeFolderOnce(const std::wstring& folder) {
    if (::GetFileAttributesW((folder + L"\\d99\\f4.txt").c_str()) != INVALID_FILE_ATTRIBUTES) return;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (int file = 0; file < 900; ++file) {
        WriteBytes(folder + L"\\file" + std::to_wstring(file) + L".bin", 100 + file * 37);
    }
    for (int sub = 0; sub < 100; ++sub) {
        const std::wstring inner = folder + L"\\d" + std::to_wstring(sub);
        ::CreateDirectoryW(inner.c_str(), nullptr);
        for (int file = 0; file < 5; ++file) {
            WriteBytes(inner + L"\\f" + std::to_wstring(file) + L".txt", 1000 + sub + file);
        }
    }
}

// The host's own work before any column is asked: one listing of the folder.
std::vector<Item> ListFolder(const std::wstring& folder) {
    std::vector<Item> items;
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find) return items;
    do {
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
        items.push_back({folder + L"\\" + found.cFileName, found.dwFileAttributes});
    } while (::FindNextFileW(find.Get(), &found));
    return items;
}

int FillColumn(IColumnProvider& handler, const std::vector<Item>& items, DWORD pid) {
    int filled = 0;
    SHCOLUMNID column = {kTrovexFolderSize, pid};
    for (const Item& item : items) {
        SHCOLUMNDATA data = {};
        data.dwFileAttributes = item.attributes;
        wcsncpy(data.wszFile, item.path.c_str(), MAX_PATH - 1);
        VARIANT value;
        ::VariantInit(&value);
        if (handler.GetItemData(&column, &data, &value) == S_OK) ++filled;
        ::VariantClear(&value);
    }
    return filled;
}

// The size column of a folder of subfolders, warm, against what it cost when every folder cell
// made its own round trip to the server.
void FolderOfFolders(IColumnProvider& handler, const std::wstring& folder) {
    // New folders are listed afresh for a while under Wine before their totals are kept.
    if (MakeFolderOfFoldersOnce(folder)) ::Sleep(2500);
    const std::vector<Item> items = ListFolder(folder);
    for (int pass = 0; pass < 2; ++pass) FillColumn(handler, items, 1);
    int filled = 0;
    std::vector<double> passes;
    for (int pass = 0; pass < 5; ++pass) {
        ::Sleep(1100);  // each pass starts with a round trip of its own, as a refresh does
        passes.push_back(MedianMilliseconds(1, [&] { filled = FillColumn(handler, items, 1); }));
    }
    std::sort(passes.begin(), passes.end());
    const double shared = passes[passes.size() / 2];
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    if (FAILED(CreateCacheObject(cache))) return;
    const double oneByOne = MedianMilliseconds(5, [&] {
        for (const Item& item : items) {
            const UniqueBstr path = MakeBstr(item.path.c_str());
            UINT64 size = 0;
            cache->GetFolderSize(path.get(), &size);
        }
    });
    std::printf("cache on, %zu subfolders, size column: %d cells in %.1f ms = %.0f cells/s "
                "(target >= 5,000); one call per cell: %.0f cells/s; %.1fx\n",
                items.size(), filled, shared, items.size() * 1000.0 / shared,
                items.size() * 1000.0 / oneByOne, oneByOne / shared);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = argc > 1 ? argv[1] : L"D:\\Bench1000";
    ComApartment apartment;
    MakeFolderOnce(folder);
    Microsoft::WRL::ComPtr<IColumnProvider> handler;
    const HRESULT created = ::CoCreateInstance(kTrovexFolderSize, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IColumnProvider, &handler);
    if (FAILED(created)) {
        std::printf("Trovex.dll is not registered: 0x%08lX\n", static_cast<unsigned long>(created));
        return 2;
    }
    std::vector<Item> items;
    const double listing = MedianMilliseconds(5, [&] { items = ListFolder(folder); });
    const double cells = static_cast<double>(items.size() * std::size(kColumns));
    std::printf("%zu items, %.0f cells; listing the folder: %.2f ms\n", items.size(), cells,
                listing);

    // One pass per column: the columns cost very differently (a percent cell needs the parent's
    // total as well as the item's).
    const wchar_t* const names[] = {L"size", L"sort size", L"percent"};
    SettingsKey settings = SettingsKey::OpenForWriting(KEY_ALL_ACCESS);
    for (int64_t enableCache : {1, 0}) {
        settings.WriteInteger(Setting::EnableCache, enableCache);
        for (DWORD pid : kColumns) FillColumn(*handler.Get(), items, pid);  // warms the server
        double total = 0;
        for (DWORD pid : kColumns) {
            int filled = 0;
            ::Sleep(1100);  // every pass asks the server afresh, as a refresh a second later
            const double fill =
                MedianMilliseconds(1, [&] { filled = FillColumn(*handler.Get(), items, pid); });
            total += fill;
            std::printf("cache %-3ls %-9ls: %4d cells in %8.1f ms = %7.0f cells/s\n",
                        enableCache == 1 ? L"on" : L"off", names[pid - 1], filled, fill,
                        items.size() * 1000.0 / fill);
        }
        std::printf("cache %-3ls all columns: %.0f cells/s; %.0fx the time of the listing\n",
                    enableCache == 1 ? L"on" : L"off", cells * 1000 / total, total / listing);
        if (enableCache == 1) {
            FolderOfFolders(*handler.Get(), folder + L"Folders");
            // A full settings read (one key opening, seven values), which a cell pays only after
            // the key changed: against an average cell's time.
            ColumnSettings read;
            constexpr int kReads = 1000;
            const double reads = MedianMilliseconds(1, [&] {
                for (int n = 0; n < kReads; ++n) read.Reread();
            });
            const double perCell = total / cells;
            std::printf("settings read after a change: %.1f us, %.0f%% of an average cell (%.1f us)\n",
                        reads * 1000 / kReads, 100 * reads / kReads / perCell, perCell * 1000);
        }
    }
    ::RegDeleteValueW(settings.Handle(), L"EnableCache");
    return 0;
}
