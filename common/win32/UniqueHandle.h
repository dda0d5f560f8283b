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

// Handles whose one "none" is null, given back by `close`.
template <typename Handle, auto close>
struct NullHandleTraits {
    using Value = Handle;
    static Value Invalid() { return nullptr; }
    static bool IsValid(Value value) { return value != nullptr; }
    static void Close(Value value) { close(value); }
};

using UniqueRegistryKey = UniqueHandle<NullHandleTraits<HKEY, &::RegCloseKey>>;
using UniqueDeviceNotification = UniqueHandle<NullHandleTraits<HDEVNOTIFY, &::UnregisterDeviceNotification>>;
using UniqueModule = UniqueHandle<NullHandleTraits<HMODULE, &::FreeLibrary>>;

template <typename Object>
using UniqueGdiObject = UniqueHandle<NullHandleTraits<Object, &::DeleteObject>>;

// A GDI object that is this holder's to delete only when its giver says so (a picture or font
// handed in as shared is borrowed). Deleted when owned, on replacement and at the end.
template <typename Object>
class MaybeOwnedGdiObject {
public:
    MaybeOwnedGdiObject() = default;
    MaybeOwnedGdiObject(Object object, bool owned) : object_(object), owned_(owned) {}
    ~MaybeOwnedGdiObject() { Reset(); }
    MaybeOwnedGdiObject(MaybeOwnedGdiObject&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)), owned_(other.owned_) {}
    MaybeOwnedGdiObject& operator=(MaybeOwnedGdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            object_ = std::exchange(other.object_, nullptr);
            owned_ = other.owned_;
        }
        return *this;
    }

    Object Get() const { return object_; }
    bool Owned() const { return owned_; }
    // Takes `object`; the one held before is deleted if it was owned and is another object.
    void Reset(Object object = nullptr, bool owned = false) {
        if (object != object_ && owned_ && object_ != nullptr) ::DeleteObject(object_);
        object_ = object;
        owned_ = owned;
    }
    void SetOwned(bool owned) { owned_ = owned; }

private:
    Object object_ = nullptr;
    bool owned_ = false;
};

}  // namespace trovelle
