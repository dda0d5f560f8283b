// Back and Forward: the folders shown in this window, and where in that list the window is.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace trovelle::browser {

class NavigationHistory {
public:
    // A folder reached by any way but Back or Forward: what lay ahead is dropped.
    void Visit(const std::wstring& folder) {
        if (!entries_.empty() && entries_[current_] == folder) return;
        if (!entries_.empty()) entries_.resize(current_ + 1);
        entries_.push_back(folder);
        current_ = entries_.size() - 1;
    }
    std::optional<std::wstring> BackTarget() const {
        if (current_ == 0 || entries_.empty()) return std::nullopt;
        return entries_[current_ - 1];
    }
    std::optional<std::wstring> ForwardTarget() const {
        if (current_ + 1 >= entries_.size()) return std::nullopt;
        return entries_[current_ + 1];
    }
    // Called once the folder of BackTarget or ForwardTarget is shown.
    void WentBack() { if (BackTarget()) --current_; }
    void WentForward() { if (ForwardTarget()) ++current_; }

private:
    std::vector<std::wstring> entries_;
    size_t current_ = 0;
};

}  // namespace trovelle::browser
