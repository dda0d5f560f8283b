// One-dimensional SAFEARRAYs, the arrays an automation interface passes: owned for a scope, and
// their elements reached for a scope.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <memory>

namespace trovelle {

struct SafeArrayFree {
    void operator()(SAFEARRAY* array) const { ::SafeArrayDestroy(array); }
};
// Destroying a VT_BSTR array frees its strings too.
using UniqueSafeArray = std::unique_ptr<SAFEARRAY, SafeArrayFree>;

// The elements of a one-dimensional array of `kType`, locked while this lives. A null array, or
// one of another type, shape or element size, reads as empty: what came over the wire is never
// taken on trust.
template <typename Element, VARTYPE kType>
class SafeVectorAccess {
public:
    explicit SafeVectorAccess(SAFEARRAY* array) {
        VARTYPE type = VT_EMPTY;
        LONG lower = 0;
        LONG upper = -1;
        if (array == nullptr || ::SafeArrayGetDim(array) != 1 ||
            ::SafeArrayGetElemsize(array) != sizeof(Element) ||
            FAILED(::SafeArrayGetVartype(array, &type)) || type != kType ||
            FAILED(::SafeArrayGetLBound(array, 1, &lower)) ||
            FAILED(::SafeArrayGetUBound(array, 1, &upper))) {
            return;
        }
        void* data = nullptr;
        if (FAILED(::SafeArrayAccessData(array, &data))) return;
        array_ = array;
        data_ = static_cast<Element*>(data);
        size_ = upper >= lower ? static_cast<size_t>(upper - lower) + 1 : 0;
    }
    ~SafeVectorAccess() {
        if (array_ != nullptr) ::SafeArrayUnaccessData(array_);
    }
    SafeVectorAccess(const SafeVectorAccess&) = delete;
    SafeVectorAccess& operator=(const SafeVectorAccess&) = delete;

    size_t size() const { return size_; }
    Element& operator[](size_t at) const { return data_[at]; }

private:
    SAFEARRAY* array_ = nullptr;
    Element* data_ = nullptr;
    size_t size_ = 0;
};

// A new vector of `count` zeroed (or null) elements; null when memory runs out.
inline UniqueSafeArray MakeSafeVector(VARTYPE type, size_t count) {
    if (count > MAXLONG) return nullptr;
    return UniqueSafeArray(::SafeArrayCreateVector(type, 0, static_cast<ULONG>(count)));
}

}  // namespace trovelle
