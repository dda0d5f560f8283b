#include "cache/PathAliases.h"

#include <algorithm>

#include "index/FolderKey.h"

namespace trovelle {
namespace {

// Calls `visit` for each entry of `map` whose key is `folder` or lies below it; `visit` may
// erase the entry it is given and returns the iterator to go on from.
template <typename Map, typename Visit>
void ForEachAtOrBelow(Map& map, std::u16string_view folder, Visit&& visit) {
    for (auto it = map.lower_bound(folder); it != map.end() && it->first == folder;) it = visit(it);
    // Keys below `folder` sort after "folder\" and may follow unrelated keys such as "folder!".
    Path below(folder);
    below.push_back(u'\\');
    for (auto it = map.lower_bound(below);
         it != map.end() && std::u16string_view(it->first).substr(0, below.size()) == below;) {
        it = visit(it);
    }
}

void AppendOnce(std::vector<Path>& paths, Path path) {
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(std::move(path));
}

}  // namespace

bool PathAliases::Add(std::u16string_view from, std::u16string_view to) {
    if (from == to) return true;
    auto found = targetsByFrom_.find(from);
    if (found != targetsByFrom_.end() &&
        std::find(found->second.begin(), found->second.end(), to) != found->second.end()) {
        return true;
    }
    if (count_ >= capacity_) return false;
    if (found == targetsByFrom_.end()) found = targetsByFrom_.emplace(Path(from), std::vector<Path>{}).first;
    found->second.emplace_back(to);
    fromsByTo_.emplace(Path(to), Path(from));
    ++count_;
    return true;
}

void PathAliases::Erase(const Path& from, const Path& to) {
    const auto found = targetsByFrom_.find(from);
    if (found == targetsByFrom_.end()) return;
    std::vector<Path>& targets = found->second;
    const auto at = std::find(targets.begin(), targets.end(), to);
    if (at == targets.end()) return;
    targets.erase(at);
    if (targets.empty()) targetsByFrom_.erase(found);
    --count_;
}

void PathAliases::ForgetTargetsUnder(std::u16string_view folder) {
    if (count_ == 0) return;
    ForEachAtOrBelow(fromsByTo_, folder, [&](auto it) {
        Erase(it->second, it->first);
        return fromsByTo_.erase(it);
    });
}

void PathAliases::AppendLinksAtOrBelow(std::u16string_view folder, std::vector<Path>& paths,
                                       bool forget) {
    if (count_ == 0) return;
    ForEachAtOrBelow(targetsByFrom_, folder, [&](auto it) {
        for (const Path& to : it->second) {
            AppendOnce(paths, to);
            if (!forget) continue;
            for (auto back = fromsByTo_.lower_bound(to);
                 back != fromsByTo_.end() && back->first == to; ++back) {
                if (back->second == it->first) {
                    fromsByTo_.erase(back);
                    break;
                }
            }
        }
        if (!forget) return std::next(it);
        count_ -= it->second.size();
        return targetsByFrom_.erase(it);
    });
}

void PathAliases::AppendTranslations(std::u16string_view path, std::vector<Path>& paths) const {
    if (count_ == 0) return;
    for (std::u16string_view prefix = path;;) {
        const auto found = targetsByFrom_.find(prefix);
        if (found != targetsByFrom_.end()) {
            for (const Path& target : found->second) AppendOnce(paths, target + Path(path.substr(prefix.size())));
        }
        const std::u16string_view up = ContainingFolder(prefix);
        if (up.size() == prefix.size()) return;
        prefix = up;
    }
}

void PathAliases::Clear() {
    targetsByFrom_.clear();
    fromsByTo_.clear();
    count_ = 0;
}

}  // namespace trovelle
