// What a walk knows of the folders on its descent path: the types the walk and the threads
// that help it share.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "index/FolderIndex.h"
#include "system/Platform.h"

namespace trovelle {

struct Measured {
    ByteTotals total;
    bool complete = true;  // false: some folder below could not be listed, followed or kept
};

// A subfolder still to be measured; links are checked against the descent path first.
struct Subfolder {
    std::u16string name;
    bool isLink = false;
};

// A subfolder given to another thread to walk whole (see SubtreeHelpers.h).
struct OfferedSubtree;

// One folder on the current descent path.
struct WalkFrame {
    Path path;
    FolderRecord record;  // what is known of it already; a fresh record knows nothing
    bool kept = false;    // its result goes to the keeper
    bool complete = true;
    std::vector<Subfolder> subfolders;
    size_t next = 0;
    ByteTotals fileSum;
    ByteTotals childSum;
    std::optional<FolderIdentity> identity;  // filled only when a link needs comparing
    bool reachedThroughLink = false;
    // Per subfolder, when another thread was offered it.
    std::vector<std::shared_ptr<OfferedSubtree>> offered;
};

}  // namespace trovelle
