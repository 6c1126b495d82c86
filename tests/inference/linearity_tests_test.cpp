#include "inference/linearity_tests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "inference/least_squares_reference.h"

namespace kavri {
namespace {

constexpr int kObservations = 300;

LinearityTestSettings bootstrapSettings(int replicates, std::uint64_t seed) {
    LinearityTestSettings settings;
    settings.maxOrder = 3;
    settings.order = defaultTestOrder(settings.maxOrder);
    settings.delay = 1;
    settings.minObs = 30;
    settings.replicates = replicates;
    settings.seed = seed;
    return settings;
}

TEST(LinearityTests, LinearAutoregressionIsNotRejected) {
    const std::vector<double> x =
        testing::simulateSetar1(kObservations, 21, 0.2, 0.2, 0.5, 0.5, 0.0, 1.0);
    const LinearityTests tests =
        runLinearityTests(x.data(), kObservations, bootstrapSettings(199, 4));
    ASSERT_TRUE(tests.completed);
    EXPECT_EQ(tests.settings.order, 2);
    EXPECT_EQ(tests.firstTime, 2);
    EXPECT_EQ(tests.observations, kObservations - 2);
    EXPECT_EQ(tests.oneVsTwo.replicates, 199);
    EXPECT_GT(*tests.oneVsTwo.pValue, 0.1);
    EXPECT_GT(*tests.oneVsThree.pValue, 0.1);
    EXPECT_GT(*tests.tsay.pValue, 0.1);
}

// The cycle -2, 0, 2, -1, 1 is an exact two-regime SETAR(1) (x + 2 at or below 0, x - 3 above):
// the alternative's SSR is 0 up to rounding, and F once came out as infinity (or 1e17), printed
// "inf" with status 0. It is stated as an exact fit, without a statistic or p value.
TEST(LinearityTests, AnExactlyFittingAlternativeHasNoStatistic) {
    constexpr double kCycle[] = {-2.0, 0.0, 2.0, -1.0, 1.0};
    std::vector<double> x;
    for (int t = 0; t < kObservations; ++t) x.push_back(kCycle[t % 5]);
    LinearityTestSettings settings = bootstrapSettings(19, 4);
    settings.maxOrder = 2;
    settings.order = 1;
    const LinearityTests tests = runLinearityTests(x.data(), kObservations, settings);
    ASSERT_TRUE(tests.oneVsTwo.available);
    EXPECT_TRUE(tests.oneVsTwo.exactFit);
    EXPECT_LT(tests.oneVsTwo.ssrAlternative, 1e-13 * tests.oneVsTwo.ssrNull);
    EXPECT_FALSE(tests.oneVsTwo.pValue.has_value());
    EXPECT_TRUE(tests.oneVsThree.exactFit);
    for (const SupFTest* test : {&tests.oneVsTwo, &tests.oneVsThree, &tests.twoVsThree}) {
        EXPECT_TRUE(test->exactFit || std::isfinite(test->statistic));
    }
    EXPECT_TRUE(tests.tsay.exactFit || std::isfinite(tests.tsay.statistic));
}

TEST(LinearityTests, ClearThresholdIsRejectedAndFoundWhereItIs) {
    const std::vector<double> x =
        testing::simulateSetar1(kObservations, 22, 0.8, -0.8, 0.5, -0.3, 0.0, 0.5);
    const LinearityTests tests =
        runLinearityTests(x.data(), kObservations, bootstrapSettings(199, 4));
    ASSERT_TRUE(tests.completed);
    EXPECT_LT(*tests.oneVsTwo.pValue, 0.01);
    EXPECT_LT(*tests.oneVsThree.pValue, 0.01);
    ASSERT_EQ(tests.oneVsTwo.thresholds.size(), 1u);
    EXPECT_NEAR(tests.oneVsTwo.thresholds[0], 0.0, 0.3);
    EXPECT_LT(*tests.tsay.pValue, 0.01);
    // Two regimes are the truth: a third is not needed.
    EXPECT_GT(*tests.twoVsThree.pValue, 0.01);
}

TEST(LinearityTests, BootstrapRepeatsWithItsSeedOnOneThreadAndOnMany) {
    const std::vector<double> x =
        testing::simulateSetar1(kObservations, 23, -0.3, 0.3, 0.4, 0.1, 0.0, 1.0);
    LinearityTestSettings settings = bootstrapSettings(60, 99);
    settings.threads = 1;
    const LinearityTests single = runLinearityTests(x.data(), kObservations, settings);
    settings.threads = 3;
    const LinearityTests many = runLinearityTests(x.data(), kObservations, settings);
    const LinearityTests again = runLinearityTests(x.data(), kObservations, settings);
    for (const LinearityTests* other : {&many, &again}) {
        EXPECT_EQ(single.oneVsTwo.pValue, other->oneVsTwo.pValue);
        EXPECT_EQ(single.oneVsThree.pValue, other->oneVsThree.pValue);
        EXPECT_EQ(single.twoVsThree.pValue, other->twoVsThree.pValue);
    }
    settings.seed = 100;
    const LinearityTests reseeded = runLinearityTests(x.data(), kObservations, settings);
    EXPECT_EQ(reseeded.oneVsTwo.statistic, single.oneVsTwo.statistic);
}

TEST(LinearityTests, ProgressCountsEveryReplicateOfBothNullsAndCanStopTheWork) {
    const std::vector<double> x =
        testing::simulateSetar1(kObservations, 24, -0.3, 0.3, 0.4, 0.1, 0.0, 1.0);
    int lastDone = -1;
    int total = 0;
    const LinearityTests tests = runLinearityTests(
        x.data(), kObservations, bootstrapSettings(20, 1), [&](int done, int all) {
            EXPECT_GE(done, lastDone);
            lastDone = done;
            total = all;
            return true;
        });
    EXPECT_TRUE(tests.completed);
    EXPECT_EQ(total, 40);
    EXPECT_EQ(lastDone, 40);

    const LinearityTests stopped = runLinearityTests(
        x.data(), kObservations, bootstrapSettings(20, 1), [](int, int) { return false; });
    EXPECT_FALSE(stopped.completed);
    EXPECT_FALSE(stopped.oneVsTwo.pValue.has_value());
    EXPECT_TRUE(stopped.oneVsTwo.available);  // the statistics themselves are there
}

}  // namespace
}  // namespace kavri

