#include "SubtreeHelpers.h"

#include <new>
#include <utility>

namespace trovelle {

SubtreeHelpers::SubtreeHelpers(DirectoryLister& lister, unsigned helpers, WalkSubtree walk)
    : lister_(lister), helperCount_(helpers), walk_(std::move(walk)) {}

SubtreeHelpers::~SubtreeHelpers() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
}

void SubtreeHelpers::Offer(std::vector<std::shared_ptr<OfferedSubtree>> subtrees) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        offered_.insert(offered_.end(), subtrees.begin(), subtrees.end());
        // Started at the first offer: most measurements never make one.
        while (helpers_.size() < helperCount_) helpers_.emplace_back([this] { Help(); });
    }
    changed_.notify_all();
}

bool SubtreeHelpers::Claim(OfferedSubtree& subtree) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (subtree.state == OfferedSubtree::State::Offered) {
        subtree.state = OfferedSubtree::State::Taken;
        return true;
    }
    while (subtree.state != OfferedSubtree::State::Done) {
        if (WalkOne(lock)) continue;
        changed_.wait(lock, [&] { return subtree.state == OfferedSubtree::State::Done || HasOffered(); });
    }
    subtree.state = OfferedSubtree::State::Taken;
    return false;
}

void SubtreeHelpers::Help() {
    ScanScope scope(lister_);  // what the lister keeps for this thread goes with it
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (WalkOne(lock)) continue;
        changed_.wait(lock, [&] { return stopping_ || HasOffered(); });
    }
}

bool SubtreeHelpers::HasOffered() {
    while (!offered_.empty() && offered_.back()->state != OfferedSubtree::State::Offered) {
        offered_.pop_back();
    }
    return !offered_.empty();
}

bool SubtreeHelpers::WalkOne(std::unique_lock<std::mutex>& lock) {
    if (!HasOffered()) return false;
    const std::shared_ptr<OfferedSubtree> subtree = std::move(offered_.back());
    offered_.pop_back();
    subtree->state = OfferedSubtree::State::Walking;
    lock.unlock();
    Measured measured{0, false};
    try {
        measured = walk_(*subtree);
    } catch (const std::bad_alloc&) {
        // Counted as a folder that could not be measured: the totals above stay provisional.
    }
    lock.lock();
    subtree->measured = measured;
    subtree->state = OfferedSubtree::State::Done;
    changed_.notify_all();
    return true;
}

}  // namespace trovelle
