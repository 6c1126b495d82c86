#include "inference/replicate_runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "numeric/thread_count.h"

namespace kavri {

namespace {

constexpr std::chrono::milliseconds kProgressInterval{100};

}  // namespace

int replicateThreads(int threads) { return threadCount(threads); }

bool runReplicates(int count, int threads, const std::function<void(int)>& task,
                   const ReplicateProgress& progress) {
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    std::condition_variable finished;

    auto work = [&] {
        for (;;) {
            if (stopped.load()) {
                return;
            }
            const int b = next.fetch_add(1);
            if (b >= count) {
                return;
            }
            task(b);
            if (done.fetch_add(1) + 1 == count) {
                std::lock_guard<std::mutex> lock(mutex);
                finished.notify_all();
            }
        }
    };
    const int nThreads = std::min(replicateThreads(threads), std::max(count, 1));
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(nThreads));
    for (int i = 0; i < nThreads; ++i) {
        workers.emplace_back(work);
    }

    if (progress) {
        std::unique_lock<std::mutex> lock(mutex);
        while (done.load() < count) {
            const int now = done.load();
            lock.unlock();
            const bool goOn = progress(now, count);
            lock.lock();
            if (!goOn) {
                stopped.store(true);
                break;
            }
            finished.wait_for(lock, kProgressInterval, [&] { return done.load() >= count; });
        }
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    const bool completed = !stopped.load();
    if (completed && progress) {
        progress(count, count);
    }
    return completed;
}

}  // namespace kavri
