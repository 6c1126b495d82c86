#include "estimation/split_table.h"

#include <algorithm>
#include <cassert>
#include <memory>

#include "estimation/regression_lanes.h"
#include "estimation/table_units.h"

namespace kavri {

namespace {

// Tasks per worker in one block of starts: enough to balance the workers, few enough blocks
// that waiting for each one costs little.
constexpr int kGroupsPerWorker = 4;

// A range end inside the block of starts, whose paths are not known while the block is grown.
struct PendingEnd {
    int end;
    int ranges;  // the ranges of the paths it may begin (one order per regime), 0 for any
    double cost;
};

// What the ranges of one start found: the best path of each regime count over the ends whose
// paths were final, and the ends that had to wait.
struct StartResult {
    std::array<double, kMaxRegimeCount + 1> best{};
    std::array<int, kMaxRegimeCount + 1> bestEnd{};
    std::vector<PendingEnd> pending;
};

// The scratch storage of one worker, obtained once for the whole table.
struct Worker {
    explicit Worker(const SplitProblem& problem)
        : lanes(problem.rows->design()),
          cost(problem.holdout, problem.rows->design(), problem.relative, problem.exactFitLogFloor,
               problem.fixedOrder),
          sse(static_cast<std::size_t>(problem.rows->design().lagCount + 1) * kLanes, 0.0) {}
    RegressionLanes lanes;
    RangeCost cost;
    // The lanes' order statistics of the current step, computed when a lane first needs them.
    bool statisticsReady = false;
    std::array<int, kLanes> singularFrom{};
    std::vector<double> sse;
    std::array<double, kLanes> sst{};
};

class SplitTable {
 public:
    SplitTable(const SplitProblem& problem, const ThresholdCandidates& candidates,
               const ParallelFor& parallel)
        : problem_(problem),
          parallel_(parallel),
          units_(*problem.rows, problem.n, candidates),
          last_(units_.boundaryCount() - 1),
          rotations_(units_.everyValue() && problem.rows->design().constant()
                         ? units_.unitCount() + 1
                         : 0) {
        for (int j = 0; j <= problem.maxRegimes; ++j) {
            pathCost_.emplace_back(static_cast<std::size_t>(last_) + 1, kInfiniteCost);
            firstEnd_.emplace_back(static_cast<std::size_t>(last_) + 1, 0);
        }
        pathCost_[0][last_] = 0.0;
        continues_.assign(static_cast<std::size_t>(last_) + 1, 0);
        for (int w = 0; w < std::max(parallel.workers, 1); ++w) {
            workers_.push_back(std::make_unique<Worker>(problem));
        }
    }

    BestSplit solve(const std::function<void(double share)>& progress);

 private:
    bool canStart(int a) const;
    void growGroup(int firstSlot, int count, Worker& worker);
    void appendUnits(const std::array<int, kLanes>& unit, RegressionLanes& lanes) const;
    void considerEnd(int slot, int a, int b, int topStart, Worker& worker, int lane, bool& fitted);
    void considerEndPerRegime(int slot, int a, int b, int topStart, Worker& worker, int lane);
    void prepareStatistics(Worker& worker) const;
    void mergeStart(int slot, int a);

