// Compares the ways Windows offers to list a tree, as Wine serves them, with the plain
// FindFirstFileW walk, all timed in turns in the same run, and the server's own cold scan (its
// lister and folder tree, without COM). A measuring program, not a test: it exits non-zero only
// when the ways disagree on the total.
//
//   bench_listing [tree]     (default D:\Big20k, made by the test fixtures)
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "cache/FolderCache.h"
#include "CriticalSection.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"

// Exported by ntdll (and by Wine's); mingw-w64's headers do not declare it.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apc,
                                               PVOID apcContext, PIO_STATUS_BLOCK status,
                                               PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS infoClass,
                                               BOOLEAN singleEntry, PUNICODE_STRING fileName,
                                               BOOLEAN restartScan);

namespace {

using namespace trovelle;
using bench::WalkTree;

constexpr ULONG kQueryBytes = 64 * 1024;
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006L);
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Reads an open folder with the native directory query: one call returns as many entries as
// the buffer holds.
template <typename OnEntry>
void QueryOpenFolder(HANDLE folder, OnEntry&& onEntry) {
    static std::unique_ptr<ULONGLONG[]> buffer(new ULONGLONG[kQueryBytes / sizeof(ULONGLONG)]);
    for (bool first = true;; first = false) {
        IO_STATUS_BLOCK status{};
        const NTSTATUS result =
            NtQueryDirectoryFile(folder, nullptr, nullptr, nullptr, &status, buffer.get(),
                                 kQueryBytes, FileDirectoryInformation, FALSE, nullptr, first);
        if (result == kNoMoreFiles || result < 0) return;
        for (auto* bytes = reinterpret_cast<const BYTE*>(buffer.get());;) {
            const auto* info = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(bytes);
            onEntry(std::wstring_view(info->FileName, info->FileNameLength / sizeof(WCHAR)),
                    info->FileAttributes, static_cast<UINT64>(info->EndOfFile.QuadPart));
            if (info->NextEntryOffset == 0) break;
            bytes += info->NextEntryOffset;
        }
    }
}

UniqueKernelHandle OpenFolder(const std::wstring& path) {
    return UniqueKernelHandle(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                            kShareAll, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// A subfolder opened by its name relative to its parent's handle, not by its full path.
UniqueKernelHandle OpenSubfolder(HANDLE parent, std::wstring_view name) {
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.data());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(WCHAR));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    constexpr ULONG kDirectoryFile = 0x1, kSynchronous = 0x20, kForBackup = 0x4000;
    if (NtOpenFile(&handle, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &status, kShareAll,
                   kDirectoryFile | kSynchronous | kForBackup) < 0) {
        return UniqueKernelHandle();
    }
    return UniqueKernelHandle(handle);
}

UINT64 WalkWithLargeFetch(const std::wstring& root) {
    return WalkTree(root, [](const std::wstring& folder, auto&& onEntry) {
        WIN32_FIND_DATAW found;
        UniqueFindHandle find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic,
                                                 &found, FindExSearchNameMatch, nullptr,
                                                 FIND_FIRST_EX_LARGE_FETCH));
        if (!find) return;
        do {
            onEntry(found.cFileName, found.dwFileAttributes,
                    (UINT64{found.nFileSizeHigh} << 32) | found.nFileSizeLow);
        } while (::FindNextFileW(find.Get(), &found));
    });
}

UINT64 WalkWithDirectoryQuery(const std::wstring& root) {
    return WalkTree(root, [](const std::wstring& folder, auto&& onEntry) {
        if (UniqueKernelHandle open = OpenFolder(folder)) QueryOpenFolder(open.Get(), onEntry);
    });
}

UINT64 WalkRelativeFrom(HANDLE folder) {
    UINT64 total = 0;
    std::vector<std::wstring> subfolders;
    QueryOpenFolder(folder, [&](std::wstring_view name, DWORD attributes, UINT64 size) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            total += size;
        } else if (name != L"." && name != L"..") {
            subfolders.emplace_back(name);
        }
    });
    for (const std::wstring& name : subfolders) {
        if (UniqueKernelHandle child = OpenSubfolder(folder, name)) total += WalkRelativeFrom(child.Get());
    }
    return total;
}

UINT64 WalkWithRelativeOpens(const std::wstring& root) {
    UniqueKernelHandle top = OpenFolder(root);
    return top ? WalkRelativeFrom(top.Get()) : 0;
}

class AllFixed : public DriveTypeQuery {
public:
    DriveType TypeOfRoot(char16_t) override { return DriveType::Fixed; }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring tree = argc > 1 ? argv[1] : L"D:\\Big20k";
    Win32DirectoryLister lister;
    AllFixed drives;
    CriticalSection lock;
    UINT64 totals[5] = {};
    bench::WalkWithFindFirstFile(tree);  // warms the host's caches for every way alike
    const std::vector<double> ms = bench::InterleavedMedians(7, {
        [&] { totals[0] = bench::WalkWithFindFirstFile(tree); },
        [&] { totals[1] = WalkWithLargeFetch(tree); },
        [&] { totals[2] = WalkWithDirectoryQuery(tree); },
        [&] { totals[3] = WalkWithRelativeOpens(tree); },
        [&] {
            FolderCache cold(lister, drives, lock);
            totals[4] = cold.ScanFolder(ToCore(tree)).bytes;
        },
    });
    const char* const ways[] = {
        "FindFirstFileW / FindNextFileW (baseline)",
        "FindFirstFileExW, basic, large fetch",
        "NtQueryDirectoryFile, 64 KiB buffer",
        "the same, subfolders opened by name relative to their parent",
        "the server's cold scan (its lister and folder tree)",
    };
    std::printf("Listing %ls: median of 7 walks each, taken in turns\n", tree.c_str());
    bool agree = true;
    for (size_t way = 0; way < ms.size(); ++way) {
        std::printf("   %-62s %7.1f ms  ratio %.2fx\n", ways[way], ms[way], ms[way] / ms[0]);
        agree = agree && totals[way] == totals[0];
    }
    std::printf("   (target for the server's scan: <= 0.90x)\n");
    if (!agree) std::printf("   WRONG ANSWER: the totals differ\n");
    return agree ? 0 : 1;
}
