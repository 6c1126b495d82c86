#include "forecast/multi_step_forecast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "forecast/forecast_test_support.h"
#include "forecast/innovations.h"
#include "forecast/setar_recursion.h"
#include "forecast/simulated_paths.h"

namespace kavri {
namespace {

using testing::handMadeModel;

// Sums of a few products of short decimals: far below any fault worth catching.
constexpr double kHandTolerance = 1e-12;

// Three regimes at thresholds 1 and 2, delay 2, orders 2, 1 and 3. The last two values read
// are 1.0 and 2.0, each equal to a threshold.
ReportedModel threeRegimeModel() {
    return handMadeModel(
        {1.0, 2.0}, {{{0.5, 0.4, -0.2}, 0.04}, {{1.0, 0.3}, 0.09}, {{-0.25, 0.6, 0.1, 0.05}, 0.01}},
        2, {0.7, 3.1, 1.5, 1.0, 2.0});
}

TEST(SkeletonForecast, AppliesTheModelEquationsStepByStep) {
    const ReportedModel model = threeRegimeModel();
    ForecastSettings settings;
    settings.method = ForecastMethod::kSkeleton;
    settings.horizon = 6;
    const ForecastResult result = forecastFromEnd(model, settings);

    // Step 1 reads z = x[3] = 1.0, equal to the first threshold: a one-step forecast, so the
    // regime below. Step 2 reads z = x[4] = 2.0, equal to the second: the fitting rule, so
    // the regime above. From step 3 on z is a forecast.
    const double f1 = 0.5 + 0.4 * 2.0 - 0.2 * 1.0;                // regime 1
    const double f2 = -0.25 + 0.6 * f1 + 0.1 * 2.0 + 0.05 * 1.0;  // regime 3
    const double f3 = 1.0 + 0.3 * f2;                             // z = f1 = 1.1: regime 2
    const double f4 = 0.5 + 0.4 * f3 - 0.2 * f2;                  // z = f2 = 0.66: regime 1
    const double f5 = 1.0 + 0.3 * f4;                             // z = f3 = 1.198: regime 2
    const double f6 = 0.5 + 0.4 * f5 - 0.2 * f4;                  // z = f4 = 0.8472: regime 1
    const double expected[] = {f1, f2, f3, f4, f5, f6};
    ASSERT_EQ(result.horizon(), 6);
    for (int h = 0; h < 6; ++h) {
        EXPECT_NEAR(result.point[h], expected[h], kHandTolerance) << "step " << h + 1;
    }
    EXPECT_EQ(result.origin, 5);
    EXPECT_TRUE(result.median.empty());
    EXPECT_TRUE(result.intervals.empty());
}

TEST(SkeletonForecast, FromAnEarlierOriginReadsOnlyTheValuesBeforeIt) {
    ReportedModel model = threeRegimeModel();
    model.series[4] = 1e6;  // after origin 4: held out, never read
    const ForecastSettings settings{.method = ForecastMethod::kSkeleton, .horizon = 2};
    const ForecastResult result = forecastFrom(model, 4, settings);
    const double f1 = 1.0 + 0.3 * 1.0;  // z = x[2] = 1.5: regime 2
    const double f2 = 1.0 + 0.3 * f1;   // z = x[3] = 1.0 at step 2: the regime above, 2
    EXPECT_NEAR(result.point[0], f1, kHandTolerance);
    EXPECT_NEAR(result.point[1], f2, kHandTolerance);
}

// The two-regime SETAR(1) fitted on 300 simulated values, with 5 held out.
ReportedModel fittedExample() {
    std::mt19937_64 engine(11);
    return testing::fitTwoRegimeAr1(testing::TrueSetar::simulate(engine, 305), 300, 0.0);
}

ForecastSettings simulated(ForecastMethod method, int nThreads) {
    ForecastSettings settings;
    settings.method = method;
    settings.horizon = 12;
    settings.nPaths = 2001;
    settings.levels = {95.0, 50.0, 80.0};
    settings.seed = 42;
    settings.nThreads = nThreads;
    return settings;
}

void expectSameBits(const ForecastResult& a, const ForecastResult& b) {
    EXPECT_EQ(a.point, b.point);
    EXPECT_EQ(a.median, b.median);
    ASSERT_EQ(a.intervals.size(), b.intervals.size());
    for (std::size_t i = 0; i < a.intervals.size(); ++i) {
        EXPECT_EQ(a.intervals[i].level, b.intervals[i].level);
        EXPECT_EQ(a.intervals[i].lower, b.intervals[i].lower);
        EXPECT_EQ(a.intervals[i].upper, b.intervals[i].upper);
    }
}

TEST(SimulatedForecast, RepeatableWithASeedAndTheSameBitsOnOneThreadAndOnMany) {
    const ReportedModel model = fittedExample();
    for (ForecastMethod method : {ForecastMethod::kBootstrap, ForecastMethod::kGaussian}) {
        SCOPED_TRACE(forecastMethodName(method));
        const ForecastResult one = forecastFromEnd(model, simulated(method, 1));
        expectSameBits(one, forecastFromEnd(model, simulated(method, 1)));
        expectSameBits(one, forecastFromEnd(model, simulated(method, 0)));
        expectSameBits(one, forecastFromEnd(model, simulated(method, 7)));

        ForecastSettings otherSeed = simulated(method, 1);
        otherSeed.seed = 43;
        EXPECT_NE(one.point, forecastFromEnd(model, otherSeed).point);
        // The skeleton has no randomness to seed.
        ForecastSettings skeleton = simulated(ForecastMethod::kSkeleton, 1);
        const ForecastResult first = forecastFromEnd(model, skeleton);
        skeleton.seed = 43;
        EXPECT_EQ(first.point, forecastFromEnd(model, skeleton).point);
    }
}

TEST(SimulatedForecast, BlocksOfStepsGiveTheSameBitsAsOneBlock) {
    const ReportedModel model = fittedExample();
    const SetarRecursion recursion(model);
    const InnovationSource innovations(model, ForecastMethod::kBootstrap);
    const std::vector<double> start(model.series.end() - 1, model.series.end());
    PathSimulation simulation{.recursion = recursion,
                              .innovations = innovations,
                              .start = start,
                              .origin = 305,
                              .horizon = 10,
                              .nPaths = 300,
                              .seed = 5,
                              .levels = {80.0, 95.0}};
    ForecastResult whole;
    simulatePaths(simulation, whole);
    for (long long blockValues : {300LL, 900LL, 1LL}) {  // 1, 3 and again 1 step per block
        simulation.blockValues = blockValues;
        simulation.nThreads = 3;
        ForecastResult blocked;
        simulatePaths(simulation, blocked);
        expectSameBits(whole, blocked);
    }
}

TEST(SimulatedForecast, BootstrapFirstStepAddsAResidualOfItsOwnRegime) {
    const ReportedModel model = fittedExample();
    ForecastSettings settings = simulated(ForecastMethod::kBootstrap, 0);
    settings.horizon = 1;
    const ForecastResult result = forecastFromEnd(model, settings);
    ForecastSettings skeleton = settings;
    skeleton.method = ForecastMethod::kSkeleton;
    const double mean = forecastFromEnd(model, skeleton).point[0];

    // 2001 paths: the median and the bounds of the 50% interval are order statistics
    // ((n - 1) q is whole), so each is the step's mean plus one residual of the pool drawn.
    const SetarRecursion recursion(model);
    const int regime = recursion.forecastRegime(model.series.back(), 1);
    const InnovationSource innovations(model, ForecastMethod::kBootstrap);
    const auto fromPool = [&](double value, int r) {
        for (double e : innovations.residualPool(r)) {
            if (mean + e == value) return true;
        }
        return false;
    };
    EXPECT_TRUE(fromPool(result.median[0], regime));
    EXPECT_FALSE(fromPool(result.median[0], 1 - regime));
    EXPECT_TRUE(fromPool(result.intervals[1].lower[0], regime));
    EXPECT_TRUE(fromPool(result.intervals[1].upper[0], regime));
    EXPECT_LT(result.intervals[0].lower[0], result.intervals[2].lower[0]);
    EXPECT_LT(result.intervals[2].lower[0], result.intervals[1].lower[0]);
    EXPECT_LT(result.intervals[1].upper[0], result.intervals[2].upper[0]);
    EXPECT_LT(result.intervals[2].upper[0], result.intervals[0].upper[0]);
}

TEST(SimulatedForecast, GaussianFirstStepIsNormalWithTheRegimesVariance) {
    const ReportedModel model = fittedExample();
    ForecastSettings settings = simulated(ForecastMethod::kGaussian, 0);
    settings.horizon = 1;
    settings.nPaths = 40000;
    const ForecastResult result = forecastFromEnd(model, settings);
    const SetarRecursion recursion(model);
    const int regime = recursion.forecastRegime(model.series.back(), 1);
    const double sd = std::sqrt(model.regimes[regime].residualVariance);
    const double mean = forecastFromEnd(model, {.method = ForecastMethod::kSkeleton}).point[0];
    // Four standard errors: of the mean sd / sqrt(n); of the 2.5% and 97.5% quantiles
    // sqrt(0.025 * 0.975 / n) / phi(1.96) sd = 0.0097 sd at n = 40000.
    EXPECT_NEAR(result.point[0], mean, 4 * sd / 200);
    EXPECT_NEAR(result.median[0], mean, 4 * 0.0063 * sd);
    EXPECT_NEAR(result.intervals[0].lower[0], mean - 1.959964 * sd, 4 * 0.0097 * sd);
    EXPECT_NEAR(result.intervals[0].upper[0], mean + 1.959964 * sd, 4 * 0.0097 * sd);
}

}  // namespace
}  // namespace kavri
