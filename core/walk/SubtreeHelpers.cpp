#include "walk/SubtreeHelpers.h"

#include <algorithm>
#include <new>
#include <utility>

namespace trovelle {

OfferingWalk::~OfferingWalk() { helpers_.EndWalk(*this); }

SubtreeHelpers::SubtreeHelpers(DirectoryLister& lister, unsigned helpers) : lister_(lister) {
    for (unsigned helper = 0; helper < helpers; ++helper) {
        helpers_.emplace_back([this] { Help(); });
    }
}

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
    }
    changed_.notify_all();
}

bool SubtreeHelpers::Claim(OfferedSubtree& subtree) {
    std::unique_lock<std::mutex> lock(mutex_);
    // Taken already: the walk ended early while one of its helpers went on below this offer.
    if (subtree.state == OfferedSubtree::State::Offered ||
        subtree.state == OfferedSubtree::State::Taken) {
        subtree.state = OfferedSubtree::State::Taken;
        return true;
    }
    while (subtree.state != OfferedSubtree::State::Done) {
        if (auto own = NextOffered(subtree.walk)) {
            WalkOne(own, lock);
            continue;
        }
        changed_.wait(lock, [&] {
            return subtree.state == OfferedSubtree::State::Done || NextOffered(subtree.walk);
        });
    }
    subtree.state = OfferedSubtree::State::Taken;
    return false;
}

void SubtreeHelpers::EndWalk(OfferingWalk& walk) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (const auto& subtree : offered_) {
        if (subtree->walk == &walk && subtree->state == OfferedSubtree::State::Offered) {
            subtree->state = OfferedSubtree::State::Taken;
        }
    }
    changed_.wait(lock, [&] { return walk.walking_ == 0; });
}

void SubtreeHelpers::Help() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (auto subtree = NextOffered(nullptr)) {
            WalkOne(subtree, lock);
            lock.unlock();
            lister_.EndScan();  // what the lister kept for this thread goes with the subtree
            lock.lock();
            continue;
        }
        changed_.wait(lock, [&] { return stopping_ || NextOffered(nullptr); });
    }
}

std::shared_ptr<OfferedSubtree> SubtreeHelpers::NextOffered(const OfferingWalk* only) {
    const auto waits = [](const std::shared_ptr<OfferedSubtree>& subtree) {
        return subtree->state == OfferedSubtree::State::Offered;
    };
    while (!offered_.empty() && !waits(offered_.back())) offered_.pop_back();
    const auto next = std::find_if(offered_.rbegin(), offered_.rend(), [&](const auto& subtree) {
        return waits(subtree) && (only == nullptr || subtree->walk == only);
    });
    if (next == offered_.rend()) return nullptr;
    return *next;
}

void SubtreeHelpers::WalkOne(const std::shared_ptr<OfferedSubtree>& subtree,
                             std::unique_lock<std::mutex>& lock) {
    OfferingWalk& walk = *subtree->walk;
    subtree->state = OfferedSubtree::State::Walking;
    ++walk.walking_;
    lock.unlock();
    Measured measured{{}, false};
    try {
        measured = walk.measure_(*subtree);
    } catch (const std::bad_alloc&) {
        // Counted as a folder that could not be measured: the totals above stay provisional.
    }
    lock.lock();
    subtree->measured = measured;
    subtree->state = OfferedSubtree::State::Done;
    --walk.walking_;
    changed_.notify_all();
}

}  // namespace trovelle
