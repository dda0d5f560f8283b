#include "AppModule.h"

#include "system/Platform.h"

namespace trovelle::ui {

void AppModule::Init(HINSTANCE instance) {
    LockGuard held(lock_);
    instance_ = instance;
    mainThreadId_ = ::GetCurrentThreadId();
    loops_.clear();
}

void AppModule::Term() {
    LockGuard held(lock_);
    loops_.clear();
}

bool AppModule::AddMessageLoop(MessageLoop* loop) {
    LockGuard held(lock_);
    return loops_.emplace(::GetCurrentThreadId(), loop).second;
}

bool AppModule::RemoveMessageLoop() {
    LockGuard held(lock_);
    return loops_.erase(::GetCurrentThreadId()) != 0;
}

MessageLoop* AppModule::GetMessageLoop(DWORD threadId) const {
    LockGuard held(lock_);
    const auto found = loops_.find(threadId);
    return found == loops_.end() ? nullptr : found->second;
}

AppModule& TheModule() {
    static AppModule module;
    return module;
}

}  // namespace trovelle::ui
