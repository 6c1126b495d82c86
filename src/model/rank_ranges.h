#pragma once

// A threshold model's regimes as ranges of ranks. The n observations that can carry a
// threshold are ranked by value (sortOrder); regime r holds the ranks [begin(r), end(r)), and a
// threshold at rank h starts the regime above it at h. So the observation whose value is the
// threshold belongs to the upper regime, and equal values are split by their rank (ties are
// ranked in time order). Everything a regime contributes to a fit depends on its range alone,
// which is what lets the searches keep and reuse regime estimates.

#include <array>

#include "model/fitted_model.h"

namespace kavri {

struct RankRanges {
    int n = 0;            // ranks 0 .. n-1
    int nThresholds = 0;  // 0 .. kMaxThresholdCount
    // Rank at which regime r + 1 begins, for r < nThresholds. Ascending for a searched model;
    // in the order typed for the user's thresholds, which can leave a regime empty.
    std::array<int, kMaxThresholdCount> bounds{};

    int regimeCount() const { return nThresholds + 1; }
    int begin(int r) const { return r == 0 ? 0 : bounds[r - 1]; }
    int end(int r) const { return r < nThresholds ? bounds[r] : n; }

    bool operator==(const RankRanges&) const = default;
};

}  // namespace kavri
