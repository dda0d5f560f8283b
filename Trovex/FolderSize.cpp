#include "FolderSize.h"

#include "walk/FolderWalk.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"

namespace trovelle {

FolderSizes LocalFolderSum(const std::wstring& folder) {
    // A plain sum through the core keeps one walker for the whole product; it stores nothing.
    Win32DirectoryLister lister;
    return SumFolderTree(lister, ToCore(folder));
}

}  // namespace trovelle
