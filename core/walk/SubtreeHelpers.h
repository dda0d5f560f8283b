// Threads kept by a cache that walk whole subtrees for its walks. A walk offers the subfolders
// of the folders near its top; helpers take the newest offer first, and the walk goes through
// its subfolders from the oldest, taking back each one no helper began. The threads are started
// once and shared by every walk, so concurrent cold requests add no threads of their own.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "system/Platform.h"
#include "walk/WalkFrame.h"

namespace trovelle {

class SubtreeHelpers;

// One walk that offers subtrees: how any of them is measured, on whichever thread takes it.
// Nothing the walk offered is touched once this is gone.
class OfferingWalk {
public:
    using MeasureSubtree = std::function<Measured(const OfferedSubtree&)>;

    OfferingWalk(SubtreeHelpers& helpers, MeasureSubtree measure)
        : helpers_(helpers), measure_(std::move(measure)) {}
    ~OfferingWalk();
    OfferingWalk(const OfferingWalk&) = delete;
    OfferingWalk& operator=(const OfferingWalk&) = delete;

    SubtreeHelpers& Helpers() const { return helpers_; }

private:
    friend class SubtreeHelpers;
    SubtreeHelpers& helpers_;
    const MeasureSubtree measure_;
    unsigned walking_ = 0;  // subtrees a helper is on; guarded by the helpers' mutex
};

// A subfolder given to the helpers, with the descent path down to its parent. A folder offers
// all its subfolders at once, so an offer holds no path of its own: its name is among the
// parent's subfolders (the last frame of `above`).
struct OfferedSubtree {
    enum class State { Offered, Walking, Done, Taken };
    OfferingWalk* walk = nullptr;
    std::shared_ptr<const std::vector<WalkFrame>> above;
    size_t subfolder = 0;  // its place among the parent's subfolders
    State state = State::Offered;
    Measured measured;  // once Done
};

class SubtreeHelpers {
public:
    // Starts `helpers` threads, which wait for offers until this is destroyed.
    SubtreeHelpers(DirectoryLister& lister, unsigned helpers);
    ~SubtreeHelpers();
    SubtreeHelpers(const SubtreeHelpers&) = delete;
    SubtreeHelpers& operator=(const SubtreeHelpers&) = delete;

    void Offer(std::vector<std::shared_ptr<OfferedSubtree>> subtrees);
    // True when the caller is to walk `subtree` itself, as no helper began it. Otherwise its
    // total is in `subtree.measured` when this returns; while a helper walks it, the same walk's
    // other offers are walked here meanwhile (never another walk's: a client's request is not
    // to wait for a drive scan's subtree).
    bool Claim(OfferedSubtree& subtree);

private:
    friend class OfferingWalk;
    // Takes back what `walk` offered and no helper began, and waits for the helpers on its
    // subtrees: a walk that ends early (out of memory) leaves nothing behind.
    void EndWalk(OfferingWalk& walk);
    void Help();
    // The newest subtree nobody began, of `only` when given; drops those taken back meanwhile.
    std::shared_ptr<OfferedSubtree> NextOffered(const OfferingWalk* only);
    // Walks `subtree` with `lock` released meanwhile.
    void WalkOne(const std::shared_ptr<OfferedSubtree>& subtree,
                 std::unique_lock<std::mutex>& lock);

    DirectoryLister& lister_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<OfferedSubtree>> offered_;  // newest last
    bool stopping_ = false;
    std::vector<std::thread> helpers_;
};

}  // namespace trovelle
