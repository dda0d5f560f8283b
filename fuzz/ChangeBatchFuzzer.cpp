// Change batches: decoding, and applying a decoded batch to a cache over a fixed fake tree.
//
// Input: two plan bytes, then the batch as the watch on c:\ would have read it.
//   byte 0 and bits 0-1 of byte 1: which folders are asked for before the batch;
//   byte 1 bit 2: ask them deepest first; bit 3: ask everything afterwards deepest first.
// The tree never changes, so a batch may only make cached folders stale: every answer after
// it must still be the tree's own total, and nothing on another drive may be touched.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cache/ChangeBatch.h"
#include "cache/FolderCache.h"
#include "changes/ChangeRecords.h"
#include "FakeFileSystem.h"
#include "FuzzCheck.h"
#include "index/FolderKey.h"
#include "system/StdLock.h"
#include "WindowsChangeFeed.h"

namespace {

using trovelle::ChangeRecord;
using trovelle::FolderCache;
using trovelle::CachedFolderView;
using trovelle::Path;

constexpr size_t kHeaderBytes = 12;  // next offset, action, name length

// Shallowest first; one spelling in upper case, since requests may come in any case.
const Path kFolders[] = {
    u"c:",
    u"c:\\data",
    u"c:\\data\\docs",
    u"c:\\data\\docs\\old",
    u"C:\\Data\\Media",
    u"c:\\data\\media\\photos",
    u"c:\\data\\media\\photos\\2023",
    u"c:\\logs",
    u"c:\\empty",
    u"d:\\keep",
};
constexpr size_t kFolderCount = sizeof(kFolders) / sizeof(kFolders[0]);

struct Fixture {
    trovelle::testing::FakeFileSystem tree;
    trovelle::ByteTotals totals[kFolderCount] = {};  // the tree's own, worked out once
};

Fixture& TheFixture() {
    static Fixture* fixture = [] {
        auto* made = new Fixture;
        trovelle::testing::FakeFileSystem* fs = &made->tree;
        fs->SetDriveType(u'c', trovelle::DriveType::Fixed);
        fs->SetDriveType(u'd', trovelle::DriveType::Fixed);
        fs->AddFile(u"c:\\Data\\Docs\\A.txt", 1200);
        fs->AddFile(u"c:\\Data\\Docs\\b.txt", 34);
        fs->AddFile(u"c:\\Data\\Docs\\Old\\x.doc", 5000);
        fs->AddFile(u"c:\\Data\\Docs\\Old\\y.doc", 0);
        fs->AddFile(u"c:\\Data\\Media\\intro.mp4", uint64_t{1} << 32);
        fs->AddFile(u"c:\\Data\\Media\\Photos\\cover.png", 777);
        fs->AddFile(u"c:\\Data\\Media\\Photos\\2023\\p1.jpg", 300000);
        fs->AddFile(u"c:\\Data\\Media\\Photos\\2023\\p2.jpg", 299999);
        fs->AddFile(u"c:\\logs\\today.log", 42);
        fs->AddFile(u"c:\\pagefile.sys", 4096);
        fs->AddFolder(u"c:\\empty");
        fs->AddFile(u"d:\\keep\\k.bin", 1000);
        fs->AddFile(u"d:\\keep\\inner\\z", 7);
        for (size_t i = 0; i < kFolderCount; ++i) made->totals[i] = fs->Total(kFolders[i]);
        return made;
    }();
    return *fixture;
}

bool SameRecords(const std::vector<ChangeRecord>& a, const std::vector<ChangeRecord>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].action != b[i].action || a[i].name != b[i].name) return false;
    }
    return true;
}

