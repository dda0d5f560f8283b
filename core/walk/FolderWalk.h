// The one walk below a folder: a depth-first descent whose frames live on the heap, the rules
// for links and loops, and the way totals rise to the folders above. What is kept of what it
// measured is the business of its keeper: the cache stores folders in its tree, a plain sum
// keeps nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "system/Platform.h"
#include "walk/WalkFrame.h"

namespace trovelle {

class SubtreeHelpers;

// How a link met below a folder is counted.
struct LinkPlan {
    std::optional<Measured> known;  // its total, when known without listing anything
    bool mayKeep = false;           // whether what is measured through it may be kept
};

// A keeper's calls may come from several threads at once, each about another folder.
class WalkKeeper {
public:
    // Fills the frame's record and `kept` before the folder is listed; `parent` is null for the
    // folder the walk was asked for. `mayKeep` is false below a link whose target cannot be
    // kept current.
    virtual void Open(WalkFrame& frame, const WalkFrame* parent, bool mayKeep) = 0;
    // The folder could not be listed (gone, or access denied).
    virtual void Unlisted(const WalkFrame& frame, bool requested) = 0;
    // A link `link` in `parent` that does not close a loop. May mark `parent` incomplete.
    virtual LinkPlan PlanLink(WalkFrame& parent, const Path& link) = 0;
    // The link leads to a folder this walk measured already at `measuredAt` (through another
    // link), whose total it takes: changes that reach `measuredAt` concern `link` too. May mark
    // `parent` incomplete.
    virtual void SameFolder(WalkFrame& parent, const Path& measuredAt, const Path& link) = 0;
    // The folder was measured; `measured.complete` may be withdrawn.
    virtual void Close(const WalkFrame& frame, Measured& measured) = 0;

protected:
    ~WalkKeeper() = default;
};

// Measures `folder` and everything below it. Without a keeper nothing is kept and every folder
// is listed, except that a folder met again through another link is listed once per walk.
// With `helpers`, the plain subfolders near the top are offered to their threads, which walk
// each offered subtree whole below the path that leads to it; a subfolder no helper began is
// walked by the walk itself. Totals, and what is kept, are the same either way; only
// a folder met through links in two subtrees may then be listed twice.
Measured WalkFolder(DirectoryLister& lister, const Path& folder, WalkKeeper* keeper,
                    SubtreeHelpers* helpers = nullptr);

// The answer for a requested folder.
struct FolderSizes {
    ByteTotals totals;
    // False when the folder is not there, or was gone by the end of its measurement (removed
    // meanwhile): the totals, 0 or the part measured before it went, are then not its own.
    bool measured = false;
};

// What a measurement of `folder` answers. An incomplete total is the folder's own while the
// folder is there (a subfolder could not be read, as Explorer counts it too); once the folder
// is gone it is only what was measured before it went.
inline FolderSizes AnswerFor(const Measured& measured, DirectoryLister& lister, const Path& folder) {
    if (!measured.complete && !lister.IsFolder(folder)) return {};
    return {measured.total, true};
}

// A plain sum below `folder` that stores nothing: what a client without the cache needs.
inline FolderSizes SumFolderTree(DirectoryLister& lister, const Path& folder) {
    return AnswerFor(WalkFolder(lister, folder, nullptr), lister, folder);
}

}  // namespace trovelle
