#include "estimation/single_threshold_search.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "estimation/range_scorer.h"

namespace kavri {

namespace {

// Sums this close to the lowest, relative to their scale, are checked with upward suffixes.
// Growing the same rows in the other order moves an SSE by some 1e-15 relative and so an AIC
// term by m times that (the scale of the AIC sums is the number of observations); the margin
// is wider by orders of magnitude, and still so narrow that only ties and near-ties fall
// within it.
constexpr double kRecheckMargin = 1e-10;
// More sums than this within the margin means a tie among that many thresholds to rounding;
// the lowest downward sums are checked, and the others cannot be told apart from them.
constexpr std::size_t kMaxRechecked = 64;

struct Costs {
    std::vector<double> prefix;  // cost of [0, e) at index e
    std::vector<double> suffix;  // cost of [s, n) at index s, grown downwards
};

class SingleThresholdSearch {
 public:
    SingleThresholdSearch(const SplitProblem& problem, const ThresholdCandidates& candidates)
        : problem_(problem),
          rows_(*problem.rows),
          n_(problem.n),
          allowed_(static_cast<std::size_t>(problem.n) + 1, 0) {
        if (candidates.everyValue) {
            std::fill(allowed_.begin() + 1, allowed_.end() - 1, 1);
        } else {
            for (int rank : candidates.ranks) {
                allowed_[rank] = 1;
            }
        }
        costs_.prefix.assign(allowed_.size(), kInfiniteCost);
        costs_.suffix.assign(allowed_.size(), kInfiniteCost);
    }

    BestSplit solve(const ParallelFor& parallel);

 private:
    // A threshold at rank s leaves minObs usable observations on either side.
    bool canSplitAt(int s) const {
        return problem_.maxRegimes >= 2 && s >= 1 && s <= n_ - 1 && allowed_[s] != 0 &&
               rows_.usableBefore(s) >= problem_.minObs &&
               rows_.usableBefore(n_) - rows_.usableBefore(s) >= problem_.minObs;
    }
    // The scorer of the lower (regime 0) or the upper range.
    RangeScorer scorer(bool upper) const;
    void growPrefixes();
    void growSuffixes();
    double upwardSuffix(int s) const;
    std::vector<int> nearLowest() const;

    const SplitProblem& problem_;
    const RankRows& rows_;
    int n_;
    std::vector<char> allowed_;
    Costs costs_;
};

RangeScorer SingleThresholdSearch::scorer(bool upper) const {
    return RangeScorer(rows_, problem_.holdout, problem_.relative, problem_.exactFitLogFloor,
                       problem_.orderOfRange(upper ? 1 : 0));
}

void SingleThresholdSearch::growPrefixes() {
    RangeScorer prefix = scorer(false);
    prefix.start();
    for (int h = 0; h < n_; ++h) {
        prefix.add(h);
        const int e = h + 1;
        if (e == n_ || canSplitAt(e)) {
            costs_.prefix[e] = prefix.cost(0, e);
        }
    }
}

void SingleThresholdSearch::growSuffixes() {
    RangeScorer suffix = scorer(true);
    suffix.start();
    for (int s = n_ - 1; s >= 1; --s) {
        suffix.add(s);
        if (canSplitAt(s)) {
            costs_.suffix[s] = suffix.cost(s, n_);
        }
    }
}

// The suffix [s, n) grown upwards from s, as the table grows it.
double SingleThresholdSearch::upwardSuffix(int s) const {
    RangeScorer suffix = scorer(true);
    suffix.start();
    for (int h = s; h < n_; ++h) {
        suffix.add(h);
    }
    return suffix.cost(s, n_);
}

// The thresholds whose downward sums lie within the margin of the lowest, ascending.
std::vector<int> SingleThresholdSearch::nearLowest() const {
    std::vector<double> total(allowed_.size(), kInfiniteCost);
    double lowest = kInfiniteCost;
    for (int s = 1; s < n_; ++s) {
        if (costs_.prefix[s] < kInfiniteCost && costs_.suffix[s] < kInfiniteCost) {
            total[s] = costs_.prefix[s] + costs_.suffix[s];
            lowest = std::min(lowest, total[s]);
        }
    }
    std::vector<int> near;
    if (!(lowest < kInfiniteCost)) {
        return near;
    }
    const double scale =
        std::fabs(lowest) + (problem_.holdout == nullptr ? rows_.usableBefore(n_) : 0.0);
    const double bound = lowest + kRecheckMargin * scale;
    for (int s = 1; s < n_; ++s) {
        if (total[s] <= bound) {
            near.push_back(s);
        }
    }
    if (near.size() > kMaxRechecked) {
        std::stable_sort(near.begin(), near.end(),
                         [&](int a, int b) { return total[a] < total[b]; });
        near.resize(kMaxRechecked);
        std::sort(near.begin(), near.end());
    }
    return near;
}

BestSplit SingleThresholdSearch::solve(const ParallelFor& parallel) {
    const bool split = problem_.maxRegimes >= 2;
    parallel(split ? 2 : 1, [&](int task, int) {
        if (task == 0) {
            growPrefixes();
        } else {
            growSuffixes();
        }
    });

    BestSplit best;
    // With one order per regime the split must have both regimes.
    best.criterion = problem_.ordersPerRegime() ? kInfiniteCost : costs_.prefix[n_];
    if (!split) {
        return best;
    }
    const std::vector<int> near = nearLowest();
    std::vector<double> upward(near.size(), kInfiniteCost);
    parallel(static_cast<int>(near.size()), [&](int i, int) { upward[i] = upwardSuffix(near[i]); });
    for (std::size_t i = 0; i < near.size(); ++i) {
        const double total = costs_.prefix[near[i]] + upward[i];
        // Strictly lower: an equal sum keeps fewer thresholds, or the lower position.
        if (total < best.criterion) {
            best.criterion = total;
            best.nThresholds = 1;
            best.positions[0] = near[i];
        }
    }
    return best;
}

}  // namespace

BestSplit bestSingleThreshold(const SplitProblem& problem, const ThresholdCandidates& candidates,
                              const ParallelFor& parallel) {
    assert(problem.maxRegimes >= 1 && problem.maxRegimes <= 2);
    SingleThresholdSearch search(problem, candidates);
    return search.solve(parallel);
}

}  // namespace kavri
