// A command-line client of the cache server, for the demo, scripts and tests:
//   CacheClient size <folder>...     total of each folder (COM starts the server when needed)
//   CacheClient reset | create | release
//   CacheClient dump <file> [flags]
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>

#include "CacheServerConnection.h"

namespace {

using Microsoft::WRL::ComPtr;

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : value_(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return value_; }

private:
    BSTR value_;
};

int Fail(const wchar_t* what, HRESULT hr) {
    std::fwprintf(stderr, L"%ls failed: 0x%08lX\n", what, static_cast<unsigned long>(hr));
    return 2;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: CacheClient size|reset|create|release|dump ...\n");
        return 2;
    }
    HRESULT hr = S_OK;
    ComPtr<ITrovelleCache> cache = trovelle::ConnectToCacheServer(&hr);
    if (!cache) return Fail(L"CoCreateInstance", hr);

    const std::wstring verb = argv[1];
    if (verb == L"size") {
        for (int i = 2; i < argc; ++i) {
            UINT64 size = 0;
            Bstr folder(argv[i]);
            hr = cache->GetFolderSize(folder.Get(), &size);
            if (FAILED(hr)) return Fail(L"GetFolderSize", hr);
            std::wprintf(L"%llu\t%ls\n", static_cast<unsigned long long>(size), argv[i]);
        }
        return 0;
    }
    if (verb == L"reset") hr = cache->ResetCache();
    else if (verb == L"create") hr = cache->CreateCache();
    else if (verb == L"release") hr = cache->ReleaseServer();
    else if (verb == L"dump" && argc >= 3) {
        Bstr file(argv[2]);
        hr = cache->SaveDebugInfo(file.Get(), argc >= 4 ? static_cast<UINT>(_wtoi(argv[3])) : 0);
        std::wprintf(L"0x%08lX\n", static_cast<unsigned long>(hr));
        return hr == S_OK ? 0 : 1;
    } else {
        return Fail(L"unknown verb", E_INVALIDARG);
    }
    return FAILED(hr) ? Fail(verb.c_str(), hr) : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(::CoInitialize(nullptr))) return 2;
    const int result = Run(argc, argv);
    ::CoUninitialize();
    return result;
}
