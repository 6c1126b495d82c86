#include "run/worker_pool.h"

#include <algorithm>

#include "numeric/thread_count.h"

namespace kavri {

WorkerPool::WorkerPool(int nThreads) {
    for (int worker = 1; worker < nThreads; ++worker) {
        helpers_.emplace_back([this, worker] { helperLoop(worker); });
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) {
        helper.join();
    }
}

int WorkerPool::availableThreads(int limit) { return threadCount(0, LLONG_MAX, limit); }

ParallelFor WorkerPool::parallelFor() {
    ParallelFor parallel;
    parallel.workers = size();
    parallel.run = [this](int count, const ParallelFor::Task& task) { run(count, task); };
    return parallel;
}

void WorkerPool::work(int worker) {
    for (;;) {
        int index;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (next_ >= count_) {
                return;
            }
            index = next_++;
        }
        (*task_)(index, worker);
    }
}

void WorkerPool::helperLoop(int worker) {
    long long seenRound = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || round_ != seenRound; });
            if (stopping_) {
                return;
            }
            seenRound = round_;
        }
        work(worker);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --busyHelpers_;
        }
        done_.notify_one();
    }
}

void WorkerPool::run(int count, const std::function<void(int, int)>& task) {
    if (count <= 0) {
        return;
    }
    if (helpers_.empty() || count == 1) {
        for (int index = 0; index < count; ++index) {
            task(index, 0);
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        task_ = &task;
        count_ = count;
        next_ = 0;
        busyHelpers_ = static_cast<int>(helpers_.size());
        ++round_;
    }
    wake_.notify_all();
    work(0);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return busyHelpers_ == 0; });
    task_ = nullptr;
}

}  // namespace kavri
