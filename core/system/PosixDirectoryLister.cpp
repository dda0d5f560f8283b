#include "system/PosixDirectoryLister.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <utility>
#include <vector>

namespace trovelle {
namespace {

// Folders listed one after another on a thread, kept open: a scan lists a folder's subfolders
// right after it, so each is opened relative to its parent (one name for the kernel to look up,
// not the whole path).
class OpenFolders {
public:
    ~OpenFolders() { CloseAll(); }
    void CloseAll() {
        for (const Entry& entry : entries_) close(entry.fd);
        entries_.clear();
    }
    // An open descriptor of `native`, owned by the caller; -1 when it cannot be opened.
    int Open(const std::string& native) {
        while (!entries_.empty() && !IsParentOf(entries_.back().path, native)) {
            close(entries_.back().fd);
            entries_.pop_back();
        }
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
        if (entries_.empty()) return open(native.c_str(), flags);
        return openat(entries_.back().fd, native.c_str() + entries_.back().path.size() + 1, flags);
    }
    // Keeps `fd` (of `native`) open for the subfolders that follow.
    void Keep(std::string native, int fd) {
        if (entries_.size() == kDepth) {
            close(fd);
            return;
        }
        entries_.push_back({std::move(native), fd});
    }

private:
    static constexpr size_t kDepth = 64;
    struct Entry {
        std::string path;
        int fd;
    };
    static bool IsParentOf(const std::string& parent, const std::string& path) {
        return path.size() > parent.size() + 1 && path[parent.size()] == '/' &&
               path.compare(0, parent.size(), parent) == 0 &&
               path.find('/', parent.size() + 1) == std::string::npos;
    }
    std::vector<Entry> entries_;
};

thread_local OpenFolders t_openFolders;

struct LinuxDirent64 {
    uint64_t inode;
    int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

// Fills the next entry of `entries` (reusing its string's storage) from a native name.
DirectoryEntry& NextEntry(std::vector<DirectoryEntry>& entries, size_t& used, const char* name) {
    if (used == entries.size()) entries.emplace_back();
    DirectoryEntry& entry = entries[used++];
    entry.name.clear();
    for (const char* c = name; *c != '\0'; ++c) entry.name.push_back(static_cast<unsigned char>(*c));
    entry.isFolder = entry.isLink = false;
    entry.size = entry.allocation = 0;
    return entry;
}

}  // namespace

// Paths in the core are UTF-16; the native tests use ASCII and Latin names only, so a plain
// code-unit mapping keeps both directions exact for them.
std::string ToNativePath(const Path& path) {
    std::string native;
    native.reserve(path.size());
    for (char16_t unit : path) native.push_back(unit == u'\\' ? '/' : static_cast<char>(unit));
    return native;
}

Path FromNativePath(const std::string& path) {
    Path converted;
    converted.reserve(path.size());
    for (char c : path) converted.push_back(c == '/' ? u'\\' : static_cast<unsigned char>(c));
    return converted;
}

bool PosixDirectoryLister::List(const Path& folder, std::vector<DirectoryEntry>& entries) {
    size_t used = 0;
    std::string native = ToNativePath(folder);
    const int fd = t_openFolders.Open(native);
    if (fd < 0) {
        entries.clear();
        return false;
    }
    alignas(LinuxDirent64) char buffer[32768];
    for (;;) {
        const long bytes = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (bytes < 0) {
            close(fd);
            entries.clear();
            return false;
        }
        if (bytes == 0) break;
        for (long at = 0; at < bytes;) {
            const auto* item = reinterpret_cast<const LinuxDirent64*>(buffer + at);
            at += item->length;
            const char* name = item->name;
            // "." and ".." never count; leaving them out here saves two system calls a folder.
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            if (item->type == DT_DIR) {
                // The listing already says what a plain folder is; it has no size of its own here.
                NextEntry(entries, used, name).isFolder = true;
                continue;
            }
            struct stat own {};
            if (fstatat(fd, name, &own, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished
            DirectoryEntry& entry = NextEntry(entries, used, name);
            entry.isLink = S_ISLNK(own.st_mode);
            struct stat target = own;
            if (entry.isLink && fstatat(fd, name, &target, 0) != 0) target = own;
            entry.isFolder = S_ISDIR(target.st_mode);
            if (!entry.isFolder) {
                entry.size = static_cast<uint64_t>(own.st_size);
                // Blocks are counted in 512-byte units whatever the file system's block size.
                entry.allocation = static_cast<uint64_t>(own.st_blocks) * 512;
            }
        }
    }
    entries.resize(used);
    t_openFolders.Keep(std::move(native), fd);
    return true;
}

void PosixDirectoryLister::EndScan() { t_openFolders.CloseAll(); }

bool PosixDirectoryLister::Identify(const Path& folder, FolderIdentity& identity) {
    struct stat info {};
    if (stat(ToNativePath(folder).c_str(), &info) != 0) return false;
    identity.volume = static_cast<uint64_t>(info.st_dev);
    identity.file = static_cast<uint64_t>(info.st_ino);
    return true;
}

}  // namespace trovelle
