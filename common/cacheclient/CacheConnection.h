// A connection kept to the cache server by a client that asks it many times.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "index/Totals.h"
#include "TrovexCache.h"

namespace trovelle {

// The totals of one parent's subfolders that the server knew at one moment, by folded name.
struct SubfolderTotals {
    std::wstring parent;
    ULONGLONG askedAt = 0;
    std::unordered_map<std::u16string, ByteTotals> byFoldedName;
};

// The column handler's way to the cache server: one server object per column-handler object,
// made on its first folder size and kept for its life, so that a cell costs one call instead of
// an activation. A proxy belongs to the apartment that made it, so it is used only on the thread
// that made it; a call from another thread gets a proxy of its own for that call. When the
// server has gone away the proxy is made once more for the same cell.
class CacheConnection {
public:
    CacheConnection() = default;
    CacheConnection(const CacheConnection&) = delete;
    CacheConnection& operator=(const CacheConnection&) = delete;

    // The server's answer: size and size on disk. A failed creation or call gives its HRESULT
    // and no sizes; a folder that is not there, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND).
    HRESULT FolderSizes(const std::wstring& folder, ByteTotals& sizes);
    // The same answer for `folder`, and in the same round trip the totals of `parent`'s
    // subfolders that the server knows now (replacing `known`'s).
    HRESULT FolderAndSubfolderSizes(const std::wstring& parent, const std::wstring& folder,
                                    ByteTotals& sizes, SubfolderTotals& known);
    // Server objects created so far, for tests and benchmarks.
    unsigned Creations() const { return creations_; }

private:
    // Runs `ask` on this thread's proxy, made when there is none and once more when the server
    // has gone away; on another thread's, a proxy of its own for that call.
    template <typename Ask>
    HRESULT WithProxy(Ask&& ask);
    // Runs `ask` on the server's size-and-size-on-disk interface, through `WithProxy`.
    template <typename Ask>
    HRESULT WithSizes(Ask&& ask);
    HRESULT Create(Microsoft::WRL::ComPtr<ITrovelleCache>& cache);

    Microsoft::WRL::ComPtr<ITrovelleCache> proxy_;
    DWORD owner_ = 0;  // the thread whose apartment made `proxy_`
    unsigned creations_ = 0;
};

}  // namespace trovelle
