// One process of the stress run, started by the stress tests:
//   wine_stress_client ask <calls> <quiet folder> <busy folder>
//       alternates GetFolderSize between the two folders; every answer for the quiet folder must
//       equal its fresh sum. Exit code 0 when every call succeeded and every quiet answer was right.
//   wine_stress_client rescan <calls> <folder>
//       empties the cache before every call, so that the server is nearly always in a cold scan.
//   wine_stress_client once <folder>
//       connects, asks once and lets go, as the column handler does for a cell; exit code 0 when
//       the call succeeded.
//   wine_stress_client churn <folder> <seconds> <threads>
//       on each thread, for <seconds>: create the cache, ask once, release, again and again, as
//       a column handler filling cells on several threads does. Prints the calls made and the
//       slowest; exit code 0 when every call succeeded.
//   wine_stress_client cells <folder> <go event>
//       one column handler (Trovex.dll) fills the folder's sort-size cell, waits (bounded) for
//       the named event, then fills it again; prints both cells. Exit code 0 when the second is
//       the folder's right total or an error text, never another size.
//   wine_stress_client signal <event>
//       sets a named event (for scripts on the Linux side).
//   wine_stress_client poll <folder> <stop event>
//       asks for <folder> until the named event is set; exit code 0 when every call succeeded.
//   wine_stress_client mutate <folder> <stop event>
//       creates, grows, renames and deletes files (and a folder) under <folder> until the named
//       event is set.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "CacheSession.h"
#include "ComApartment.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

// A connection, or a line saying why there is none.
Microsoft::WRL::ComPtr<ITrovelleCache> ConnectOrReport() {
    HRESULT connected = E_FAIL;
    auto cache = ConnectToCacheServer(&connected);
    if (!cache) std::wprintf(L"connect failed: 0x%08lX\n", static_cast<unsigned long>(connected));
    return cache;
}

int Ask(int calls, const std::wstring& quiet, const std::wstring& busy, bool coldEveryTime) {
    ComApartment apartment;
    auto cache = ConnectOrReport();
    if (!cache) return 3;
    const UINT64 expected = FreshSum(quiet);
    int failed = 0;
    int wrong = 0;
    for (int call = 0; call < calls; ++call) {
        const bool askQuiet = call % 2 == 0;
        const std::wstring& folder = askQuiet ? quiet : busy;
        UINT64 size = 0;
        if (coldEveryTime && FAILED(cache->ResetCache())) {
            ++failed;
        } else if (FAILED(AskFolderSize(*cache.Get(), folder.c_str(), &size))) {
            ++failed;
        } else if (askQuiet && size != expected) {
            ++wrong;
        }
    }
    std::wprintf(L"calls %d failed %d wrong %d\n", calls, failed, wrong);
    return failed == 0 && wrong == 0 ? 0 : 1;
}

int Once(const std::wstring& folder) {
    ComApartment apartment;
    auto cache = ConnectOrReport();
    if (!cache) return 3;
    UINT64 size = 0;
    const HRESULT hr = AskFolderSize(*cache.Get(), folder.c_str(), &size);
    if (FAILED(hr)) std::wprintf(L"call failed: 0x%08lX\n", static_cast<unsigned long>(hr));
    return SUCCEEDED(hr) ? 0 : 1;
}

struct ChurnThread {
    std::wstring folder;
    ULONGLONG until = 0;
    long calls = 0;
    long failed = 0;
    ULONGLONG slowest = 0;
};

DWORD WINAPI ChurnMain(void* raw) {
    auto& work = *static_cast<ChurnThread*>(raw);
    ComApartment apartment;
    while (::GetTickCount64() < work.until) {
        const ULONGLONG started = ::GetTickCount64();
        HRESULT hr = E_FAIL;
        auto cache = ConnectToCacheServer(&hr);
        UINT64 size = 0;
        if (cache) hr = AskFolderSize(*cache.Get(), work.folder.c_str(), &size);
        if (FAILED(hr)) {
            if (work.failed++ == 0) {
                std::wprintf(L"%ls failed: 0x%08lX\n", cache ? L"call" : L"connect",
                             static_cast<unsigned long>(hr));
            }
        }
        cache.Reset();
        work.slowest = std::max(work.slowest, ::GetTickCount64() - started);
        ++work.calls;
    }
    return 0;
}

int Churn(const std::wstring& folder, int seconds, int threads) {
    std::vector<ChurnThread> work(static_cast<size_t>(threads));
    std::vector<HANDLE> handles;
    for (ChurnThread& thread : work) {
        thread.folder = folder;
        thread.until = ::GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
        if (HANDLE handle = ::CreateThread(nullptr, 0, &ChurnMain, &thread, 0, nullptr)) {
            handles.push_back(handle);
        }
    }
    ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, INFINITE);
    for (HANDLE handle : handles) ::CloseHandle(handle);
    long calls = 0, failed = 0;
    ULONGLONG slowest = 0;
    for (const ChurnThread& thread : work) {
        calls += thread.calls;
        failed += thread.failed;
        slowest = std::max(slowest, thread.slowest);
    }
    std::wprintf(L"churn calls %ld failed %ld slowest %llu ms\n", calls, failed, slowest);
    return failed == 0 && static_cast<int>(handles.size()) == threads ? 0 : 1;
}

// The column handler's class, as Explorer creates it.
const CLSID kTrovexFolderSize = {0x40d66076, 0x62fe, 0x4b57,
                                 {0x86, 0x67, 0xdb, 0x80, 0x29, 0x25, 0xfb, 0xb6}};

