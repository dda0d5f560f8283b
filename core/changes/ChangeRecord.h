// One directory change as the system reports it: what happened, to which item.
#pragma once

#include <cstdint>
#include <string>

namespace trovelle {

// Change actions as the system reports them in a change record.
enum ChangeAction : uint32_t {
    kActionAdded = 1,
    kActionRemoved = 2,
    kActionModified = 3,
    kActionRenamedOldName = 4,
    kActionRenamedNewName = 5,
};

// A removal or the old name of a rename: the item is no longer at the reported path.
inline bool TakesItemAway(uint32_t action) {
    return action == kActionRemoved || action == kActionRenamedOldName;
}

struct ChangeRecord {
    uint32_t action = 0;
    std::u16string name;  // relative to the watched root
};

}  // namespace trovelle
