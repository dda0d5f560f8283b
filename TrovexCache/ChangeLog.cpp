#include "ChangeLog.h"

#include "cache/RequestPath.h"
#include "index/FolderKey.h"
#include "WideText.h"

namespace trovelle {

ChangeLogFile::ChangeLogFile(const std::wstring& path) {
    if (path.empty()) return;
    ownKey_ = FoldedKey(CanonicalizeRequest(ToCore(path)).path);
    file_.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void ChangeLogFile::Note(std::string_view event, std::u16string_view path) {
    if (!file_) return;
    std::string line = std::to_string(::GetTickCount64()) + ' ';
    line.append(event).append(1, ' ').append(ToUtf8(path)).append(1, '\n');
    LockGuard guard(lock_);
    DWORD written = 0;
    ::WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace trovelle
