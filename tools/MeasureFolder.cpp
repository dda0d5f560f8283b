// Measures a folder through the Win32 lister and the folder size tree, twice, and shows that the
// second answer comes from the cache.
#include <windows.h>

#include <cstdio>
#include <string>

#include "cache/FolderCache.h"
#include "CriticalSection.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"
#include "Win32FileSystem.h"

int wmain(int argc, wchar_t** argv) {
    using namespace trovelle;
    const std::wstring folder = argc > 1 ? argv[1] : L"D:\\Sample";

    Win32DirectoryLister lister;
    Win32DriveTypes drives;
    CriticalSection lock;
    FolderCache cache(lister, drives, lock);

    const uint64_t first = cache.GetFolderSize(ToCore(folder));
    const uint64_t listedFirst = lister.ListingCount();
    const uint64_t second = cache.GetFolderSize(ToCore(folder));
    const uint64_t listedSecond = lister.ListingCount() - listedFirst;

    std::wprintf(L"Folder:          %ls\n", folder.c_str());
    std::wprintf(L"Total size:      %llu bytes\n", static_cast<unsigned long long>(first));
    std::wprintf(L"Folders listed:  %llu\n", static_cast<unsigned long long>(listedFirst));
    std::wprintf(L"Cached folders:  %llu\n",
                 static_cast<unsigned long long>(cache.CachedFolderCount()));
    std::wprintf(L"Second answer:   %llu bytes (%llu folders listed)\n",
                 static_cast<unsigned long long>(second),
                 static_cast<unsigned long long>(listedSecond));
    return first == second ? 0 : 1;
}
