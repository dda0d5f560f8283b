#include "ModuleLock.h"

namespace trovelle {
namespace {

volatile LONG g_count = 0;
ModuleLock::ZeroHandler g_onZero = nullptr;

}  // namespace

LONG ModuleLock::Lock() { return ::InterlockedIncrement(&g_count); }

LONG ModuleLock::Unlock() {
    const LONG count = ::InterlockedDecrement(&g_count);
    if (count == 0 && g_onZero != nullptr) g_onZero();
    return count;
}

LONG ModuleLock::Count() { return g_count; }

void ModuleLock::SetZeroHandler(ZeroHandler handler) { g_onZero = handler; }

}  // namespace trovelle
