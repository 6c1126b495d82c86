#include "forecast/path_summary.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace kavri {

namespace {

// Puts the order statistic of every rank in [ranksBegin, ranksEnd) (ascending, distinct, each
// inside [first, last) as an offset from `base`) where a full sort would put it: the middle
// rank is selected first, and the ranks on each side then only search their own side.
void selectRanks(double* base, double* first, double* last, const std::size_t* ranksBegin,
                 const std::size_t* ranksEnd) {
    if (ranksBegin == ranksEnd) {
        return;
    }
    const std::size_t* middle = ranksBegin + (ranksEnd - ranksBegin) / 2;
    double* nth = base + *middle;
    std::nth_element(first, nth, last);
    selectRanks(base, first, nth, ranksBegin, middle);
    selectRanks(base, nth + 1, last, middle + 1, ranksEnd);
}

}  // namespace

std::vector<double> quantiles(std::vector<double>& values,
                              const std::vector<double>& probabilities) {
    assert(!values.empty());
    const std::size_t n = values.size();
    std::vector<std::size_t> lows;
    std::vector<double> fractions;
    std::vector<std::size_t> ranks;
    for (double q : probabilities) {
        const double g = static_cast<double>(n - 1) * q;
        const std::size_t low = std::min(static_cast<std::size_t>(std::floor(g)), n - 1);
        lows.push_back(low);
        fractions.push_back(g - static_cast<double>(low));
        ranks.push_back(low);
        if (low + 1 < n) {
            ranks.push_back(low + 1);
        }
    }
    std::sort(ranks.begin(), ranks.end());
    ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
    selectRanks(values.data(), values.data(), values.data() + n, ranks.data(),
                ranks.data() + ranks.size());

    std::vector<double> result;
    result.reserve(probabilities.size());
    for (std::size_t i = 0; i < lows.size(); ++i) {
        double value = values[lows[i]];
        if (fractions[i] > 0.0 && lows[i] + 1 < n) {
            const double next = values[lows[i] + 1];
            if (next != value) {  // two equal infinities would make 0 * inf
                value = value + fractions[i] * (next - value);
            }
        }
        result.push_back(value);
    }
    return result;
}

StepSummary summariseStep(std::vector<double>& values, const std::vector<double>& levels) {
    assert(!values.empty());
    StepSummary summary;
    double sum = 0.0;
    bool anyNan = false;
    for (double value : values) {
        sum += value;
        anyNan = anyNan || std::isnan(value);
    }
    summary.mean = sum / static_cast<double>(values.size());

    const std::size_t nLevels = levels.size();
    if (anyNan) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        summary.median = nan;
        summary.lower.assign(nLevels, nan);
        summary.upper.assign(nLevels, nan);
        return summary;
    }
    // Probabilities in ascending order: the lower tails from the widest interval in, the
    // median, then the upper tails from the narrowest out.
    std::vector<std::size_t> byLevel(nLevels);
    for (std::size_t i = 0; i < nLevels; ++i) {
        byLevel[i] = i;
    }
    std::sort(byLevel.begin(), byLevel.end(),
              [&levels](std::size_t a, std::size_t b) { return levels[a] > levels[b]; });
    std::vector<double> probabilities;
    for (std::size_t i : byLevel) {
        probabilities.push_back((1.0 - levels[i] / 100.0) / 2.0);
    }
    probabilities.push_back(0.5);
    for (auto it = byLevel.rbegin(); it != byLevel.rend(); ++it) {
        probabilities.push_back((1.0 + levels[*it] / 100.0) / 2.0);
    }
    const std::vector<double> q = quantiles(values, probabilities);
    summary.lower.resize(nLevels);
    summary.upper.resize(nLevels);
    for (std::size_t k = 0; k < nLevels; ++k) {
        summary.lower[byLevel[k]] = q[k];
        summary.upper[byLevel[nLevels - 1 - k]] = q[nLevels + 1 + k];
    }
    summary.median = q[nLevels];
    return summary;
}

}  // namespace kavri
