// Memory for the folder index's nodes: blocks of 8-byte units cut from large chunks and named by
// 32-bit ids, so that a link between nodes costs 4 bytes and no block carries an allocator's
// header. A freed block is reused by the next block of the same size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace trovelle {

class NodeArena {
public:
    using Id = uint32_t;
    static constexpr Id kNone = 0;

    // A block of at least `bytes` bytes, 8-byte aligned; kNone when memory runs out.
    Id Allocate(size_t bytes);
    // `bytes` must be what the block was allocated with.
    void Free(Id id, size_t bytes);
    void* At(Id id) const {
        return chunks_[id >> kOffsetBits].get() + (id & (kChunkUnits - 1));
    }
    // Gives every chunk back; all ids are void afterwards.
    void Clear();
    size_t BytesReserved() const { return chunks_.size() * kChunkUnits * sizeof(uint64_t); }

private:
    static constexpr unsigned kOffsetBits = 16;
    static constexpr size_t kChunkUnits = size_t{1} << kOffsetBits;  // 512 KiB a chunk
    static constexpr size_t kMaxChunks = size_t{1} << (32 - kOffsetBits);

    static size_t UnitsFor(size_t bytes) { return (bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t); }

    std::vector<std::unique_ptr<uint64_t[]>> chunks_;
    size_t usedInLastChunk_ = 0;
    std::vector<Id> freeBySize_;  // by block size in units; each free block holds the next's id
};

}  // namespace trovelle
