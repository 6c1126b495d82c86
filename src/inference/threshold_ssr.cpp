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

// The last second split worth growing the middle regime to from `first`: beyond it every
// admissible pair's lower bound already exceeds the best total. -1 when there is none.
int lastPromisingSecond(int first, int n, int minRows, const std::vector<char>& admissible,
                        const std::vector<double>& before, const std::vector<double>& after,
                        const std::vector<double>& middleLower, const ThresholdSplit& best) {
    for (int second = n - minRows; second >= first + minRows; --second) {
        if (admissible[second] &&
            (!best.found || !(before[first] + after[second] + middleLower[second] > best.ssr))) {
            return second;
        }
    }
    return -1;
}

// Every admissible pair (first, second), without evaluating the middle regime's SSR where a
// lower bound on the pair's total already exceeds the best found. The SSR of a set of rows is
// at least that of any subset, so mid(first, second) is bounded below by the exact
// mid(first, s) of an earlier s < second, and by mid(f, second) of a later first split f >
// first; middleLower[second] carries the best such bound as the first splits descend.
ThresholdSplit bestPair(const ArrangedSample& sample, const std::vector<char>& admissible,
                        int minRows, CrossProductRegression& regression,
                        const std::vector<double>& before, const std::vector<double>& after) {
    const int n = sample.size();
    ThresholdSplit best;
    std::vector<double> middleLower(static_cast<std::size_t>(n) + 1, 0.0);
    for (int first = n - 2 * minRows; first >= minRows; --first) {
        if (!admissible[first]) {
            continue;
        }
        const int last =
            lastPromisingSecond(first, n, minRows, admissible, before, after, middleLower, best);
        regression.clear();
        double lastMiddle = 0.0;
        for (int second = first + 1; second <= last; ++second) {
            regression.append(sample.row(second - 1));
            if (second - first < minRows || !admissible[second]) {
                continue;
            }
            double& lower = middleLower[second];
            lower = std::max(lower, lastMiddle);
            const double outer = before[first] + after[second];
            if (best.found && outer + lower > best.ssr) {
                continue;
            }
            const double middle = regression.residualSum();
            lower = middle;
            lastMiddle = middle;
            const double total = outer + middle;
            // The first splits descend: an equal total with a lower first split replaces the
            // best, one with the same first split and a higher second does not.
            if (!best.found || total < best.ssr || (total == best.ssr && first < best.splits[0])) {
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
    CrossProductRegression regression(sample.regressors());
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
