#include "index/NodeArena.h"

#include <cstring>
#include <new>

namespace trovelle {

NodeArena::Id NodeArena::Allocate(size_t bytes) {
    const size_t units = UnitsFor(bytes);
    if (units == 0 || units > kChunkUnits / 2) return kNone;
    if (units < freeBySize_.size() && freeBySize_[units] != kNone) {
        const Id reused = freeBySize_[units];
        std::memcpy(&freeBySize_[units], At(reused), sizeof(Id));
        return reused;
    }
    if (chunks_.empty() || usedInLastChunk_ + units > kChunkUnits) {
        if (chunks_.size() == kMaxChunks) return kNone;
        std::unique_ptr<uint64_t[]> chunk(new (std::nothrow) uint64_t[kChunkUnits]);
        if (!chunk) return kNone;
        // The tail of the previous chunk is left unused; it is smaller than one large block.
        chunks_.push_back(std::move(chunk));
        usedInLastChunk_ = chunks_.size() == 1 ? 1 : 0;  // id 0 stays kNone
    }
    const Id id = static_cast<Id>(((chunks_.size() - 1) << kOffsetBits) | usedInLastChunk_);
    usedInLastChunk_ += units;
    return id;
}

void NodeArena::Free(Id id, size_t bytes) {
    const size_t units = UnitsFor(bytes);
    if (id == kNone || units == 0) return;
    if (units >= freeBySize_.size()) freeBySize_.resize(units + 1, kNone);
    std::memcpy(At(id), &freeBySize_[units], sizeof(Id));
    freeBySize_[units] = id;
}

void NodeArena::Clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    freeBySize_.clear();
    usedInLastChunk_ = 0;
}

}  // namespace trovelle
