#pragma once

// A small pool of threads for work that splits into independent tasks: the calling thread and
// size() - 1 helper threads share the task indices of one call. The tasks must not touch each
// other's data; which thread runs which task is not fixed, so a task's result must not depend
// on it (each thread gets its own scratch storage through its worker number).

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "estimation/parallel_for.h"

namespace kavri {

// Threads that a search uses at most.
inline constexpr int kMaxSearchThreads = 8;

class WorkerPool {
 public:
    // nThreads counts the calling thread; below 1 means 1 (no helper thread).
    explicit WorkerPool(int nThreads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    int size() const { return static_cast<int>(helpers_.size()) + 1; }

    // Calls task(index, worker) once for each index 0 .. count-1 and returns when all calls
    // have returned. worker is 0 for the calling thread and 1 .. size()-1 for the helpers.
    void run(int count, const std::function<void(int, int)>& task);

    // The threads a search may use here: the hardware's count, at most `limit`, at least 1
    // (threadCount, numeric/thread_count.h).
    static int availableThreads(int limit);

    // This pool as the searches of the core take it; the pool must outlive the value.
    ParallelFor parallelFor();

 private:
    void helperLoop(int worker);
    void work(int worker);

    std::vector<std::thread> helpers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(int, int)>* task_ = nullptr;
    int count_ = 0;
    int next_ = 0;         // next task index to hand out
    int busyHelpers_ = 0;  // helpers still inside the current call
    long long round_ = 0;  // incremented by every call, so helpers see new work
    bool stopping_ = false;
};

}  // namespace kavri
