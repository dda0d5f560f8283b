#include "walk/FolderWalk.h"

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <utility>

#include "index/Totals.h"
#include "walk/SubtreeHelpers.h"

namespace trovelle {
namespace {

// Frames at most this deep (the requested folder is 0) offer their plain subfolders to helpers:
// near the top a subtree is large enough to be worth a hand-over.
constexpr size_t kOfferDepth = 2;

bool IsDotOrDotDot(const std::u16string& name) { return name == u"." || name == u".."; }

Path ChildPath(const Path& folder, const std::u16string& name) {
    Path child;
    child.reserve(folder.size() + 1 + name.size());
    child.append(folder).append(1, u'\\').append(name);
    return child;
}

struct IdentityOrder {
    bool operator()(const FolderIdentity& a, const FolderIdentity& b) const {
        return std::tie(a.volume, a.file) < std::tie(b.volume, b.file);
    }
};

// Splits a listing into the file sum and the subfolders to visit, as the record's flags ask.
void ReadListing(const std::vector<DirectoryEntry>& entries, WalkFrame& frame) {
    const bool sumFiles = frame.record.sizeInvalid != 0;
    const bool visitFolders = frame.record.childSizeInvalid != 0;
    frame.fileSum = sumFiles ? ByteTotals{} : frame.record.size;
    frame.childSum = visitFolders ? ByteTotals{} : frame.record.childSize;
    for (const DirectoryEntry& entry : entries) {
        if (entry.isFolder && visitFolders) {
            if (!IsDotOrDotDot(entry.name)) frame.subfolders.push_back({entry.name, entry.isLink});
        } else if (sumFiles) {
            frame.fileSum = AddCapped(frame.fileSum, ByteTotals{entry.size, entry.allocation});
        }
    }
}

class Walk {
public:
    Walk(DirectoryLister& lister, WalkKeeper* keeper, OfferingWalk* offering)
        : lister_(lister), keeper_(keeper), offering_(offering) {}

    // Measures `folder`; below `above` (the descent path of another walk down to its parent),
    // or as the requested folder when `above` is null.
    Measured Measure(const Path& folder, const std::vector<WalkFrame>* above = nullptr) {
        above_ = above;
        if (auto measured = Enter(Path(folder), std::nullopt, true)) return *measured;
        Measured result;
        while (!stack_.empty()) {
            WalkFrame& top = stack_.back();
            if (top.next < top.subfolders.size()) {
                const size_t at = top.next++;
                if (at < top.offered.size() && top.offered[at]) {
                    // Let go of the offer at once: a wide folder's offers add up.
                    const std::shared_ptr<OfferedSubtree> offer = std::move(top.offered[at]);
                    if (!offering_->Helpers().Claim(*offer)) {
                        Credit(offer->measured);  // a helper walked it
                        continue;
                    }
                }
                const Subfolder& sub = top.subfolders[at];
                Visit(ChildPath(top.path, sub.name), sub.isLink);
                continue;
            }
            Measured measured{AddCapped(top.fileSum, top.childSum), top.complete};
            if (keeper_ != nullptr && top.kept) keeper_->Close(top, measured);
            if (top.reachedThroughLink && top.identity) {
                linkedTotals_[*top.identity] = LinkedTotal{measured, top.path};
            }
            stack_.pop_back();
            if (stack_.empty()) {
                result = measured;
            } else {
                Credit(measured);
            }
        }
        return result;
    }

private:
    void Credit(const Measured& measured) {
        WalkFrame& parent = stack_.back();
        parent.childSum = AddCapped(parent.childSum, measured.total);
        parent.complete = parent.complete && measured.complete;
    }

    void Visit(Path child, bool isLink) {
        std::optional<FolderIdentity> target;
        bool mayKeep = true;
        std::optional<Measured> measured;
        if (isLink) measured = FollowLink(child, target, mayKeep);
        if (!measured) measured = Enter(std::move(child), target, mayKeep);
        if (measured) Credit(*measured);
    }

    // Opens `path` below the top frame (or as the requested folder). Returns the folder's total
    // when it is known without listing its subfolders; otherwise pushes a frame.
    std::optional<Measured> Enter(Path path, const std::optional<FolderIdentity>& linkTarget,
                                  bool mayKeep) {
        WalkFrame frame;
        frame.path = std::move(path);
        frame.identity = linkTarget;
        frame.reachedThroughLink = linkTarget.has_value();
        const WalkFrame* parent = !stack_.empty() ? &stack_.back()
                                  : above_ != nullptr && !above_->empty() ? &above_->back()
                                                                          : nullptr;
        const bool requested = parent == nullptr;
        if (keeper_ != nullptr) keeper_->Open(frame, parent, mayKeep);
        if (frame.record.sizeInvalid == 0 && frame.record.childSizeInvalid == 0) {
            return Measured{AddCapped(frame.record.size, frame.record.childSize), true};
        }
        if (!lister_.List(frame.path, entries_)) {
            if (keeper_ != nullptr) keeper_->Unlisted(frame, requested);
            return Measured{{}, false};
        }
        ReadListing(entries_, frame);
        stack_.push_back(std::move(frame));
        OfferSubfoldersOfTop();
        return std::nullopt;
    }