uint32_t ReadUint32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// Whether the batch is laid out exactly as the system writes one: non-empty names, each record
// followed by the next packed or on the next DWORD boundary, the last with a next offset of 0.
bool WrittenBySystem(const uint8_t* batch, size_t length) {
    size_t position = 0;
    for (;;) {
        if (length - position < kHeaderBytes) return false;
        const uint32_t next = ReadUint32(batch + position);
        const uint32_t nameBytes = ReadUint32(batch + position + 8);
        if (nameBytes == 0 || nameBytes % 2 != 0) return false;
        if (nameBytes > length - position - kHeaderBytes) return false;
        if (next == 0) return true;
        const size_t packed = kHeaderBytes + nameBytes;
        if (next != packed && next != ((packed + 3) & ~size_t{3})) return false;
        if (next > length - position) return false;
        position += next;
    }
}

std::vector<ChangeRecord> CheckDecoding(const uint8_t* batch, size_t length) {
    const std::vector<ChangeRecord> records = trovelle::DecodeChangeRecords(batch, length);

    // Whatever comes back is exactly what the chain of records in the batch says.
    size_t position = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(length >= kHeaderBytes && position <= length - kHeaderBytes);
        const uint8_t* record = batch + position;
        const uint32_t next = ReadUint32(record);
        FUZZ_CHECK(records[i].action == ReadUint32(record + 4));
        FUZZ_CHECK(ReadUint32(record + 8) == records[i].name.size() * 2);
        FUZZ_CHECK(records[i].name.size() * 2 <= length - position - kHeaderBytes);
        for (size_t unit = 0; unit < records[i].name.size(); ++unit) {
            const uint8_t* at = record + kHeaderBytes + unit * 2;
            FUZZ_CHECK(records[i].name[unit] == static_cast<char16_t>(at[0] | at[1] << 8));
        }
        if (i + 1 == records.size()) {
            FUZZ_CHECK(next == 0);
        } else {
            FUZZ_CHECK(next != 0 && next <= length - position);
            position += next;
        }
    }

    if (WrittenBySystem(batch, length)) FUZZ_CHECK(!records.empty());
    if (!records.empty()) {
        const std::vector<uint8_t> packed = trovelle::testing::EncodeChangeRecords(records, false);
        const std::vector<uint8_t> aligned = trovelle::testing::EncodeChangeRecords(records, true);
        FUZZ_CHECK(SameRecords(trovelle::DecodeChangeRecords(packed.data(), packed.size()), records));
        FUZZ_CHECK(SameRecords(trovelle::DecodeChangeRecords(aligned.data(), aligned.size()), records));
    }
    return records;
}

bool AnswersMatchTree(FolderCache& cache, uint32_t mask, bool deepestFirst) {
    for (size_t step = 0; step < kFolderCount; ++step) {
        const size_t i = deepestFirst ? kFolderCount - 1 - step : step;
        if ((mask >> i & 1) == 0) continue;
        if (cache.GetFolderSizes(kFolders[i]).totals != TheFixture().totals[i]) return false;
    }
    return true;
}

struct NodeState {
    bool sizeInvalid = false;
    bool childSizeInvalid = false;
    Path parent;  // empty for a top node
};

std::map<Path, NodeState> Snapshot(FolderCache& cache) {
    std::map<Path, NodeState> nodes;
    cache.VisitLocked([&](const CachedFolderView& folder) {
        NodeState state{folder.node.sizeInvalid != 0, folder.node.childSizeInvalid != 0, {}};
        if (folder.parent != nullptr) state.parent = Path(trovelle::ContainingFolder(folder.key));
        nodes.emplace(Path(folder.key), std::move(state));
    });
    return nodes;
}

// A name whose path every spelling rule leaves as it is: components that are not empty, not
// "." or "..", with no character a path may not hold, no trailing dot or space and no '~' (a
// possible short name). Only for such names is the folder a record changes known for certain.
bool IsPlainName(const std::u16string& name) {
    if (name.empty()) return false;
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(name.find(u'\\', start), name.size());
        const std::u16string_view part(name.data() + start, end - start);
        if (part.empty() || part == u"." || part == u".." || part.back() == u'.' ||
            part.back() == u' ') {
            return false;
        }
        for (char16_t unit : part) {
            if (unit < 0x20 || std::u16string_view(u"/:*?\"<>|~").find(unit) !=
                                   std::u16string_view::npos) {
                return false;
            }
        }
        if (end == name.size()) return true;
        start = end + 1;
    }
}

