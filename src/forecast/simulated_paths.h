#pragma once

// Many paths of the model simulated from one origin, summarised step by step.

#include <vector>

#include "forecast/forecast_result.h"
#include "forecast/innovations.h"
#include "forecast/setar_recursion.h"

namespace kavri {

struct PathSimulation {
    const SetarRecursion& recursion;
    const InnovationSource& innovations;
    std::vector<double>
        start;       // the last recursion.memory() values before the origin, in time order
    int origin = 0;  // keys the random streams together with the seed
    int horizon = 1;
    int nPaths = 1;
    std::uint64_t seed = 0;
    std::vector<double> levels;
    int nThreads = 0;  // 0: every hardware thread
    // Bound on the simulated values held at once: horizon x nPaths values are simulated in
    // blocks of steps that fit it, each path carrying its last values and its random stream
    // from one block to the next. The results do not depend on it.
    long long blockValues = 1LL << 22;
};

// Simulates path p = 0 .. nPaths-1, each from its own stream PathRandomStream(seed, origin, p):
// at step h the regime from the recursion, its conditional mean, plus an innovation of that
// regime. Fills `result`'s point (the mean of the paths), median and intervals. Paths are
// spread over the threads in contiguous ranges and summed in path order afterwards, so the
// result is the same bits for every thread count and block size.
void simulatePaths(const PathSimulation& simulation, ForecastResult& result);

// The number of threads to use for `count` independent tasks when `requested` are asked
// (0: every hardware thread): at least 1, at most count, as threadCount
// (numeric/thread_count.h) counts them.
int threadsFor(int requested, long long count);

}  // namespace kavri
