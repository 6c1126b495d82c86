#include "forecast/series_simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "forecast/forecast_test_support.h"

namespace kavri {
namespace {

TEST(SeriesSimulation, RepeatableWithASeedAndDifferentWithAnother) {
    std::mt19937_64 engine(3);
    const ReportedModel model =
        testing::fitTwoRegimeAr1(testing::TrueSetar::simulate(engine, 300), 300, 0.0);
    for (ForecastMethod method : {ForecastMethod::kBootstrap, ForecastMethod::kGaussian}) {
        const std::vector<double> first = simulateSeries(model, 250, method, 9);
        ASSERT_EQ(first.size(), 250u);
        EXPECT_EQ(first, simulateSeries(model, 250, method, 9));
        EXPECT_NE(first, simulateSeries(model, 250, method, 10));
    }
}

TEST(SeriesSimulation, GaussianAr1HasItsStationaryMeanAndVariance) {
    // x[t] = 1 + 0.5 x[t-1] + e, var e = 0.75: mean 2 and variance 0.75 / (1 - 0.25) = 1.
    const ReportedModel model = testing::handMadeModel({}, {{{1.0, 0.5}, 0.75}}, 1, {2.0});
    const std::vector<double> x = simulateSeries(model, 200000, ForecastMethod::kGaussian, 1);
    double sum = 0.0, squares = 0.0;
    for (double value : x) {
        sum += value;
        squares += value * value;
    }
    const double mean = sum / x.size();
    const double variance = squares / x.size() - mean * mean;
    // Standard errors with autocorrelation 0.5: of the mean sqrt(3 / n) = 0.004, of the
    // variance about sqrt(2 * 5 / 3 / n) = 0.004.
    EXPECT_NEAR(mean, 2.0, 0.02);
    EXPECT_NEAR(variance, 1.0, 0.02);
}

TEST(SeriesSimulation, RecoversTheThresholdModelItCameFrom) {
    // Simulate 5000 values from a fitted model, refit at its threshold: the coefficients
    // come back within a few standard errors (about 0.02 for these regime sizes).
    std::mt19937_64 engine(5);
    const ReportedModel model =
        testing::fitTwoRegimeAr1(testing::TrueSetar::simulate(engine, 400), 400, 0.0);
    const std::vector<double> x = simulateSeries(model, 5000, ForecastMethod::kBootstrap, 2);
    const ReportedModel refit = testing::fitTwoRegimeAr1(x, 5000, 0.0);
    for (int r = 0; r < 2; ++r) {
        for (int k = 0; k < 2; ++k) {
            EXPECT_NEAR(refit.regimes[r].coefficients[k], model.regimes[r].coefficients[k], 0.1)
                << "regime " << r << ", coefficient " << k;
        }
        EXPECT_NEAR(refit.regimes[r].residualVariance, model.regimes[r].residualVariance,
                    0.1 * model.regimes[r].residualVariance);
    }
}

}  // namespace
}  // namespace kavri