Path Folded(Path path) {
    trovelle::FoldKey(path);
    return path;
}

bool IsAtOrBelow(const Path& key, const Path& folder) {
    return key.compare(0, folder.size(), folder) == 0 &&
           (key.size() == folder.size() || key[folder.size()] == u'\\');
}

bool IsOnDrive(const Path& key, char16_t letter) {
    return key.size() >= 2 && key[0] == letter && key[1] == u':';
}

void CheckBatchEffects(const std::vector<ChangeRecord>& records,
                       const std::map<Path, NodeState>& before,
                       const std::map<Path, NodeState>& after) {
    // Nothing outside c: is reachable from the watch on c:\, so d:'s valid folders stay valid.
    for (const auto& [key, state] : before) {
        if (!IsOnDrive(key, u'd') || state.sizeInvalid || state.childSizeInvalid) continue;
        const auto kept = after.find(key);
        FUZZ_CHECK(kept != after.end());
        FUZZ_CHECK(!kept->second.sizeInvalid && !kept->second.childSizeInvalid);
    }

    if (records.empty()) {
        // Unknown changes: every cached folder of the drive is stale.
        for (const auto& [key, state] : after) {
            if (IsOnDrive(key, u'c')) FUZZ_CHECK(state.sizeInvalid && state.childSizeInvalid);
        }
        return;
    }
    for (const ChangeRecord& record : records) {
        if (record.action < trovelle::kActionAdded ||
            record.action > trovelle::kActionRenamedNewName || !IsPlainName(record.name)) {
            continue;
        }
        const Path key = Folded(u"c:\\" + record.name);
        if (record.action == trovelle::kActionRemoved ||
            record.action == trovelle::kActionRenamedOldName) {
            // Nothing at or below a folder that went away may still be answered from a valid
            // total, not even a folder cached on its own (measured before any folder above it).
            for (const auto& [nodeKey, state] : after) {
                FUZZ_CHECK(!IsAtOrBelow(nodeKey, key) || state.sizeInvalid || state.childSizeInvalid);
            }
        }
        // The folder that holds the changed item is stale, and its ancestors for their subfolders.
        auto holder = after.find(Path(trovelle::ContainingFolder(key)));
        if (holder == after.end()) continue;
        FUZZ_CHECK(holder->second.sizeInvalid && holder->second.childSizeInvalid);
        for (size_t depth = 0; !holder->second.parent.empty(); ++depth) {
            FUZZ_CHECK(depth < after.size());  // the parent links end
            holder = after.find(holder->second.parent);
            FUZZ_CHECK(holder != after.end());
            FUZZ_CHECK(holder->second.childSizeInvalid);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t askedBefore = data[0] | (data[1] & 3u) << 8;
    const bool beforeDeepestFirst = (data[1] & 4) != 0;
    const bool afterDeepestFirst = (data[1] & 8) != 0;
    const uint8_t* batch = data + 2;
    const size_t length = size - 2;

    const std::vector<ChangeRecord> records = CheckDecoding(batch, length);

    trovelle::StdLock lock;
    trovelle::FolderCacheOptions options;
    options.scanThreads = 1;  // one thread: an input always runs the same way
    FolderCache cache(TheFixture().tree, TheFixture().tree, lock, options);
    FUZZ_CHECK(AnswersMatchTree(cache, askedBefore, beforeDeepestFirst));
    const std::map<Path, NodeState> before = Snapshot(cache);

    trovelle::ApplyChangeBatch(cache, u"c:\\", batch, length);
    CheckBatchEffects(records, before, Snapshot(cache));

    // Asked twice: once measuring what went stale, once from what that stored.
    const uint32_t everyFolder = (1u << kFolderCount) - 1;
    FUZZ_CHECK(AnswersMatchTree(cache, everyFolder, afterDeepestFirst));
    FUZZ_CHECK(AnswersMatchTree(cache, everyFolder, !afterDeepestFirst));
    return 0;
}
