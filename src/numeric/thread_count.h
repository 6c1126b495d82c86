#pragma once

// How many threads a piece of parallel work starts: the one count that the searches' worker
// pool, the bootstrap replicates and the simulated forecast paths use. The results never
// depend on it (every task's result is the same whichever thread runs it), only the time.
//
// A batch that fits one series per core runs each series on a single thread: a series that
// started threads of its own on top would only make the cores take turns. That limit belongs
// to the calling thread (ThreadLimitScope), so that workers fitting different series do not
// disturb each other.

#include <algorithm>
#include <climits>
#include <thread>

namespace kavri {

namespace detail {
inline thread_local int threadLimit = 0;  // 0: as many as the hardware has
}  // namespace detail

// The hardware's threads, at most the limit set on this thread, at least 1.
inline int availableHardwareThreads() {
    const int hardware = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    return detail::threadLimit > 0 ? std::min(hardware, detail::threadLimit) : hardware;
}

// Limits the threads of the computations this thread starts while the scope lives.
class ThreadLimitScope {
 public:
    explicit ThreadLimitScope(int limit) : previous_(detail::threadLimit) {
        detail::threadLimit = std::max(0, limit);
    }
    ThreadLimitScope(const ThreadLimitScope&) = delete;
    ThreadLimitScope& operator=(const ThreadLimitScope&) = delete;
    ~ThreadLimitScope() { detail::threadLimit = previous_; }

 private:
    int previous_;
};

// `requested` when above 0; otherwise the threads available to this thread
// (availableHardwareThreads), at most `limit`. Never more than `tasks` (the tasks to share out,
// counted as 1 when there are none) and never below 1.
int threadCount(int requested, long long tasks = LLONG_MAX, int limit = INT_MAX);

}  // namespace kavri
