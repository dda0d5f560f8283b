// What a file takes on disk when a listing does not say.
#pragma once

#include <cstdint>

namespace trovelle {

// Attributes of a file whose data lives elsewhere: a cloud file online only, or one moved to
// offline storage. Opening or reading it would bring the data back, so nothing is ever asked
// of such a file but what a listing tells.
constexpr uint32_t kAttributeOffline = 0x1000;
constexpr uint32_t kAttributeRecallOnOpen = 0x40000;
constexpr uint32_t kAttributeRecallOnDataAccess = 0x400000;

inline bool DataLivesElsewhere(uint32_t attributes) {
    return (attributes & (kAttributeOffline | kAttributeRecallOnOpen |
                          kAttributeRecallOnDataAccess)) != 0;
}

// A listing that gives lengths only: a file is taken to fill whole clusters (what a dense file
// takes), and one whose data lives elsewhere to take nothing. Sparse and compressed files could
// only be told by opening them, which a scan never does. Never wraps past the largest value.
inline uint64_t AllocationFromLength(uint32_t attributes, uint64_t length, uint64_t cluster) {
    if (DataLivesElsewhere(attributes)) return 0;
    if (cluster == 0) return length;
    const uint64_t clusters = length / cluster + (length % cluster != 0 ? 1 : 0);
    return clusters > UINT64_MAX / cluster ? UINT64_MAX : clusters * cluster;
}

}  // namespace trovelle