    // Offers the plain subfolders of a folder near the top, all but the first (which the walk
    // goes into at once). Links stay with the walk: their once-per-walk rule needs its record of
    // what links reached.
    void OfferSubfoldersOfTop() {
        const size_t depth = (above_ != nullptr ? above_->size() : 0) + stack_.size() - 1;
        WalkFrame& top = stack_.back();
        if (offering_ == nullptr || depth >= kOfferDepth || top.subfolders.size() < 2) return;
        // What a helper's walk needs of the path above it: every folder's identity, to close
        // loops, and of the parent also what a keeper looks at.
        auto above = std::make_shared<std::vector<WalkFrame>>();
        const auto keep = [&](const WalkFrame& frame) {
            WalkFrame& copy = above->emplace_back();
            copy.path = frame.path;
            copy.kept = frame.kept;
            copy.identity = frame.identity;
        };
        if (above_ != nullptr) std::for_each(above_->begin(), above_->end(), keep);
        for (WalkFrame& frame : stack_) {
            IdentityOf(frame);
            keep(frame);
        }
        above->back().subfolders = top.subfolders;
        std::vector<std::shared_ptr<OfferedSubtree>> offers;
        top.offered.resize(top.subfolders.size());
        for (size_t at = 1; at < top.subfolders.size(); ++at) {
            if (top.subfolders[at].isLink) continue;
            auto subtree = std::make_shared<OfferedSubtree>();
            subtree->walk = offering_;
            subtree->above = above;
            subtree->subfolder = at;
            top.offered[at] = subtree;
            offers.push_back(std::move(subtree));
        }
        offering_->Helpers().Offer(std::move(offers));
    }

    const FolderIdentity& IdentityOf(WalkFrame& frame) {
        if (!frame.identity) {
            FolderIdentity identity;
            frame.identity = lister_.Identify(frame.path, identity) ? identity : FolderIdentity{};
        }
        return *frame.identity;
    }

    // Decides how a link below the top frame is counted: skipped (it leads back onto the path),
    // answered from what is known already, or entered (returns nothing, with the target's
    // identity when it is known).
    std::optional<Measured> FollowLink(const Path& child, std::optional<FolderIdentity>& target,
                                       bool& mayKeep) {
        FolderIdentity identity;
        const bool identified = lister_.Identify(child, identity);
        if (identified && ClosesLoop(identity)) return Measured{{}, true};
        if (keeper_ != nullptr) {
            LinkPlan plan = keeper_->PlanLink(stack_.back(), child);
            if (plan.known) return plan.known;
            mayKeep = plan.mayKeep;
        }
        if (identified) {
            if (auto known = linkedTotals_.find(identity); known != linkedTotals_.end()) {
                if (keeper_ != nullptr) keeper_->SameFolder(stack_.back(), known->second.path, child);
                return known->second.measured;
            }
            target = identity;
        }
        return std::nullopt;
    }

    // Whether descending into a folder of identity `target` would re-enter one on the path.
    bool ClosesLoop(const FolderIdentity& target) {
        if (target == FolderIdentity{}) return false;
        if (above_ != nullptr) {
            for (const WalkFrame& frame : *above_) {
                if (frame.identity == target) return true;
            }
        }
        for (WalkFrame& frame : stack_) {
            if (IdentityOf(frame) == target) return true;
        }
        return false;
    }

    DirectoryLister& lister_;
    WalkKeeper* keeper_;
    OfferingWalk* offering_;
    const std::vector<WalkFrame>* above_ = nullptr;
    std::vector<WalkFrame> stack_;
    std::vector<DirectoryEntry> entries_;
    // Totals of folders reached through links, with the path they were measured at: a folder
    // met again through another link is counted again (as links are) but listed only once.
    struct LinkedTotal {
        Measured measured;
        Path path;
    };
    std::map<FolderIdentity, LinkedTotal, IdentityOrder> linkedTotals_;
};

}  // namespace

Measured WalkFolder(DirectoryLister& lister, const Path& folder, WalkKeeper* keeper,
                    SubtreeHelpers* helpers) {
    ScanScope scope(lister);
    if (helpers == nullptr) return Walk(lister, keeper, nullptr).Measure(folder);
    OfferingWalk offering(*helpers, [&](const OfferedSubtree& subtree) {
        const WalkFrame& parent = subtree.above->back();
        return Walk(lister, keeper, &offering)
            .Measure(ChildPath(parent.path, parent.subfolders[subtree.subfolder].name),
                     subtree.above.get());
    });
    return Walk(lister, keeper, &offering).Measure(folder);
}

}  // namespace trovelle