namespace kavri {
namespace {

// The tests arrange their sample by the run's threshold variable. A series switching on an
// exogenous z is linear in its own lag: the sup-F test finds the threshold in z, not in x. The
// change needs one more observation at the start when d + 1 exceeds the order.
TEST(LinearityTests, TheSampleIsArrangedByTheThresholdVariable) {
    testing::Noise noise(31u);
    std::vector<double> z(kObservations), x(kObservations, 0.0);
    for (double& v : z) v = noise.next();
    for (int t = 1; t < kObservations; ++t) {
        x[t] = (z[t - 1] < 0.0 ? 0.8 : -0.6) * x[t - 1] + 0.3 * noise.next();
    }
    LinearityTestSettings settings = bootstrapSettings(0, 1);
    const LinearityTests own = runLinearityTests(x.data(), kObservations, settings);
    settings.thresholdVariable = ThresholdVariableKind::kColumn;
    settings.exogenous = z.data();
    const LinearityTests exogenous = runLinearityTests(x.data(), kObservations, settings);
    ASSERT_TRUE(exogenous.oneVsTwo.available);
    EXPECT_GT(exogenous.oneVsTwo.statistic, 4.0 * own.oneVsTwo.statistic);
    ASSERT_EQ(exogenous.oneVsTwo.thresholds.size(), 1u);
    EXPECT_LT(std::fabs(exogenous.oneVsTwo.thresholds[0]), 0.05);
    EXPECT_NE(std::find(z.begin(), z.end(), exogenous.oneVsTwo.thresholds[0]), z.end());

    settings.thresholdVariable = ThresholdVariableKind::kDifference;
    settings.exogenous = nullptr;
    settings.delay = 3;
    const LinearityTests difference = runLinearityTests(x.data(), kObservations, settings);
    EXPECT_EQ(difference.firstTime, 4);
    EXPECT_EQ(difference.observations, kObservations - 4);
}

}  // namespace
}  // namespace kavri

namespace kavri {
namespace {

LinearityTestSettings formSettings(bool constant, bool trend, std::vector<int> lags, int order) {
    LinearityTestSettings settings = bootstrapSettings(40, 7);
    settings.maxOrder = 5;
    settings.order = order;
    settings.constant = constant;
    settings.trend = trend;
    settings.lags = std::move(lags);
    return settings;
}

// The bootstrap of every form repeats with its seed on one thread and on many: each replicate
// regenerates its series from its own random stream, whatever the form's columns.
TEST(LinearityTests, BootstrapOfEveryFormRepeatsOnOneThreadAndOnMany) {
    std::vector<double> x =
        testing::simulateSetar1(kObservations, 41, -0.3, 0.3, 0.4, 0.1, 0.0, 1.0);
    for (std::size_t t = 0; t < x.size(); ++t) x[t] += 0.01 * static_cast<double>(t);
    for (const LinearityTestSettings& form :
         {formSettings(true, false, {1, 3}, 2), formSettings(false, false, {}, 2),
          formSettings(true, true, {}, 1), formSettings(true, true, {2, 4}, 2)}) {
        LinearityTestSettings settings = form;
        settings.threads = 1;
        const LinearityTests single = runLinearityTests(x.data(), kObservations, settings);
        settings.threads = 3;
        const LinearityTests many = runLinearityTests(x.data(), kObservations, settings);
        ASSERT_TRUE(single.oneVsTwo.pValue && single.twoVsThree.pValue);
        EXPECT_EQ(single.oneVsTwo.replicates, 40);
        EXPECT_EQ(single.oneVsTwo.pValue, many.oneVsTwo.pValue);
        EXPECT_EQ(single.oneVsThree.pValue, many.oneVsThree.pValue);
        EXPECT_EQ(single.twoVsThree.pValue, many.twoVsThree.pValue);
    }
}

}  // namespace
}  // namespace kavri
