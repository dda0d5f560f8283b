#include "DirectoryInformation.h"

#include "Win32FileSystem.h"

namespace trovelle {

UniqueKernelHandle OpenFolderToList(const std::wstring& path) {
    return UniqueKernelHandle(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
}

UniqueKernelHandle OpenNamedFolderToList(const std::wstring& folder) {
    // One allocation, as the listers open every folder of a scan this way.
    std::wstring path;
    path.reserve(folder.size() + 1);
    path = folder;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return OpenFolderToList(LongPathForm(path));
}

}  // namespace trovelle
