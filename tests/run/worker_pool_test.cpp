#include "run/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace kavri {
namespace {

// Every index runs exactly once per call, with a worker number inside the pool, and the pool
// can be reused call after call (the helpers must see each new round, including an empty one).
TEST(WorkerPool, RunsEveryTaskOnceOnAnyPoolSize) {
    for (int threads : {0, 1, 2, 5}) {
        WorkerPool pool(threads);
        EXPECT_EQ(pool.size(), threads < 1 ? 1 : threads);
        for (int count : {0, 1, 7, 1000}) {
            std::vector<std::atomic<int>> calls(static_cast<std::size_t>(count));
            std::atomic<int> badWorker{0};
            pool.run(count, [&](int index, int worker) {
                calls[static_cast<std::size_t>(index)].fetch_add(1);
                if (worker < 0 || worker >= pool.size()) {
                    badWorker.fetch_add(1);
                }
            });
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(calls[static_cast<std::size_t>(i)].load(), 1)
                    << "threads " << threads << ", count " << count << ", index " << i;
            }
            EXPECT_EQ(badWorker.load(), 0);
        }
    }
}

// Results written per index do not depend on the pool size: what the searches rely on for
// the same bits on one core and on all.
TEST(WorkerPool, PerIndexResultsDoNotDependOnThreads) {
    auto compute = [](int threads) {
        WorkerPool pool(threads);
        std::vector<double> out(500);
        pool.run(500, [&](int i, int) {
            double v = 0.0;
            for (int k = 1; k <= i + 1; ++k) {
                v += 1.0 / (k * 3.0 + i);
            }
            out[static_cast<std::size_t>(i)] = v;
        });
        return out;
    };
    EXPECT_EQ(compute(1), compute(4));
    EXPECT_GE(WorkerPool::availableThreads(8), 1);
    EXPECT_LE(WorkerPool::availableThreads(8), 8);
    EXPECT_EQ(WorkerPool::availableThreads(1), 1);
}

}  // namespace
}  // namespace kavri
