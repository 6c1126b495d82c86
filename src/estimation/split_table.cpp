#include "estimation/split_table.h"

#include <algorithm>
#include <cassert>
#include <memory>

#include "estimation/regression_lanes.h"

namespace kavri {

namespace {

// Tasks per worker in one block of starts: enough to balance the workers, few enough blocks
// that waiting for each one costs little.
constexpr int kGroupsPerWorker = 4;

// The boundaries of the table (ranks at which a range may begin or end) and the units that a
// range's regression appends between them.
class TableUnits {
 public:
    TableUnits(const RankRows& rows, int n, const ThresholdCandidates& candidates)
        : columns_(rows.columns()), everyValue_(candidates.everyValue) {
        if (everyValue_) {
            for (int h = 0; h <= n; ++h) {
                boundaryRank_.push_back(h);
                usableAt_.push_back(rows.usableBefore(h));
            }
            for (int h = 0; h < n; ++h) {
                if (rows.usable(h)) {
                    unitRows_.push_back(rows.row(h));
                    endsBegin_.push_back(h + 1);
                }
            }
            endsBegin_.push_back(n + 1);
            return;
        }
        boundaryRank_.push_back(0);
        boundaryRank_.insert(boundaryRank_.end(), candidates.ranks.begin(), candidates.ranks.end());
        boundaryRank_.push_back(n);
        for (int rank : boundaryRank_) {
            usableAt_.push_back(rows.usableBefore(rank));
        }
        const int blocks = static_cast<int>(boundaryRank_.size()) - 1;
        for (int j = 0; j < blocks; ++j) {
            addBlock(rows, boundaryRank_[j], boundaryRank_[j + 1]);
            endsBegin_.push_back(j + 1);
        }
        endsBegin_.push_back(blocks + 1);
    }

    bool everyValue() const { return everyValue_; }
    int boundaryCount() const { return static_cast<int>(boundaryRank_.size()); }
    int rankOf(int boundary) const { return boundaryRank_[boundary]; }
    int usableAt(int boundary) const { return usableAt_[boundary]; }
    int unitCount() const { return static_cast<int>(endsBegin_.size()) - 1; }
    // The first unit that a range beginning at `boundary` appends.
    int firstUnit(int boundary) const { return everyValue_ ? usableAt_[boundary] : boundary; }
    // The boundaries that close right after unit j: endsBegin(j) .. endsBegin(j + 1) - 1.
    int endsBegin(int j) const { return endsBegin_[j]; }

    // With every value: unit j is one usable row.
    const double* row(int j) const { return unitRows_[j]; }
    // With candidates: unit j is a block of blockRowCount(j) rows, padded with zero rows to
    // `columns` rows, and the column squares and observations of the block's own rows.
    const double* blockRows(int j) const { return &blockRows_[block(j) * columns_]; }
    int blockRowCount(int j) const { return blockRowCount_[j]; }
    const double* blockSquares(int j) const { return &blockSquares_[j * columns_]; }
    int blockObservations(int j) const { return blockObservations_[j]; }

 private:
    std::size_t block(int j) const { return static_cast<std::size_t>(j) * columns_; }

    void addBlock(const RankRows& rows, int begin, int end) {
        const std::size_t size = static_cast<std::size_t>(columns_) * columns_;
        const std::size_t at = blockRows_.size();
        blockRows_.resize(at + size, 0.0);
        blockSquares_.resize(blockSquares_.size() + columns_, 0.0);
        double* squares = &blockSquares_[blockSquares_.size() - columns_];
        QrRangeRegression factor(columns_ - 1);
        int observations = 0;
        for (int h = begin; h < end; ++h) {
            if (!rows.usable(h)) {
                continue;
            }
            const double* row = rows.row(h);
            for (int k = 0; k < columns_; ++k) {
                squares[k] += row[k] * row[k];
            }
            if (observations < columns_) {
                std::copy(row, row + columns_, &blockRows_[at + observations * columns_]);
            }
            factor.append(row);
            ++observations;
        }
        // More rows than the factor has: the factor's rows give the same regression.
        if (observations > columns_) {
            const FactorView view = factor.view();
            for (int i = 0; i < columns_; ++i) {
                for (int k = 0; k < columns_; ++k) {
                    blockRows_[at + i * columns_ + k] = k < i ? 0.0 : view.at(i, k);
                }
            }
        }
        blockRowCount_.push_back(std::min(observations, columns_));
        blockObservations_.push_back(observations);
    }

