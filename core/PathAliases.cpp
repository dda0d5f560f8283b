#include "PathAliases.h"

#include <algorithm>

#include "FolderKey.h"

namespace trovelle {

bool PathAliases::Add(std::u16string_view from, std::u16string_view to) {
    if (from == to) return true;
    std::vector<Path>& targets = targetsByFrom_[Path(from)];
    if (std::find(targets.begin(), targets.end(), to) != targets.end()) return true;
    if (count_ >= capacity_) {
        if (targets.empty()) targetsByFrom_.erase(Path(from));
        return false;
    }
    targets.emplace_back(to);
    ++count_;
    return true;
}

void PathAliases::ForgetTargetsUnder(std::u16string_view folder) {
    if (count_ == 0) return;
    for (auto entry = targetsByFrom_.begin(); entry != targetsByFrom_.end();) {
        std::vector<Path>& targets = entry->second;
        const size_t before = targets.size();
        targets.erase(std::remove_if(targets.begin(), targets.end(),
                                     [&](const Path& to) { return IsAtOrBelow(to, folder); }),
                      targets.end());
        count_ -= before - targets.size();
        entry = targets.empty() ? targetsByFrom_.erase(entry) : std::next(entry);
    }
}

void PathAliases::AppendTranslations(std::u16string_view path, std::vector<Path>& paths) const {
    if (count_ == 0) return;
    for (std::u16string_view prefix = path;;) {
        const auto found = targetsByFrom_.find(Path(prefix));
        if (found != targetsByFrom_.end()) {
            for (const Path& target : found->second) {
                Path translated = target + Path(path.substr(prefix.size()));
                if (std::find(paths.begin(), paths.end(), translated) == paths.end()) {
                    paths.push_back(std::move(translated));
                }
            }
        }
        const std::u16string_view up = ContainingFolder(prefix);
        if (up.size() == prefix.size()) return;
        prefix = up;
    }
}

void PathAliases::Clear() {
    targetsByFrom_.clear();
    count_ = 0;
}

}  // namespace trovelle
