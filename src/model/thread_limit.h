#pragma once

// The threads one computation may use. A batch that fits one series per core runs each series
// on a single thread: a series that started threads of its own on top would only make the
// cores take turns. The limit belongs to the calling thread, so that workers fitting
// different series do not disturb each other, and no result depends on it: every parallel
// computation gives the same bits on one thread and on many.

#include <algorithm>
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

}  // namespace kavri
