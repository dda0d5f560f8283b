// The application frame: the module's thread-to-loop table and the loop's filters and idle time.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "AppModule.h"
#include "MessageLoop.h"

namespace trovelle::ui {
namespace {

constexpr UINT kProbe = WM_APP + 7;

// Takes kProbe messages when told to and records what it saw.
class ProbeFilter : public MessageFilter {
public:
    ProbeFilter(std::vector<int>& order, int name, bool takes)
        : order_(order), name_(name), takes_(takes) {}
    BOOL PreTranslateMessage(MSG* message) override {
        if (message->message != kProbe) return FALSE;
        order_.push_back(name_);
        return takes_ ? TRUE : FALSE;
    }

private:
    std::vector<int>& order_;
    int name_;
    bool takes_;
};

// Posts the end of the loop from its first idle turn, and removes itself while being called.
class QuitWhenIdle : public IdleHandler {
public:
    explicit QuitWhenIdle(MessageLoop& loop) : loop_(loop) {}
    BOOL OnIdle() override {
        ++calls;
        loop_.RemoveIdleHandler(this);
        ::PostQuitMessage(42);
        return FALSE;
    }
    int calls = 0;

private:
    MessageLoop& loop_;
};

TEST(Frame, TheModuleKeepsOneLoopPerThread) {
    AppModule module;
    module.Init(::GetModuleHandleW(nullptr));
    EXPECT_EQ(module.MainThreadId(), ::GetCurrentThreadId());
    MessageLoop first;
    MessageLoop second;
    EXPECT_TRUE(module.AddMessageLoop(&first));
    EXPECT_FALSE(module.AddMessageLoop(&second)) << "a thread has one loop";
    EXPECT_EQ(module.GetMessageLoop(), &first);
    EXPECT_EQ(module.GetMessageLoop(::GetCurrentThreadId() + 1), nullptr);
    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_FALSE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    module.Term();
}

TEST(Frame, FiltersSeeMessagesLastAddedFirstAndIdleTimeEndsTheLoop) {
    MessageLoop loop;
    std::vector<int> order;
    ProbeFilter passes(order, 1, false);
    ProbeFilter takes(order, 2, true);
    ProbeFilter later(order, 3, false);
    loop.AddMessageFilter(&passes);
    loop.AddMessageFilter(&takes);
    loop.AddMessageFilter(&later);
    ProbeFilter removed(order, 4, false);
    loop.AddMessageFilter(&removed);
    loop.RemoveMessageFilter(&removed);
    QuitWhenIdle quit(loop);
    loop.AddIdleHandler(&quit);

    ::PostThreadMessageW(::GetCurrentThreadId(), kProbe, 0, 0);
    EXPECT_EQ(loop.Run(), 42) << "the loop returns WM_QUIT's wParam";
    EXPECT_EQ(order, (std::vector<int>{3, 2})) << "a filter that takes it ends the search";
    EXPECT_EQ(quit.calls, 1);
}

}  // namespace
}  // namespace trovelle::ui
