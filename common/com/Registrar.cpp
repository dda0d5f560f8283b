#include "Registrar.h"

#include "UniqueHandle.h"

namespace trovelle {

namespace {

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
}

}  // namespace

HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring ThisModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT RegisterEntries(std::initializer_list<RegistryEntry> entries,
                        const Substitutions& substitutions) {
    for (const RegistryEntry& entry : entries) {
        const std::wstring key = Substitute(entry.key, substitutions);
        const HKEY root = RootKey(entry.root);
        if (entry.replaceTree) ::RegDeleteTreeW(root, key.c_str());
        UniqueRegistryKey handle;
        LSTATUS status = ::RegCreateKeyExW(root, key.c_str(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                           handle.Put(), nullptr);
        if (status == ERROR_SUCCESS && entry.value != nullptr) {
            const std::wstring value = Substitute(entry.value, substitutions);
            status = ::RegSetValueExW(handle.Get(), entry.valueName, 0, REG_SZ,
                                      reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        }
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

HRESULT UnregisterEntries(std::initializer_list<RegistryEntry> entries,
                          const Substitutions& substitutions) {
    HRESULT result = S_OK;
    for (auto entry = std::rbegin(entries); entry != std::rend(entries); ++entry) {
        const std::wstring key = Substitute(entry->key, substitutions);
        const HKEY root = RootKey(entry->root);
        LSTATUS status = ERROR_SUCCESS;
        switch (entry->removal) {
            case RegistryEntry::RemoveKey:
                status = ::RegDeleteTreeW(root, key.c_str());
                if (status == ERROR_SUCCESS) status = ::RegDeleteKeyW(root, key.c_str());
                break;
            case RegistryEntry::RemoveValueOnly: {
                UniqueRegistryKey handle;
                status = ::RegOpenKeyExW(root, key.c_str(), 0, KEY_WRITE, handle.Put());
                if (status == ERROR_SUCCESS) status = ::RegDeleteValueW(handle.Get(), entry->valueName);
                break;
            }
            case RegistryEntry::KeepKey:
                break;
        }
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) {
            result = HRESULT_FROM_WIN32(status);
        }
    }
    return result;
}

}  // namespace trovelle
