#include "numeric/thread_count.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace kavri {
namespace {

TEST(ThreadCount, TheRequestWinsTheHardwareFillsInAndTheTasksBoundBoth) {
    const int hardware = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    EXPECT_EQ(threadCount(3), 3);
    EXPECT_EQ(threadCount(3, 2), 2);
    EXPECT_EQ(threadCount(3, 0), 1);  // no tasks: still one thread
    EXPECT_EQ(threadCount(0), hardware);
    EXPECT_EQ(threadCount(-1, 1), 1);
    EXPECT_EQ(threadCount(0, 1000, 1), 1);  // the limit bounds the hardware's count
    EXPECT_EQ(threadCount(5, 1000, 1), 5);  // but not a request
    EXPECT_EQ(threadCount(0, 1000, 0), 1);
}

}  // namespace
}  // namespace kavri
