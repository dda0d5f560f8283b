#include "CacheWorker.h"

#include "ComApartment.h"
#include "WorkerStop.h"

namespace trovelle::browser {

struct CacheWorker::Shared {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Job> jobs;
    bool stopping = false;
    bool stopped = false;
};

CacheWorker::CacheWorker() : shared_(std::make_shared<Shared>()) {
    thread_ = std::thread(Run, shared_);
}

CacheWorker::~CacheWorker() { Stop(); }

void CacheWorker::Queue(Job job) {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->jobs.push_back(std::move(job));
    shared_->wake.notify_all();
}

void CacheWorker::QueueFirst(Job job) {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->jobs.push_front(std::move(job));
    shared_->wake.notify_all();
}

void CacheWorker::Stop() {
    {
        const std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->jobs.clear();
    }
    StopWorker(thread_, *shared_);
}

void CacheWorker::Run(std::shared_ptr<Shared> shared) {
    const ComApartment apartment;
    auto cache = std::make_unique<CacheConnection>();
    std::unique_lock<std::mutex> hold(shared->lock);
    for (;;) {
        shared->wake.wait(hold, [&] { return shared->stopping || !shared->jobs.empty(); });
        if (shared->stopping) break;
        Job job = std::move(shared->jobs.front());
        shared->jobs.pop_front();
        hold.unlock();
        if (apartment) job(*cache);
        hold.lock();
    }
    hold.unlock();
    cache.reset();  // released in the apartment that made it
    hold.lock();
    shared->stopped = true;
    shared->wake.notify_all();
}

}  // namespace trovelle::browser
