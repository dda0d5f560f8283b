// A treemap to draw for tests and the benchmark: 10 folders of 10 folders of 100 files, each
// file's name and size from the caller.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "TreemapItem.h"

namespace trovelle::test {

// `fileOf(top, middle, file)` gives the file's name and bytes.
template <typename FileOf>
browser::TreemapItem TreemapSample(const std::wstring& rootPath, FileOf&& fileOf) {
    browser::TreemapItem root{L"Big", rootPath, 0, true, {}};
    for (int top = 0; top < 10; ++top) {
        const std::wstring topName = L"Top" + std::to_wstring(top);
        browser::TreemapItem topFolder{topName, root.path + L"\\" + topName, 0, true, {}};
        for (int middle = 0; middle < 10; ++middle) {
            const std::wstring name = L"Sub" + std::to_wstring(middle);
            browser::TreemapItem folder{name, topFolder.path + L"\\" + name, 0, true, {}};
            for (int file = 0; file < 100; ++file) {
                const std::pair<std::wstring, uint64_t> made = fileOf(top, middle, file);
                folder.children.push_back({made.first, folder.path + L"\\" + made.first, made.second, false, {}});
                folder.bytes += made.second;
            }
            topFolder.bytes += folder.bytes;
            topFolder.children.push_back(std::move(folder));
        }
        root.bytes += topFolder.bytes;
        root.children.push_back(std::move(topFolder));
    }
    return root;
}

}  // namespace trovelle::test
