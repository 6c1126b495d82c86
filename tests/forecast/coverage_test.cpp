// Whether the bootstrap intervals are honest: series simulated from a known two-regime SETAR,
// each fitted at the true threshold on its first values, forecast past them, and the realised
// values compared with the 95% intervals.

#include <gtest/gtest.h>

#include <random>

#include "forecast/forecast_test_support.h"
#include "forecast/multi_step_forecast.h"

namespace kavri {
namespace {

// 1000 series: the share covered has a standard error of sqrt(0.95 * 0.05 / 1000) = 0.7
// points, so 93% to 97% is nearly three standard errors either side of 95%. 300 fitted values
// keep the estimation error of the coefficients small; 1000 paths keep the simulation error
// of the 2.5% and 97.5% quantiles small.
constexpr int kSeries = 1000;
constexpr int kFitted = 300;
constexpr int kHorizon = 10;

TEST(BootstrapCoverage, NinetyFivePercentIntervalsCoverNinetyFivePercentOfRealisedValues) {
    std::mt19937_64 engine(20240607);
    const int horizons[] = {1, 5, 10};
    int covered[3] = {0, 0, 0};
    ForecastSettings settings;
    settings.method = ForecastMethod::kBootstrap;
    settings.horizon = kHorizon;
    settings.nPaths = 1000;
    settings.levels = {95.0};
    settings.nThreads = 1;  // the series are many and small; threads are tested elsewhere
    for (int s = 0; s < kSeries; ++s) {
        const std::vector<double> series = testing::TrueSetar::simulate(engine, kFitted + kHorizon);
        const ReportedModel model =
            testing::fitTwoRegimeAr1(series, kFitted, testing::TrueSetar::kThreshold);
        settings.seed = static_cast<std::uint64_t>(s);
        const ForecastResult result = forecastFrom(model, kFitted, settings);
        for (int i = 0; i < 3; ++i) {
            const std::size_t h = static_cast<std::size_t>(horizons[i] - 1);
            const double realised = series[static_cast<std::size_t>(kFitted) + h];
            covered[i] += result.intervals[0].lower[h] <= realised &&
                          realised <= result.intervals[0].upper[h];
        }
    }
    for (int i = 0; i < 3; ++i) {
        const double share = 100.0 * covered[i] / kSeries;
        RecordProperty("coverage_h" + std::to_string(horizons[i]), std::to_string(share));
        EXPECT_GE(share, 93.0) << "h = " << horizons[i];
        EXPECT_LE(share, 97.0) << "h = " << horizons[i];
        std::printf("95%% bootstrap interval, h = %d: %d of %d series covered (%.1f%%)\n",
                    horizons[i], covered[i], kSeries, share);
    }
}

}  // namespace
}  // namespace kavri
