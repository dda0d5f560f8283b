// Request canonicalisation: whatever a client sends, the cache's door yields one spelling per
// folder, and asking with the request or with its canonical form gives the same answer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cache/FolderCache.h"
#include "cache/RequestPath.h"
#include "FakeFileSystem.h"
#include "FuzzCheck.h"
#include "index/FolderKey.h"
#include "system/StdLock.h"

namespace {

using trovelle::Path;

bool IsSeparator(char16_t unit) { return unit == u'\\' || unit == u'/'; }

void CheckCanonicalForm(const Path& path) {
    FUZZ_CHECK(path.size() >= 2 && path[1] == u':');
    FUZZ_CHECK(path.find(u'/') == Path::npos);
    FUZZ_CHECK(path.size() == 2 || (path[2] == u'\\' && path.back() != u'\\'));
    size_t start = 3;
    while (start < path.size()) {
        const size_t end = std::min(path.find(u'\\', start), path.size());
        const std::u16string_view name(path.data() + start, end - start);
        FUZZ_CHECK(!name.empty());
        FUZZ_CHECK(name != u"." && name != u"..");  // a trailing dot or blank is kept
        start = end + 1;
    }
}

trovelle::testing::FakeFileSystem& FileSystem() {
    static trovelle::testing::FakeFileSystem* fs = [] {
        auto* made = new trovelle::testing::FakeFileSystem();
        made->SetDriveType(u'c', trovelle::DriveType::Fixed);
        made->AddFile(u"C:\\A\\f", 10);
        made->AddFile(u"C:\\A\\B\\g", 200);
        made->AddFile(u"C:\\A\\B\\.h", 3000);
        made->AddFile(u"C:\\Ä\\x", 40000);
        return made;
    }();
    return *fs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Path request;
    for (size_t at = 0; at + 1 < size; at += 2) {
        request.push_back(static_cast<char16_t>(data[at] | data[at + 1] << 8));
    }
    const trovelle::CanonicalRequest canonical = trovelle::CanonicalizeRequest(request);
    if (!canonical.isDrivePath) {
        FUZZ_CHECK(canonical.path == request);
    } else {
        CheckCanonicalForm(canonical.path);
        FUZZ_CHECK(canonical.path.size() <= request.size());
        const trovelle::CanonicalRequest again = trovelle::CanonicalizeRequest(canonical.path);
        FUZZ_CHECK(again.isDrivePath && again.path == canonical.path);
    }

    Path folded = canonical.path;
    trovelle::FoldKey(folded);
    Path twice = folded;
    trovelle::FoldKey(twice);
    FUZZ_CHECK(twice == folded);
    for (char16_t unit : request) {
        const char16_t once = trovelle::FoldUnit(unit);
        FUZZ_CHECK(trovelle::FoldUnit(once) == once);
        FUZZ_CHECK(!(once >= u'A' && once <= u'Z'));
    }

    // The request and its canonical form answer alike, from a fresh cache each time.
    trovelle::StdLock lock;
    trovelle::FolderCacheOptions options;
    options.scanThreads = 1;  // one thread: an input always runs the same way
    trovelle::FolderCache cache(FileSystem(), FileSystem(), lock, options);
    const uint64_t asked = cache.GetFolderSize(request);
    trovelle::FolderCache other(FileSystem(), FileSystem(), lock, options);
    FUZZ_CHECK(other.GetFolderSize(canonical.path) == asked);
    FUZZ_CHECK(asked <= 43210);
    return 0;
}
