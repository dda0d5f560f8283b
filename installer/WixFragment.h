// Writes the COM deliverables as WiX components: each file with the registry rows that belong to
// it, and a second component for the rows of the 32-bit registry view.
#pragma once

#include <string>
#include <vector>

#include "PackageRegistry.h"

namespace trovelle::installer {

struct DeliverableFile {
    std::wstring fileName;   // also the File and Component identifier
    std::wstring source;     // where the build put the file
    std::vector<PackageRow> rows;
};

// A whole WiX source: a fragment that puts the files into `directoryId` and lists their
// components in the component group `groupId`. UTF-8.
std::string WixFragment(const std::vector<DeliverableFile>& files, const std::wstring& directoryId,
                        const std::wstring& groupId);

}  // namespace trovelle::installer
