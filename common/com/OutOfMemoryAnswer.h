// COM entry points answer E_OUTOFMEMORY when an allocation fails on their way: an exception
// must not leave the method (it would end the process, a server with all its clients).
#pragma once

#include <windows.h>

#include <new>

namespace trovelle {

template <typename Body>
HRESULT AnswerOutOfMemory(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace trovelle
