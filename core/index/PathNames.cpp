#include "index/PathNames.h"

#include <bit>
#include <cstring>

#include "index/FolderKey.h"

namespace trovelle {
namespace {

constexpr uint64_t kLanes = 0x0001000100010001ull;  // one in each of four 16-bit lanes

// Four code units as one word, folded together; the usual case (ASCII only) folds without a
// branch per unit.
inline uint64_t FoldedWord(uint64_t word) {
    if ((word & (0xFF80 * kLanes)) == 0) {
        // A lane is 'A'..'Z' when adding 0x3F sets its bit 7 and adding 0x25 does not.
        const uint64_t upper = (word + 0x3F * kLanes) & ~(word + 0x25 * kLanes) & (0x80 * kLanes);
        return word | (upper >> 2);
    }
    uint64_t folded = 0;
    for (int lane = 0; lane < 4; ++lane) {
        folded |= uint64_t{FoldUnit(static_cast<char16_t>(word >> (16 * lane)))} << (16 * lane);
    }
    return folded;
}

inline uint64_t Seed(uint32_t parent) { return 0x9E3779B97F4A7C15ull ^ (uint64_t{parent} << 16); }

inline uint64_t Mix(uint64_t hash, uint64_t word) {
    hash = (hash ^ FoldedWord(word)) * 0xFF51AFD7ED558CCDull;
    return hash ^ (hash >> 32);
}

uint32_t Finish(uint64_t hash, size_t length) {
    hash = (hash ^ length) * 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

// Up to four units from `units`, zero in the lanes beyond `count`.
inline uint64_t LoadWord(const char16_t* units, size_t count) {
    uint64_t word = 0;
    if (count >= 4) {
        std::memcpy(&word, units, sizeof word);
    } else {
        for (size_t lane = 0; lane < count; ++lane) word |= uint64_t{units[lane]} << (16 * lane);
    }
    return word;
}

}  // namespace

uint32_t HashName(uint32_t parent, std::u16string_view name) {
    uint64_t hash = Seed(parent);
    for (size_t at = 0; at < name.size(); at += 4) {
        hash = Mix(hash, LoadWord(name.data() + at, name.size() - at));
    }
    return Finish(hash, name.size());
}

bool PathNameWalk::Next(uint32_t parent, std::u16string_view& name, uint32_t& hash) {
    if (done_) return false;
    const char16_t* const start = path_.data() + next_;
    const char16_t* const last = path_.data() + path_.size();
    const char16_t* at = start;
    uint64_t mixed = Seed(parent);
    for (;;) {
        const size_t left = static_cast<size_t>(last - at);
        const uint64_t word = LoadWord(at, left);
        // Lanes holding a backslash become zero; the lowest zero lane is found exactly (a
        // borrow can only mark lanes above it). Lanes past the end are zero, never a backslash.
        const uint64_t x = word ^ (u'\\' * kLanes);
        const uint64_t hits = (x - kLanes) & ~x & (0x8000 * kLanes);
        if (hits != 0) {
            const unsigned lane = static_cast<unsigned>(std::countr_zero(hits)) / 16;
            if (lane != 0) mixed = Mix(mixed, word & ((uint64_t{1} << (16 * lane)) - 1));
            at += lane;
            next_ = static_cast<size_t>(at - path_.data()) + 1;
            break;
        }
        if (left <= 4) {
            if (left != 0) mixed = Mix(mixed, word);
            at = last;
            next_ = path_.size();
            done_ = true;
            break;
        }
        mixed = Mix(mixed, word);
        at += 4;
    }
    end_ = static_cast<size_t>(at - path_.data());
    name = std::u16string_view(start, static_cast<size_t>(at - start));
    hash = Finish(mixed, name.size());
    return true;
}

}  // namespace trovelle
