// The end of one of the window's worker threads: asked to stop, waited for a bounded time, and
// let go if it is still inside a call (a handler's or the server's long measurement): the
// window closes without waiting for it. The thread keeps its shared state alive itself.
#pragma once

#include <chrono>
#include <mutex>
#include <thread>

namespace trovelle::browser {

inline constexpr std::chrono::seconds kWorkerStopWait{3};

// `Shared` has `lock`, `wake`, `stopping` (set here) and `stopped` (set by the thread).
template <typename Shared>
void StopWorker(std::thread& thread, Shared& shared) {
    if (!thread.joinable()) return;
    std::unique_lock<std::mutex> hold(shared.lock);
    shared.stopping = true;
    shared.wake.notify_all();
    const bool ended = shared.wake.wait_for(hold, kWorkerStopWait, [&] { return shared.stopped; });
    hold.unlock();
    if (ended) {
        thread.join();
    } else {
        thread.detach();
    }
}

}  // namespace trovelle::browser
