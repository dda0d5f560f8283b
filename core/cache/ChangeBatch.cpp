#include "cache/ChangeBatch.h"

#include <vector>

#include "changes/ChangeRecords.h"

namespace trovelle {

void ApplyChangeBatch(FolderCache& cache, const std::u16string& root, const uint8_t* batch,
                      size_t length) {
    const std::vector<ChangeRecord> records = DecodeChangeRecords(batch, length);
    if (records.empty()) {
        ++cache.Counters().overflows;
        // The watched folder: the drive for a root ("x:\\"), else the folder without its separator.
        cache.InvalidateAllUnder(root.size() <= 3 ? root.substr(0, 2) : root.substr(0, root.size() - 1));
        return;
    }
    cache.ApplyChanges(root, records);
}

}  // namespace trovelle
