// A thread of the window's that asks the cache server for the folder tree and the treemap, in
// an apartment of its own with one connection kept: jobs run in the order queued, and post
// what they found to the window. The window never waits for the server.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "CacheConnection.h"

namespace trovelle::browser {

class CacheWorker {
public:
    using Job = std::function<void(CacheConnection& cache)>;

    CacheWorker();
    ~CacheWorker();
    CacheWorker(const CacheWorker&) = delete;
    CacheWorker& operator=(const CacheWorker&) = delete;

    void Queue(Job job);
    // Before every job queued and not started yet: what the user waits for.
    void QueueFirst(Job job);
    // Ends the thread, waiting a bounded time for a job that runs.
    void Stop();

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace trovelle::browser
