#include "DebugDump.h"

#include <shlwapi.h>

#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "WideText.h"

namespace trovelle {
namespace {

constexpr UINT kOnlyMissingPaths = 1;
constexpr UINT kWithCounters = 2;  // a header with what the cache met since it started

std::string ToAnsi(const std::wstring& text) {
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr,
                                            nullptr);
    if (bytes <= 1) return {};
    std::string ansi(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), bytes, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(bytes) - 1);
    return ansi;
}

void Write(HANDLE file, const std::string& text) {
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// What the dump shows of a node, copied under the cache lock so that the slow part (asking
// the disk whether each path exists, writing to a file of the caller's choice) runs without it.
struct NodeCopy {
    std::wstring key;
    intptr_t parent = 0;
    uint64_t size = 0;
    uint64_t childSize = 0;
    uint32_t sizeInvalid = 0;
    uint32_t childSizeInvalid = 0;
};

// "Path valid: %i\nHave parent: %I64i\nSize = %I64u (%i)\nChild size = %I64u (%i)\n\n"
std::string RecordText(bool pathValid, const NodeCopy& node) {
    return "\nPath valid: " + std::to_string(pathValid ? 1 : 0) +
           "\nHave parent: " + std::to_string(node.parent) +
           "\nSize = " + std::to_string(node.size) + " (" + std::to_string(node.sizeInvalid) +
           ")\nChild size = " + std::to_string(node.childSize) + " (" +
           std::to_string(node.childSizeInvalid) + ")\n\n";
}

}  // namespace

HRESULT WriteDebugDump(FolderCache& cache, const wchar_t* file, UINT flags,
                       const std::string& watches) {
    if (file == nullptr) return S_FALSE;
    UniqueKernelHandle output(::CreateFileW(file, FILE_ALL_ACCESS, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) return S_FALSE;
    if ((flags & kWithCounters) != 0) {
        const CacheCounters& counters = cache.Counters();
        Write(output.Get(), "Batches applied: " + std::to_string(counters.batchesApplied) +
                                "\nOverflows: " + std::to_string(counters.overflows) +
                                "\nFailed arms: " + std::to_string(counters.failedArms) +
                                "\nStale drives: " + std::to_string(counters.staleDrives) +
                                "\nUnlistable folders: " +
                                std::to_string(counters.unlistableFolders) +
                                "\nObjects handed out: " +
                                std::to_string(counters.objectsHandedOut) + "\n" + watches +
                                "\n");
    }
    std::vector<NodeCopy> nodes;
    cache.VisitLocked([&](const CachedFolderView& folder) {
        const FolderNode& node = folder.node;
        const intptr_t parent = folder.parent != nullptr ? folder.parent->self : 0;
        nodes.push_back({ToWide(folder.key), parent, node.size.bytes, node.childSize.bytes, node.sizeInvalid,
                         node.childSizeInvalid});
    });
    unsigned number = 1;
    for (const NodeCopy& node : nodes) {
        const bool pathValid = ::PathFileExistsW(node.key.c_str()) != FALSE;
        if ((flags & kOnlyMissingPaths) != 0 && pathValid) continue;
        Write(output.Get(),
              std::to_string(number) + ") " + ToAnsi(node.key) + RecordText(pathValid, node));
        ++number;
    }
    return S_OK;
}

}  // namespace trovelle
