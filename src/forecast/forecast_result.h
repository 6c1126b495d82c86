#pragma once

// Forecasts from one origin as plain numbers, for the files, the front ends and the charts.

#include <cstdint>
#include <vector>

#include "forecast/forecast_settings.h"

namespace kavri {

struct ForecastInterval {
    double level = 0.0;         // percent
    std::vector<double> lower;  // per step: the (1 - level/100) / 2 quantile of the paths
    std::vector<double> upper;  // per step: the (1 + level/100) / 2 quantile of the paths
};

struct ForecastResult {
    ForecastMethod method = ForecastMethod::kSkeleton;
    // The number of values the forecasts condition on: step h forecasts the value at 0-based
    // position origin + h - 1 of the series (the (origin + h)-th value of the file).
    int origin = 0;
    int nPaths = 0;              // 0 for the skeleton
    std::uint64_t seed = 0;      // of the simulated paths
    std::vector<double> point;   // per step h at h - 1: the skeleton or the paths' mean
    std::vector<double> median;  // per step; empty for the skeleton
    std::vector<ForecastInterval>
        intervals;  // in the order of the levels asked; none for the skeleton

    int horizon() const { return static_cast<int>(point.size()); }
    bool simulated() const { return method != ForecastMethod::kSkeleton; }
};

}  // namespace kavri
