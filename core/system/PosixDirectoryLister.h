// Lists folders of the Linux file system; used by the native tests and benchmarks.
#pragma once

#include "system/Platform.h"

namespace trovelle {

class PosixDirectoryLister : public DirectoryLister {
public:
    // Paths use '\\' as separator like Windows paths; they are mapped to '/' for the system.
    bool List(const Path& folder, std::vector<DirectoryEntry>& entries) override;
    bool Identify(const Path& folder, FolderIdentity& identity) override;
    void EndScan() override;
};

std::string ToNativePath(const Path& path);
Path FromNativePath(const std::string& path);

}  // namespace trovelle
