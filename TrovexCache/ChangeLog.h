// The server's change log, written when it is started with "/ChangeLog <file>": one line per
// change record the monitor received and per folder that record removed or made stale, so that
// a wrong total can be traced to the record that should have reached it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "cache/FolderCache.h"
#include "CriticalSection.h"
#include "UniqueHandle.h"

namespace trovelle {

class ChangeLogFile final : public ChangeTrace {
public:
    // An empty path, or one that cannot be created, makes a log that writes nothing.
    explicit ChangeLogFile(const std::wstring& path);
    bool IsOpen() const { return static_cast<bool>(file_); }

    void Note(std::string_view event, std::u16string_view path) override;
    bool Ignores(std::u16string_view key) const override { return key == ownKey_; }

private:
    std::u16string ownKey_;  // the log file's own key
    UniqueKernelHandle file_;
    CriticalSection lock_;  // batches of several drives write at once
};

}  // namespace trovelle
