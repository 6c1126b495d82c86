#include "estimation/threshold_candidates.h"

#include <algorithm>
#include <cmath>

namespace kavri {

namespace {

// Table cells (range ends times regression columns squared) filled in about a second on two
// cores; at maxOrder 4 that is every value of some 10,000.
constexpr double kTableBudget = 2.5e9;

}  // namespace

ThresholdCandidates evenlySpacedCandidates(int n, int count) {
    ThresholdCandidates candidates;
    if (count >= n - 1) {
        return candidates;
    }
    candidates.everyValue = false;
    const long long spaces = static_cast<long long>(count) + 1;
    for (long long i = 1; i <= count; ++i) {
        candidates.ranks.push_back(static_cast<int>(i * n / spaces));
    }
    return candidates;
}

int candidateBudget(int maxOrder) {
    const double columns = std::max(maxOrder, 1) + 1.0;
    return static_cast<int>(std::sqrt(kTableBudget / (columns * columns)));
}

ThresholdCandidates chooseThresholdCandidates(int n, int maxRegimes, int maxOrder,
                                              int requested) {
    if (requested > 0) {
        return evenlySpacedCandidates(n, requested);
    }
    if (maxRegimes <= 2) {
        return ThresholdCandidates{};
    }
    return evenlySpacedCandidates(n, candidateBudget(maxOrder));
}

}  // namespace kavri
