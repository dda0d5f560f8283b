#include "MessageLoop.h"

#include <algorithm>

namespace trovelle::ui {
namespace {

template <typename Item>
void Remove(std::vector<Item*>& items, Item* item) {
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

// Messages after which the idle handlers get another turn (mouse moves and timer ticks
// would otherwise keep them running all the time).
bool EarnsIdleTime(const MSG& message) {
    switch (message.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_PAINT:
        case 0x0118:  // WM_SYSTIMER, the caret's blink
            return false;
        default:
            return true;
    }
}

}  // namespace

void MessageLoop::AddMessageFilter(MessageFilter* filter) { filters_.push_back(filter); }
void MessageLoop::RemoveMessageFilter(MessageFilter* filter) { Remove(filters_, filter); }
void MessageLoop::AddIdleHandler(IdleHandler* handler) { idleHandlers_.push_back(handler); }
void MessageLoop::RemoveIdleHandler(IdleHandler* handler) { Remove(idleHandlers_, handler); }

bool MessageLoop::PreTranslate(MSG* message) {
    const std::vector<MessageFilter*> filters = filters_;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if ((*it)->PreTranslateMessage(message)) return true;
    }
    return false;
}

bool MessageLoop::RunIdleHandlers() {
    const std::vector<IdleHandler*> handlers = idleHandlers_;
    bool wantMore = false;
    for (IdleHandler* handler : handlers) wantMore |= handler->OnIdle() != FALSE;
    return wantMore;
}

int MessageLoop::Run() {
    MSG message{};
    bool idle = true;
    for (;;) {
        while (idle && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            idle = RunIdleHandlers();
        }
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) continue;  // a bad call is skipped; the loop goes on
        if (got == 0) break;
        if (!PreTranslate(&message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (EarnsIdleTime(message)) idle = true;
    }
    return static_cast<int>(message.wParam);
}

}  // namespace trovelle::ui
