// Folders whose changes are reported under another path: a link's target (the system reports a
// change under the target, while the cache counted it through the link). A change reported at a
// path is also applied at every path its aliases lead to. Keys are folded. Not thread safe: used
// under the cache lock.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Platform.h"

namespace trovelle {

class PathAliases {
public:
    explicit PathAliases(size_t capacity) : capacity_(capacity) {}

    // Changes at or below `from` also concern the same place below `to`. False when the table
    // is full (the alias is not kept); an alias already known, or one onto itself, is no news.
    bool Add(std::u16string_view from, std::u16string_view to);
    // The folder `folder` went away: aliases that lead to it or below it are dropped.
    void ForgetTargetsUnder(std::u16string_view folder);
    // Appends to `paths` every path that `path` stands for through one alias (one whose `from`
    // is `path` or a folder above it) and that `paths` does not hold yet.
    void AppendTranslations(std::u16string_view path, std::vector<Path>& paths) const;

    void Clear();
    size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }

private:
    std::unordered_map<Path, std::vector<Path>> targetsByFrom_;
    size_t capacity_;
    size_t count_ = 0;
};

}  // namespace trovelle
