// Folders whose changes are reported under another path: a link's target (the system reports a
// change under the target, while the cache counted it through the link). A change reported at a
// path is also applied at every path its aliases lead to. Keys are folded. Both directions are
// kept in order, so that the aliases at or below a folder cost only themselves to find. Not
// thread safe: used under the cache lock.
#pragma once

#include <cstddef>
#include <map>
#include <string_view>
#include <vector>

#include "system/Platform.h"

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
    // Appends the `to` of every alias whose `from` is `folder` or below it: the links whose
    // targets a change at `folder` reaches. With `forget`, those aliases are dropped too.
    void AppendLinksAtOrBelow(std::u16string_view folder, std::vector<Path>& paths, bool forget);

    void Clear();
    size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }

private:
    void Erase(const Path& from, const Path& to);

    std::map<Path, std::vector<Path>, std::less<>> targetsByFrom_;
    std::multimap<Path, Path, std::less<>> fromsByTo_;
    size_t capacity_;
    size_t count_ = 0;
};

}  // namespace trovelle
