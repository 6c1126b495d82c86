#include "inference/threshold_ssr.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "inference/cross_product_regression.h"

namespace kavri {

namespace {

// The splits i (first row of the upper regime) with minRows <= i <= N - minRows.
std::vector<char> admissibleSplits(const ArrangedSample& sample, int minRows) {
    const int n = sample.size();
    std::vector<char> admissible(static_cast<std::size_t>(n) + 1, 0);
    for (int i = std::max(minRows, 1); i <= n - minRows && i < n; ++i) {
        admissible[i] = sample.splitsAt(i) ? 1 : 0;
    }
    return admissible;
}

// before[i]: SSR of rows [0, i); after[i]: SSR of rows [i, N). Each is evaluated only where a
// split may fall, and at the ends.
void prefixAndSuffixSums(const ArrangedSample& sample, const std::vector<char>& admissible,
                         CrossProductRegression& regression, std::vector<double>& before,
                         std::vector<double>& after) {
    const int n = sample.size();
    before.assign(static_cast<std::size_t>(n) + 1, 0.0);
    after.assign(static_cast<std::size_t>(n) + 1, 0.0);
    regression.clear();
    for (int i = 1; i <= n; ++i) {
        regression.append(sample.row(i - 1));
        if (admissible[i] || i == n) {
            before[i] = regression.residualSum();
        }
    }
    regression.clear();
    for (int i = n - 1; i >= 0; --i) {
        regression.append(sample.row(i));
        if (admissible[i]) {
            after[i] = regression.residualSum();
        }
    }
}

ThresholdSplit bestPair(const ArrangedSample& sample, const std::vector<char>& admissible,
                        int minRows, CrossProductRegression& regression,
                        const std::vector<double>& before, const std::vector<double>& after) {
    const int n = sample.size();
    ThresholdSplit best;
    for (int first = minRows; first <= n - 2 * minRows; ++first) {
        if (!admissible[first]) {
            continue;
        }
        regression.clear();
        for (int second = first + 1; second <= n - minRows; ++second) {
            regression.append(sample.row(second - 1));
            if (second - first < minRows || !admissible[second]) {
                continue;
            }
            // The middle regime adds a non-negative SSR: a pair whose outer regimes alone
            // reach the best so far cannot beat it.
            const double outer = before[first] + after[second];
            if (best.found && !(outer < best.ssr)) {
                continue;
            }
            const double total = outer + regression.residualSum();
            if (!best.found || total < best.ssr) {
                best.found = true;
                best.ssr = total;
                best.splits = {first, second};
            }
        }
    }
    return best;
}

}  // namespace

ThresholdFits fitThresholds(const ArrangedSample& sample, int minRows, int maxThresholds) {
    assert(maxThresholds == 1 || maxThresholds == 2);
    const int n = sample.size();
    CrossProductRegression regression(sample.order() + 1);
    const std::vector<char> admissible = admissibleSplits(sample, minRows);
    std::vector<double> before;
    std::vector<double> after;
    prefixAndSuffixSums(sample, admissible, regression, before, after);

    ThresholdFits fits;
    fits.linearSsr = before[n];
    for (int i = 1; i < n; ++i) {
        if (!admissible[i]) {
            continue;
        }
        const double total = before[i] + after[i];
        if (!fits.oneThreshold.found || total < fits.oneThreshold.ssr) {
            fits.oneThreshold.found = true;
            fits.oneThreshold.ssr = total;
            fits.oneThreshold.splits = {i, -1};
        }
    }
    if (maxThresholds == 2) {
        fits.twoThresholds = bestPair(sample, admissible, minRows, regression, before, after);
    }
    return fits;
}

}  // namespace kavri
