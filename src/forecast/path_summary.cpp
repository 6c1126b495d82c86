#include "forecast/path_summary.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace kavri {

std::vector<double> quantiles(std::vector<double>& values,
                              const std::vector<double>& probabilities) {
    assert(!values.empty());
    assert(std::is_sorted(probabilities.begin(), probabilities.end()));
    const std::size_t n = values.size();
    std::vector<double> result;
    result.reserve(probabilities.size());
    // Each selection works on the part at or above the previous one: the order statistics
    // below it are already in place and never needed again.
    auto from = values.begin();
    for (double q : probabilities) {
        const double g = static_cast<double>(n - 1) * q;
        const std::size_t low = std::min(static_cast<std::size_t>(std::floor(g)), n - 1);
        const auto lowAt = values.begin() + static_cast<std::ptrdiff_t>(low);
        std::nth_element(from, lowAt, values.end());
        from = lowAt;
        const double fraction = g - static_cast<double>(low);
        double value = *lowAt;
        if (fraction > 0.0 && low + 1 < n) {
            const double next = *std::min_element(lowAt + 1, values.end());
            if (next != value) {  // two equal infinities would make 0 * inf
                value = value + fraction * (next - value);
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
