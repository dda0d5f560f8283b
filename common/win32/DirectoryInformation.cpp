#include "DirectoryInformation.h"

namespace trovelle {

UniqueKernelHandle OpenFolderToList(const std::wstring& path) {
    return UniqueKernelHandle(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
}

}  // namespace trovelle
