#include "forecast/path_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kavri {
namespace {

TEST(PathSummary, QuantilesInterpolateBetweenOrderStatistics) {
    // R: quantile(c(7, 1, 4, 10, 2), c(0, 0.1, 0.25, 0.5, 0.9, 1)) gives 1, 1.4, 2, 4, 8.8, 10.
    std::vector<double> values{7, 1, 4, 10, 2};
    const std::vector<double> q = quantiles(values, {0.0, 0.1, 0.25, 0.5, 0.9, 1.0});
    ASSERT_EQ(q.size(), 6u);
    EXPECT_EQ(q[0], 1.0);
    EXPECT_DOUBLE_EQ(q[1], 1.4);
    EXPECT_EQ(q[2], 2.0);
    EXPECT_EQ(q[3], 4.0);
    EXPECT_DOUBLE_EQ(q[4], 8.8);
    EXPECT_EQ(q[5], 10.0);
}

TEST(PathSummary, IntervalsComeBackInTheOrderOfTheLevelsAsked) {
    // 0 .. 100: the q quantile is 100 q exactly.
    std::vector<double> values;
    for (int i = 100; i >= 0; --i) values.push_back(i);
    const StepSummary summary = summariseStep(values, {80.0, 50.0, 95.0});
    EXPECT_EQ(summary.mean, 50.0);
    EXPECT_EQ(summary.median, 50.0);
    ASSERT_EQ(summary.lower.size(), 3u);
    EXPECT_DOUBLE_EQ(summary.lower[0], 10.0);
    EXPECT_DOUBLE_EQ(summary.upper[0], 90.0);
    EXPECT_DOUBLE_EQ(summary.lower[1], 25.0);
    EXPECT_DOUBLE_EQ(summary.upper[1], 75.0);
    EXPECT_NEAR(summary.lower[2], 2.5, 1e-12);  // (1 - 0.95) / 2 is not exact in binary
    EXPECT_DOUBLE_EQ(summary.upper[2], 97.5);
}

TEST(PathSummary, APathThatOverflowedToNotANumberLeavesNoOrderStatistics) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> infinite{1.0, inf, 2.0};
    const StepSummary overflowing = summariseStep(infinite, {80.0});
    EXPECT_EQ(overflowing.mean, inf);
    EXPECT_EQ(overflowing.upper[0], inf);
    EXPECT_EQ(overflowing.median, 2.0);

    std::vector<double> values{1.0, std::nan(""), 2.0};
    const StepSummary summary = summariseStep(values, {80.0});
    EXPECT_TRUE(std::isnan(summary.mean));
    EXPECT_TRUE(std::isnan(summary.median));
    EXPECT_TRUE(std::isnan(summary.lower[0]));
    EXPECT_TRUE(std::isnan(summary.upper[0]));
}

}  // namespace
}  // namespace kavri
