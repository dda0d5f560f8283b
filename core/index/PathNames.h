// The names of a path as the folder index meets them: split at backslashes, hashed and compared
// the way the file system compares names (folded), so that any spelling finds one folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace trovelle {

// The hash of `name` under the node `parent`; equal for every spelling that folds alike.
uint32_t HashName(uint32_t parent, std::u16string_view name);

// Walks a path's names from the first to the last, hashing each as HashName does while it looks
// for the backslash that ends it: one pass over the path, four units at a time. An empty path
// has no names; "c:\a\b" has "c:", "a" and "b".
class PathNameWalk {
public:
    explicit PathNameWalk(std::u16string_view path) : path_(path), done_(path.empty()) {}
    // Moves to the next name, hashed under `parent`; false when there is none.
    bool Next(uint32_t parent, std::u16string_view& name, uint32_t& hash);
    // The path up to the end of the current name.
    std::u16string_view Walked() const { return path_.substr(0, end_); }

private:
    std::u16string_view path_;
    size_t next_ = 0;  // where the next name starts
    size_t end_ = 0;
    bool done_;
};

}  // namespace trovelle