    const SplitProblem& problem_;
    const ParallelFor& parallel_;
    TableUnits units_;
    int last_;  // the boundary at rank n
    ConstantColumnRotations rotations_;
    std::vector<std::vector<double>> pathCost_;  // [j][boundary]
    std::vector<std::vector<int>> firstEnd_;
    // 1 where a path of fewer than maxRegimes ranges leads on from the boundary, so that a
    // range ending there can be followed by more.
    std::vector<char> continues_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<int> blockStarts_;
    std::vector<StartResult> results_;
};

// Only the whole range may hold fewer than minObs usable observations; a later regime needs
// minObs of them below it and each range from it minObs more.
bool SplitTable::canStart(int a) const {
    if (a == 0) {
        return true;
    }
    return problem_.maxRegimes >= 2 && units_.usableAt(a) >= problem_.minObs &&
           units_.usableAt(last_) - units_.usableAt(a) >= problem_.minObs;
}

void SplitTable::prepareStatistics(Worker& worker) const {
    if (!worker.statisticsReady) {
        worker.lanes.orderStatistics(worker.singularFrom, worker.sse.data(), worker.sst);
        worker.statisticsReady = true;
    }
}

// With one order per regime a range's cost depends on the regime it is: the range that begins
// a path of j ranges to rank n is regime maxRegimes - j, and the splits have exactly
// maxRegimes ranges, so the first begins at rank 0 and the last ends at rank n.
void SplitTable::considerEndPerRegime(int slot, int a, int b, int topStart, Worker& worker,
                                      int lane) {
    if (units_.usableAt(b) - units_.usableAt(a) < problem_.minObs) {
        return;
    }
    const bool final = b > topStart;
    if (!final && !canStart(b)) {
        return;
    }
    if (final && b != last_ && continues_[b] == 0) {
        return;
    }
    const int regimes = problem_.maxRegimes;
    const bool responsesEqual = problem_.rows->responsesEqual(units_.rankOf(a), units_.rankOf(b));
    StartResult& result = results_[slot];
    for (int j = 1; j <= regimes; ++j) {
        if ((a == 0) != (j == regimes) || (b == last_) != (j == 1)) {
            continue;
        }
        prepareStatistics(worker);
        worker.cost.setFixedOrder(problem_.regimeOrders[regimes - j]);
        worker.cost.fit(worker.lanes.view(lane), responsesEqual, worker.singularFrom[lane],
                        worker.sse.data() + lane, kLanes, worker.sst[lane]);
        const double cost = worker.cost.cost(units_.rankOf(a), units_.rankOf(b));
        if (!(cost < kInfiniteCost)) {
            continue;
        }
        if (!final) {
            result.pending.push_back(PendingEnd{b, j, cost});
            continue;
        }
        const double total = cost + pathCost_[j - 1][b];
        if (total < result.best[j]) {
            result.best[j] = total;
            result.bestEnd[j] = b;
        }
    }
}

void SplitTable::considerEnd(int slot, int a, int b, int topStart, Worker& worker, int lane,
                             bool& fitted) {
    if (problem_.ordersPerRegime()) {
        considerEndPerRegime(slot, a, b, topStart, worker, lane);
        return;
    }
    const bool enoughRows = units_.usableAt(b) - units_.usableAt(a) >= problem_.minObs;
    if (!enoughRows && !(a == 0 && b == last_)) {
        return;
    }
    const bool final = b > topStart;
    if (!final && !canStart(b)) {
        return;
    }
    if (final && b != last_ && !(enoughRows && continues_[b] != 0)) {
        return;
    }
    if (!fitted) {
        prepareStatistics(worker);
        worker.cost.fit(worker.lanes.view(lane),
                        problem_.rows->responsesEqual(units_.rankOf(a), units_.rankOf(b)),
                        worker.singularFrom[lane], worker.sse.data() + lane, kLanes,
                        worker.sst[lane]);
        fitted = true;
    }
    const double cost = worker.cost.cost(units_.rankOf(a), units_.rankOf(b));
    if (!(cost < kInfiniteCost)) {
        return;
    }
    StartResult& result = results_[slot];
    if (!final) {
        result.pending.push_back(PendingEnd{b, 0, cost});
        return;
    }
    for (int j = 1; j <= problem_.maxRegimes; ++j) {
        if (j >= 2 && !enoughRows) {
            continue;
        }
        const double total = cost + pathCost_[j - 1][b];
        // Strictly lower: among equal sums the earliest end, hence the lowest positions.
        if (total < result.best[j]) {
            result.best[j] = total;
            result.bestEnd[j] = b;
        }
    }
}

// Grows the ranges of the starts in slots firstSlot .. firstSlot+count-1 side by side: at step
// i lane q appends unit firstUnit(start q) + i.
void SplitTable::growGroup(int firstSlot, int count, Worker& worker) {
    const int topStart = blockStarts_.front();
    const int unitCount = units_.unitCount();
    std::array<int, kLanes> start{};
    std::array<int, kLanes> firstUnit{};
    int longest = 0;
    for (int q = 0; q < kLanes; ++q) {
        start[q] = blockStarts_[firstSlot + std::min(q, count - 1)];
        firstUnit[q] = units_.firstUnit(start[q]);
        longest = std::max(longest, unitCount - firstUnit[q]);
    }
    worker.lanes.clear();
    for (int i = 0; i < longest; ++i) {
        std::array<int, kLanes> unit{};
        for (int q = 0; q < kLanes; ++q) {
            unit[q] = q < count && firstUnit[q] + i < unitCount ? firstUnit[q] + i : -1;
        }
        appendUnits(unit, worker.lanes);
        worker.statisticsReady = false;
        for (int q = 0; q < count; ++q) {
            if (unit[q] < 0) {
                continue;
            }
            bool fitted = false;
            for (int b = units_.endsBegin(unit[q]); b < units_.endsBegin(unit[q] + 1); ++b) {
                considerEnd(firstSlot + q, start[q], b, topStart, worker, q, fitted);
            }
        }
    }
}

// Appends unit[q] to lane q. A lane without one (-1) repeats the last row with every value,
// and what it computes then is not used; with candidates it takes zero rows.
void SplitTable::appendUnits(const std::array<int, kLanes>& unit, RegressionLanes& lanes) const {
    const int last = units_.unitCount() - 1;
    RegressionLanes::LaneRows rows{};
    const bool constant = problem_.rows->design().constant();
    if (units_.everyValue()) {
        for (int q = 0; q < kLanes; ++q) {
            rows[q] = units_.row(unit[q] >= 0 ? unit[q] : last, 0);
        }
        if (constant) {
            lanes.appendRowsWithConstant(rows, rotations_);
        } else {
            lanes.appendRowsWithoutConstant(rows);
        }
        return;
    }
    int rowCount = 0;
    for (int q = 0; q < kLanes; ++q) {
        rowCount = std::max(rowCount, unit[q] >= 0 ? units_.rowCount(unit[q]) : 0);
    }
    for (int r = 0; r < rowCount; ++r) {
        for (int q = 0; q < kLanes; ++q) {
            rows[q] = unit[q] >= 0 && r < units_.rowCount(unit[q]) ? units_.row(unit[q], r)
                                                                   : lanes.zeroRow();
        }
        lanes.appendRow(rows);
    }
    RegressionLanes::LaneRows squares{};
    std::array<int, kLanes> observations{};
    for (int q = 0; q < kLanes; ++q) {
        squares[q] = units_.blockSquares(unit[q] >= 0 ? unit[q] : last);
        observations[q] = unit[q] >= 0 ? units_.blockObservations(unit[q]) : 0;
    }
    lanes.addStatistics(squares, observations);
    if (!constant) {
        // The blocks' spreads by their factor's two rows, (r00, r01) and (0, r11).
        std::array<double, kLanes> a{};
        std::array<double, kLanes> b{};
        for (int q = 0; q < kLanes; ++q) {
            const ResponseSpread spread =
                unit[q] >= 0 ? units_.blockSpread(unit[q]) : ResponseSpread{};
            a[q] = spread.r00;
            b[q] = spread.r01;
        }
        lanes.appendSpreadRows(a, b);
        for (int q = 0; q < kLanes; ++q) {
            a[q] = 0.0;
            b[q] = unit[q] >= 0 ? units_.blockSpread(unit[q]).r11 : 0.0;
        }
        lanes.appendSpreadRows(a, b);
    }
}

// The paths of start a: first the ends inside the block, in ascending order, then the best
// over the later ends, which lie above them all, so the earliest end still wins a tie.
void SplitTable::mergeStart(int slot, int a) {
    const StartResult& result = results_[slot];
    for (int j = 1; j <= problem_.maxRegimes; ++j) {
        double best = kInfiniteCost;
        int end = 0;
        for (const PendingEnd& pending : result.pending) {
            if (pending.ranges != 0 && pending.ranges != j) {
                continue;
            }
            const double total = pending.cost + pathCost_[j - 1][pending.end];
            if (total < best) {
                best = total;
                end = pending.end;
            }
        }
        if (result.best[j] < best) {
            best = result.best[j];
            end = result.bestEnd[j];
        }
        pathCost_[j][a] = best;
        firstEnd_[j][a] = end;
        if (j < problem_.maxRegimes && best < kInfiniteCost) {
            continues_[a] = 1;
        }
    }
}

BestSplit SplitTable::solve(const std::function<void(double share)>& progress) {
    std::vector<int> starts;
    for (int a = last_ - 1; a >= 0; --a) {
        if (canStart(a)) {
            starts.push_back(a);
        }
    }
    const int workers = static_cast<int>(workers_.size());
    const int blockSize = kLanes * kGroupsPerWorker * workers;
    results_.resize(static_cast<std::size_t>(blockSize));
    for (std::size_t first = 0; first < starts.size() && units_.unitCount() > 0;
         first += blockSize) {
        const std::size_t last = std::min(starts.size(), first + blockSize);
        blockStarts_.assign(starts.begin() + first, starts.begin() + last);
        const int size = static_cast<int>(blockStarts_.size());
        for (int slot = 0; slot < size; ++slot) {
            results_[slot].best.fill(kInfiniteCost);
            results_[slot].bestEnd.fill(0);
            results_[slot].pending.clear();
        }
        const int groups = (size + kLanes - 1) / kLanes;
        parallel_(groups, [&](int group, int worker) {
            const int firstSlot = group * kLanes;
            growGroup(firstSlot, std::min(kLanes, size - firstSlot), *workers_[worker]);
        });
        for (int slot = 0; slot < size; ++slot) {
            mergeStart(slot, blockStarts_[slot]);
        }
        // The ranges of start a reach the last - a boundaries above it.
        if (progress) {
            const double left = static_cast<double>(blockStarts_.back()) / last_;
            progress(1.0 - left * left);
        }
    }

    BestSplit best;
    int regimes = 0;
    for (int j = 1; j <= problem_.maxRegimes; ++j) {
        // With one order per regime only the splits into every regime count.
        if (problem_.ordersPerRegime() && j != problem_.maxRegimes) {
            continue;
        }
        // Strictly lower: an equal sum with more thresholds does not replace fewer.
        if (pathCost_[j][0] < best.criterion) {
            best.criterion = pathCost_[j][0];
            regimes = j;
        }
    }
    int a = 0;
    for (int j = regimes; j >= 2; --j) {
        a = firstEnd_[j][a];
        best.positions[best.nThresholds++] = units_.rankOf(a);
    }
    return best;
}

}  // namespace

BestSplit bestSplitByTable(const SplitProblem& problem, const ThresholdCandidates& candidates,
                           const ParallelFor& parallel,
                           const std::function<void(double share)>& progress) {
    assert(problem.maxRegimes >= 1 && problem.maxRegimes <= kMaxRegimeCount);
    SplitTable table(problem, candidates, parallel);
    return table.solve(progress);
}

}  // namespace kavri
