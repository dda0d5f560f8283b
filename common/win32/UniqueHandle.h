// One RAII wrapper for every kind of handle, parameterised by how the handle is closed.
#pragma once

#include <windows.h>

#include <utility>

namespace trovelle {

template <typename Traits>
class UniqueHandle {
public:
    using Value = typename Traits::Value;

    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : value_(value) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Value Get() const { return value_; }
    explicit operator bool() const { return Traits::IsValid(value_); }
    Value Release() { return std::exchange(value_, Traits::Invalid()); }
    void Reset(Value value = Traits::Invalid()) {
        if (Traits::IsValid(value_)) Traits::Close(value_);
        value_ = value;
    }
    // For APIs that return the handle through an out parameter.
    Value* Put() {
        Reset();
        return &value_;
    }

private:
    Value value_ = Traits::Invalid();
};

// Kernel handles: both null and INVALID_HANDLE_VALUE mean "none", as the APIs disagree.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static bool IsValid(Value value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void Close(Value value) { ::CloseHandle(value); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct FindHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Value value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void Close(Value value) { ::FindClose(value); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

struct RegistryKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static bool IsValid(Value value) { return value != nullptr; }
    static void Close(Value value) { ::RegCloseKey(value); }
};
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;

template <typename Object>
struct GdiObjectTraits {
    using Value = Object;
    static Value Invalid() { return nullptr; }
    static bool IsValid(Value value) { return value != nullptr; }
    static void Close(Value value) { ::DeleteObject(value); }
};
template <typename Object>
using UniqueGdiObject = UniqueHandle<GdiObjectTraits<Object>>;

}  // namespace trovelle
