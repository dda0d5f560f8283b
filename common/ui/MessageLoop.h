// The program's message loop: message filters see every message first, idle handlers run when
// the queue is empty.
#pragma once

#include <windows.h>

#include <vector>

namespace trovelle::ui {

class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    // TRUE when the message has been dealt with and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* message) = 0;
};

class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    // TRUE asks for more idle time before the next message.
    virtual BOOL OnIdle() = 0;
};

class MessageLoop {
public:
    void AddMessageFilter(MessageFilter* filter);
    void RemoveMessageFilter(MessageFilter* filter);
    void AddIdleHandler(IdleHandler* handler);
    void RemoveIdleHandler(IdleHandler* handler);

    // Runs until WM_QUIT and returns its wParam.
    int Run();

private:
    bool PreTranslate(MSG* message);
    bool RunIdleHandlers();

    // Handlers may remove themselves while being called: the loops walk copies.
    std::vector<MessageFilter*> filters_;
    std::vector<IdleHandler*> idleHandlers_;
};

}  // namespace trovelle::ui
