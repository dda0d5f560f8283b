// Threads that walk whole subtrees for a walk: it offers the subfolders of the folders near its
// top, helpers take the newest offer first, and the walk goes through them from the oldest,
// taking each one back that no helper began. Used by the walk, which alone knows how to measure
// a subtree below the path that leads to it.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "FolderWalk.h"
#include "Platform.h"

namespace trovelle {

// A subfolder given to the helpers, with the descent path down to its parent.
struct OfferedSubtree {
    enum class State { Offered, Walking, Done, Taken };
    std::shared_ptr<const std::vector<WalkFrame>> above;
    Path path;
    State state = State::Offered;
    Measured measured;  // once Done
};

class SubtreeHelpers {
public:
    using WalkSubtree = std::function<Measured(const OfferedSubtree&)>;

    // `walk` measures an offered subtree on whichever thread takes it.
    SubtreeHelpers(DirectoryLister& lister, unsigned helpers, WalkSubtree walk);
    ~SubtreeHelpers();
    SubtreeHelpers(const SubtreeHelpers&) = delete;
    SubtreeHelpers& operator=(const SubtreeHelpers&) = delete;

    void Offer(std::vector<std::shared_ptr<OfferedSubtree>> subtrees);
    // True when the caller is to walk `subtree` itself, as no helper began it. Otherwise its
    // total is in `subtree.measured` when this returns; while a helper walks it, other offered
    // subtrees are walked here meanwhile.
    bool Claim(OfferedSubtree& subtree);

private:
    void Help();
    // Whether an offered subtree waits; drops those the offering walk took back meanwhile.
    bool HasOffered();
    // Walks the newest subtree nobody began, with `lock` released meanwhile; false when none
    // waits.
    bool WalkOne(std::unique_lock<std::mutex>& lock);

    DirectoryLister& lister_;
    const unsigned helperCount_;
    const WalkSubtree walk_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<OfferedSubtree>> offered_;  // newest last
    bool stopping_ = false;
    std::vector<std::thread> helpers_;
};

}  // namespace trovelle