    int columns_;
    bool everyValue_;
    std::vector<int> boundaryRank_;
    std::vector<int> usableAt_;
    std::vector<int> endsBegin_;
    std::vector<const double*> unitRows_;
    std::vector<double> blockRows_;
    std::vector<int> blockRowCount_;
    std::vector<double> blockSquares_;
    std::vector<int> blockObservations_;
};

// A range end inside the block of starts, whose paths are not known while the block is grown.
struct PendingEnd {
    int end;
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
        : lanes(problem.maxOrder),
          cost(problem.holdout, problem.maxOrder, problem.relative),
          sse(static_cast<std::size_t>(problem.maxOrder) * kLanes, 0.0) {}
    RegressionLanes lanes;
    RangeCost cost;
    // The lanes' order statistics of the current step, computed when a lane first needs them.
    bool statisticsReady = false;
    std::array<int, kLanes> singularFrom{};
    std::vector<double> sse;
};

class SplitTable {
 public:
    SplitTable(const SplitProblem& problem, const ThresholdCandidates& candidates,
               const ParallelFor& parallel)
        : problem_(problem),
          parallel_(parallel),
          units_(*problem.rows, problem.n, candidates),
          last_(units_.boundaryCount() - 1),
          rotations_(units_.everyValue() ? units_.unitCount() + 1 : 0) {
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

    BestSplit solve();

 private:
    bool canStart(int a) const;
    void growGroup(int firstSlot, int count, Worker& worker);
    void considerEnd(int slot, int a, int b, int topStart, Worker& worker, int lane,
                     bool& fitted);
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

void SplitTable::considerEnd(int slot, int a, int b, int topStart, Worker& worker, int lane,
                             bool& fitted) {
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
        if (!worker.statisticsReady) {
            worker.lanes.orderStatistics(worker.singularFrom, worker.sse.data());
            worker.statisticsReady = true;
        }
        worker.cost.fit(worker.lanes.view(lane), worker.singularFrom[lane],
                        worker.sse.data() + lane, kLanes);
        fitted = true;
    }
    const double cost = worker.cost.cost(units_.rankOf(a), units_.rankOf(b));
    if (!(cost < kInfiniteCost)) {
        return;
    }
    StartResult& result = results_[slot];
    if (!final) {
        result.pending.push_back(PendingEnd{b, cost});
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
// i lane q appends unit firstUnit(start q) + i. A lane past the last unit repeats it, and
// what it computes then is not used.
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
    RegressionLanes& lanes = worker.lanes;
    lanes.clear();
    RegressionLanes::LaneRows appended{};
    RegressionLanes::LaneRows squares{};
    std::array<int, kLanes> observations{};
    for (int i = 0; i < longest; ++i) {
        std::array<int, kLanes> unit{};
        int rowCount = 0;
        for (int q = 0; q < kLanes; ++q) {
            const bool active = q < count && firstUnit[q] + i < unitCount;
            unit[q] = active ? firstUnit[q] + i : -1;
            const int j = active ? unit[q] : unitCount - 1;
            if (units_.everyValue()) {
                appended[q] = units_.row(j);
            } else {
                appended[q] = units_.blockRows(j);
                squares[q] = units_.blockSquares(j);
                observations[q] = units_.blockObservations(j);
                rowCount = std::max(rowCount, active ? units_.blockRowCount(j) : 0);
            }
        }
        if (units_.everyValue()) {
            lanes.appendRowsWithConstant(appended, rotations_);
        } else {
            lanes.appendRows(appended, rowCount);
            lanes.addStatistics(squares, observations);
        }
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

// The paths of start a: first the ends inside the block, in ascending order, then the best
// over the later ends, which lie above them all, so the earliest end still wins a tie.
void SplitTable::mergeStart(int slot, int a) {
    const StartResult& result = results_[slot];
    for (int j = 1; j <= problem_.maxRegimes; ++j) {
        double best = kInfiniteCost;
        int end = 0;
        for (const PendingEnd& pending : result.pending) {
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

BestSplit SplitTable::solve() {
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
    }

    BestSplit best;
    int regimes = 0;
    for (int j = 1; j <= problem_.maxRegimes; ++j) {
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
                           const ParallelFor& parallel) {
    assert(problem.maxRegimes >= 1 && problem.maxRegimes <= kMaxRegimeCount);
    SplitTable table(problem, candidates, parallel);
    return table.solve();
}

}  // namespace kavri
