#pragma once

// What the two engines of the exact search share: the ranks split into at most maxRegimes
// ranges, each of at least minObs usable observations (the whole range excepted), at the
// allowed threshold ranks, and the split of lowest summed cost (range_cost.h) that they find.

#include <array>
#include <vector>

#include "estimation/range_cost.h"
#include "model/fitted_model.h"

namespace kavri {

// The ranks at which a threshold may be placed: every rank 1 .. n-1, or the given ones.
struct ThresholdCandidates {
    bool everyValue = true;
    std::vector<int> ranks;  // ascending, in 1 .. n-1; used when everyValue is false

    int count(int n) const {
        return everyValue ? (n > 1 ? n - 1 : 0) : static_cast<int>(ranks.size());
    }
};

struct SplitProblem {
    const RankRows* rows = nullptr;
    const HoldoutSet* holdout = nullptr;  // null: the fitness "AIC"
    int n = 0;
    int maxOrder = 0;
    bool relative = false;  // the "Relative" order criterion
    int maxRegimes = 1;     // 1 .. kMaxRegimeCount
    int minObs = 0;
    double exactFitLogFloor = kNoExactFitFloor;  // ranks exact fits (exactFitLogFloor())
    int fixedOrder = 0;  // above 0: every range fitted at this order (ModelForm::fixedOrders)
    // Above 0: one order per regime. The splits then have exactly this many ranges (it is
    // maxRegimes), and the r-th range in rank order is fitted at regimeOrders[r].
    int nRegimeOrders = 0;
    std::array<int, kMaxRegimeCount> regimeOrders{};

    bool ordersPerRegime() const { return nRegimeOrders > 0; }
    // The fixed order of range r (0-based) of a split into `ranges` ranges.
    int orderOfRange(int r) const { return ordersPerRegime() ? regimeOrders[r] : fixedOrder; }
};

// The lowest summed cost, infinite when every split meets a singular fit; ties go to fewer
// thresholds, then to the lexicographically lowest positions.
struct BestSplit {
    double criterion = kInfiniteCost;
    int nThresholds = 0;
    std::array<int, kMaxThresholdCount> positions{};  // ranks, ascending
};

}  // namespace kavri
