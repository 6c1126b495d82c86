#pragma once

// The distribution of the simulated paths at one step, summarised: their mean, their median
// and the bounds of central intervals.

#include <vector>

namespace kavri {

struct StepSummary {
    double mean = 0.0;
    double median = 0.0;
    std::vector<double> lower;  // per level: the (1 - level/100) / 2 quantile
    std::vector<double> upper;  // per level: the (1 + level/100) / 2 quantile
};

// Quantile of probability q in [0, 1] by linear interpolation between order statistics
// (Hyndman and Fan's type 7, R's default): with v sorted and g = (n - 1) q,
// v[floor(g)] + (g - floor(g)) (v[floor(g) + 1] - v[floor(g)]).
// `values` is reordered (partially sorted); `probabilities` may come in any order.
std::vector<double> quantiles(std::vector<double>& values,
                              const std::vector<double>& probabilities);

// The summary of values[0 .. n-1] (n >= 1) for `levels` in percent. The mean is summed in
// increasing index order. If any value is not a number (an explosive model overflowing), the
// order statistics do not exist and the median and every bound are not-a-number too.
// `values` is reordered.
StepSummary summariseStep(std::vector<double>& values, const std::vector<double>& levels);

}  // namespace kavri
