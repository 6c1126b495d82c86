#include "numeric/thread_count.h"

#include <algorithm>
#include <thread>

namespace kavri {

int threadCount(int requested, long long tasks, int limit) {
    int threads = requested;
    if (threads <= 0) {
        threads = std::min(availableHardwareThreads(), limit);
    }
    threads = std::max(threads, 1);
    return static_cast<int>(std::min<long long>(threads, std::max<long long>(tasks, 1)));
}

}  // namespace kavri
