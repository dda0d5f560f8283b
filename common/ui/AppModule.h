// The application module: the program's instance, its main thread and each UI thread's loop.
#pragma once

#include <windows.h>

#include <map>

#include "CriticalSection.h"

namespace trovelle::ui {

class MessageLoop;

class AppModule {
public:
    void Init(HINSTANCE instance);
    void Term();

    HINSTANCE Instance() const { return instance_; }
    DWORD MainThreadId() const { return mainThreadId_; }

    // One loop per thread; false when the calling thread has one already.
    bool AddMessageLoop(MessageLoop* loop);
    bool RemoveMessageLoop();
    // The loop of the calling thread, or nullptr.
    MessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

private:
    HINSTANCE instance_ = nullptr;
    DWORD mainThreadId_ = 0;
    mutable CriticalSection lock_;
    std::map<DWORD, MessageLoop*> loops_;
};

// The program's one module.
AppModule& TheModule();

}  // namespace trovelle::ui
