#pragma once

// What a forecast from a reported model is asked for: the method, the horizon, the number of
// simulated paths, the levels of the central intervals, the seed and the threads to use.

#include <cstdint>
#include <vector>

namespace kavri {

enum class ForecastMethod {
    kSkeleton,   // the model iterated without noise: one deterministic path
    kBootstrap,  // simulated paths, innovations drawn from the model's residuals
    kGaussian,   // simulated paths, normal innovations of each regime's residual variance
};

inline constexpr int kMinForecastHorizon = 1;
inline constexpr int kMaxForecastHorizon = 1000;
inline constexpr int kMinForecastPaths = 100;
inline constexpr int kMaxForecastPaths = 1000000;
inline constexpr int kDefaultForecastPaths = 10000;

struct ForecastSettings {
    ForecastMethod method = ForecastMethod::kBootstrap;
    int horizon = 1;                         // steps h = 1 .. horizon
    int nPaths = kDefaultForecastPaths;      // simulated methods only
    std::vector<double> levels{80.0, 95.0};  // central intervals, percent, each in (0, 100)
    std::uint64_t seed = 1;                  // simulated methods: the same seed, the same bits
    int nThreads = 0;  // 0: every hardware thread; results do not depend on it
};

// "skeleton", "bootstrap" or "gaussian": the names the command line and the files use.
const char* forecastMethodName(ForecastMethod method);

}  // namespace kavri
