#include "forecast/simulated_paths.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <thread>

#include "forecast/path_summary.h"
#include "numeric/thread_count.h"

namespace kavri {

namespace {

// Calls task(begin, end) on nThreads contiguous ranges that cover 0 .. count-1, the first on
// the calling thread, and returns when all have returned.
void forEachRange(int count, int nThreads, const std::function<void(int, int)>& task) {
    std::vector<std::thread> helpers;
    const auto bound = [count, nThreads](int i) {
        return static_cast<int>(static_cast<long long>(count) * i / nThreads);
    };
    for (int i = 1; i < nThreads; ++i) {
        helpers.emplace_back(task, bound(i), bound(i + 1));
    }
    task(bound(0), bound(1));
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

}  // namespace

int threadsFor(int requested, long long count) { return threadCount(requested, count); }

void simulatePaths(const PathSimulation& s, ForecastResult& result) {
    const SetarRecursion& recursion = s.recursion;
    const int memory = recursion.memory();
    assert(static_cast<int>(s.start.size()) == memory && s.horizon >= 1 && s.nPaths >= 1);
    const int blockSteps =
        static_cast<int>(std::clamp<long long>(s.blockValues / s.nPaths, 1, s.horizon));
    // Row p holds path p: its last `memory` values, then the steps of the current block.
    const std::size_t width = static_cast<std::size_t>(memory + blockSteps);
    std::vector<double> rows(width * static_cast<std::size_t>(s.nPaths));
    std::vector<PathRandomStream> streams(static_cast<std::size_t>(s.nPaths));
    for (int p = 0; p < s.nPaths; ++p) {
        std::copy(s.start.begin(), s.start.end(),
                  rows.begin() + static_cast<std::ptrdiff_t>(width * p));
        streams[static_cast<std::size_t>(p)] = PathRandomStream(
            s.seed, static_cast<std::uint64_t>(s.origin), static_cast<std::uint64_t>(p));
    }

    const std::size_t nLevels = s.levels.size();
    result.point.assign(static_cast<std::size_t>(s.horizon), 0.0);
    result.median.assign(static_cast<std::size_t>(s.horizon), 0.0);
    result.intervals.assign(nLevels, ForecastInterval{});
    for (std::size_t i = 0; i < nLevels; ++i) {
        result.intervals[i].level = s.levels[i];
        result.intervals[i].lower.assign(static_cast<std::size_t>(s.horizon), 0.0);
        result.intervals[i].upper.assign(static_cast<std::size_t>(s.horizon), 0.0);
    }

    const int pathThreads = threadsFor(s.nThreads, s.nPaths);
    for (int first = 0; first < s.horizon; first += blockSteps) {
        const int steps = std::min(blockSteps, s.horizon - first);
        forEachRange(s.nPaths, pathThreads, [&](int begin, int end) {
            for (int p = begin; p < end; ++p) {
                double* row = rows.data() + width * static_cast<std::size_t>(p);
                PathRandomStream& stream = streams[static_cast<std::size_t>(p)];
                for (int j = 0; j < steps; ++j) {
                    double* next = row + memory + j;
                    int regime = 0;
                    // Step first + j + 1 stands for the observation origin + that step.
                    const double mean =
                        recursion.step(next, first + j + 1, regime, s.origin + first + j + 1.0);
                    *next = mean + s.innovations.draw(regime, stream);
                }
            }
        });
        forEachRange(steps, threadsFor(s.nThreads, steps), [&](int begin, int end) {
            std::vector<double> column(static_cast<std::size_t>(s.nPaths));
            for (int j = begin; j < end; ++j) {
                for (int p = 0; p < s.nPaths; ++p) {
                    column[static_cast<std::size_t>(p)] =
                        rows[width * static_cast<std::size_t>(p) +
                             static_cast<std::size_t>(memory + j)];
                }
                const StepSummary summary = summariseStep(column, s.levels);
                const std::size_t h = static_cast<std::size_t>(first + j);
                result.point[h] = summary.mean;
                result.median[h] = summary.median;
                for (std::size_t i = 0; i < nLevels; ++i) {
                    result.intervals[i].lower[h] = summary.lower[i];
                    result.intervals[i].upper[h] = summary.upper[i];
                }
            }
        });
        if (first + steps < s.horizon) {
            for (int p = 0; p < s.nPaths; ++p) {
                double* row = rows.data() + width * static_cast<std::size_t>(p);
                std::copy(row + steps, row + steps + memory, row);
            }
        }
    }
}

}  // namespace kavri
