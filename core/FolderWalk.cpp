#include "FolderWalk.h"

#include <map>
#include <tuple>
#include <utility>

#include "Totals.h"

namespace trovelle {
namespace {

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
    frame.fileSum = sumFiles ? 0 : frame.record.size;
    frame.childSum = visitFolders ? 0 : frame.record.childSize;
    for (const DirectoryEntry& entry : entries) {
        if (entry.isFolder && visitFolders) {
            if (!IsDotOrDotDot(entry.name)) frame.subfolders.push_back({entry.name, entry.isLink});
        } else if (sumFiles) {
            frame.fileSum = AddCapped(frame.fileSum, entry.size);
        }
    }
}

class Walk {
public:
    Walk(DirectoryLister& lister, WalkKeeper* keeper) : lister_(lister), keeper_(keeper) {}

    uint64_t Run(const Path& folder) {
        if (auto measured = Enter(Path(folder), std::nullopt, true)) return measured->total;
        uint64_t result = 0;
        while (!stack_.empty()) {
            WalkFrame& top = stack_.back();
            if (top.next < top.subfolders.size()) {
                const Subfolder& sub = top.subfolders[top.next++];
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
                result = measured.total;
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
        const bool requested = stack_.empty();
        if (keeper_ != nullptr) keeper_->Open(frame, requested ? nullptr : &stack_.back(), mayKeep);
        if (frame.record.sizeInvalid == 0 && frame.record.childSizeInvalid == 0) {
            return Measured{AddCapped(frame.record.size, frame.record.childSize), true};
        }
        if (!lister_.List(frame.path, entries_)) {
            if (keeper_ != nullptr) keeper_->Unlisted(frame, requested);
            return Measured{0, false};
        }
        ReadListing(entries_, frame);
        stack_.push_back(std::move(frame));
        return std::nullopt;
    }

    // Decides how a link below the top frame is counted: skipped (it leads back onto the path),
    // answered from what is known already, or entered (returns nothing, with the target's
    // identity when it is known).
    std::optional<Measured> FollowLink(const Path& child, std::optional<FolderIdentity>& target,
                                       bool& mayKeep) {
        FolderIdentity identity;
        const bool identified = lister_.Identify(child, identity);
        if (identified && ClosesLoop(identity)) return Measured{0, true};
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
        for (WalkFrame& frame : stack_) {
            if (!frame.identity) {
                FolderIdentity identity;
                frame.identity = lister_.Identify(frame.path, identity) ? identity : FolderIdentity{};
            }
            if (*frame.identity == target) return true;
        }
        return false;
    }

    DirectoryLister& lister_;
    WalkKeeper* keeper_;
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

uint64_t WalkFolder(DirectoryLister& lister, const Path& folder, WalkKeeper* keeper) {
    ScanScope scope(lister);
    return Walk(lister, keeper).Run(folder);
}

}  // namespace trovelle