std::wstring SortCell(IColumnProvider& handler, const std::wstring& folder) {
    SHCOLUMNID column = {kTrovexFolderSize, 2};
    SHCOLUMNDATA data = {};
    data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    wcsncpy(data.wszFile, folder.c_str(), MAX_PATH - 1);
    VARIANT value;
    ::VariantInit(&value);
    std::wstring text = L"(empty)";
    if (handler.GetItemData(&column, &data, &value) == S_OK && value.vt == VT_BSTR) {
        text.assign(value.bstrVal, ::SysStringLen(value.bstrVal));
    }
    ::VariantClear(&value);
    return text;
}

int Cells(const std::wstring& folder, const wchar_t* goEvent) {
    ComApartment apartment;
    UniqueKernelHandle go(::CreateEventW(nullptr, TRUE, FALSE, goEvent));
    Microsoft::WRL::ComPtr<IColumnProvider> handler;
    if (!go || FAILED(::CoCreateInstance(kTrovexFolderSize, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IColumnProvider, &handler))) {
        return 3;
    }
    const std::wstring first = SortCell(*handler.Get(), folder);
    std::wprintf(L"first cell %ls\n", first.c_str());
    std::fflush(stdout);
    if (::WaitForSingleObject(go.Get(), 60000) != WAIT_OBJECT_0) return 4;
    const std::wstring second = SortCell(*handler.Get(), folder);
    std::wprintf(L"second cell %ls\n", second.c_str());
    const bool errorText = second.rfind(L"Error code: 0x", 0) == 0;
    return second == std::to_wstring(FreshSum(folder)) || errorText ? 0 : 1;
}

int Signal(const wchar_t* name) {
    UniqueKernelHandle event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, name));
    return event && ::SetEvent(event.Get()) ? 0 : 1;
}

int Poll(const std::wstring& folder, const wchar_t* stopEvent) {
    ComApartment apartment;
    UniqueKernelHandle stop(::OpenEventW(SYNCHRONIZE, FALSE, stopEvent));
    auto cache = ConnectToCacheServer();
    if (!stop || !cache) return 3;
    int calls = 0;
    int failed = 0;
    while (::WaitForSingleObject(stop.Get(), 0) == WAIT_TIMEOUT) {
        UINT64 size = 0;
        if (FAILED(AskFolderSize(*cache.Get(), folder.c_str(), &size))) ++failed;
        ++calls;
    }
    std::wprintf(L"calls %d failed %d\n", calls, failed);
    return failed == 0 ? 0 : 1;
}

bool WriteBytes(const std::wstring& path, DWORD bytes) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    ::SetFilePointer(file.Get(), static_cast<LONG>(bytes), nullptr, FILE_BEGIN);
    return ::SetEndOfFile(file.Get()) != FALSE;
}

int Mutate(const std::wstring& folder, const wchar_t* stopEvent) {
    UniqueKernelHandle stop(::OpenEventW(SYNCHRONIZE, FALSE, stopEvent));
    if (!stop) return 3;
    int rounds = 0;
    while (::WaitForSingleObject(stop.Get(), 0) == WAIT_TIMEOUT) {
        const std::wstring name = folder + L"\\m" + std::to_wstring(rounds % 16);
        const std::wstring renamed = name + L".renamed";
        const std::wstring sub = folder + L"\\sub" + std::to_wstring(rounds % 4);
        WriteBytes(name, 100);
        WriteBytes(name, 5000 + rounds % 100);
        ::MoveFileExW(name.c_str(), renamed.c_str(), MOVEFILE_REPLACE_EXISTING);
        if (rounds % 3 == 0) ::DeleteFileW(renamed.c_str());
        if (rounds % 8 == 0) {
            ::CreateDirectoryW(sub.c_str(), nullptr);
            WriteBytes(sub + L"\\inner", 700);
        } else if (rounds % 8 == 4) {
            ::DeleteFileW((sub + L"\\inner").c_str());
            ::RemoveDirectoryW(sub.c_str());
        }
        ++rounds;
        ::Sleep(1);
    }
    std::wprintf(L"rounds %d\n", rounds);
    return 0;
}

}  // namespace
}  // namespace trovelle::test

int wmain(int argc, wchar_t** argv) {
    using namespace trovelle::test;
    if (argc == 5 && std::wcscmp(argv[1], L"ask") == 0) {
        return Ask(_wtoi(argv[2]), argv[3], argv[4], false);
    }
    if (argc == 4 && std::wcscmp(argv[1], L"rescan") == 0) {
        return Ask(_wtoi(argv[2]), argv[3], argv[3], true);
    }
    if (argc == 4 && std::wcscmp(argv[1], L"mutate") == 0) return Mutate(argv[2], argv[3]);
    if (argc == 4 && std::wcscmp(argv[1], L"poll") == 0) return Poll(argv[2], argv[3]);
    if (argc == 3 && std::wcscmp(argv[1], L"once") == 0) return Once(argv[2]);
    if (argc == 4 && std::wcscmp(argv[1], L"cells") == 0) return Cells(argv[2], argv[3]);
    if (argc == 3 && std::wcscmp(argv[1], L"signal") == 0) return Signal(argv[2]);
    if (argc == 5 && std::wcscmp(argv[1], L"churn") == 0) {
        return Churn(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
    }
    std::fwprintf(stderr, L"usage: wine_stress_client ask <calls> <quiet> <busy> | "
                          L"rescan <calls> <folder> | mutate|poll <folder> <stop event> | once <folder> | "
                          L"churn <folder> <seconds> <threads>\n");
    return 2;
}
