#pragma once

// Exact least-squares fits of threshold autoregressions of the sample's common order with one,
// two and three regimes: the residual sum of squares of the linear model, and the minimum over
// every admissible threshold and every admissible pair of thresholds. A split is admissible
// where the arranged threshold variable changes value (ArrangedSample::splitsAt) and every
// regime keeps at least minRows rows.
//
// Cost: the SSR of the rows before and after each split (prefix and suffix regressions, one
// pass each); for two thresholds the middle regime is grown from each first split one row at
// a time, so the search makes N^2 / 2 row updates and one elimination per admissible pair.
// Among equal minima the lowest split wins, then the lowest second split.

#include <array>

#include "inference/arranged_sample.h"

namespace kavri {

struct ThresholdSplit {
    bool found = false;  // false: no admissible split
    double ssr = 0.0;
    // First rows of regimes 2 and 3 in the arranged sample; the thresholds are the threshold
    // variables of these rows.
    std::array<int, 2> splits{-1, -1};
};

struct ThresholdFits {
    double linearSsr = 0.0;
    ThresholdSplit oneThreshold;
    ThresholdSplit twoThresholds;  // searched only when asked for
};

// maxThresholds 1 or 2.
ThresholdFits fitThresholds(const ArrangedSample& sample, int minRows, int maxThresholds);

}  // namespace kavri
