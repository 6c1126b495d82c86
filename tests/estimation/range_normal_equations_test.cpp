#include "estimation/range_normal_equations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "genetic/candidates.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

// Bit patterns, so that -0.0 against 0.0 or two different NaNs would count as a difference.
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSameEstimate(const RegimeEstimate& fast, const RegimeEstimate& reference,
                        const char* where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(fast.order, reference.order);
    for (std::size_t q = 0; q < reference.coefficients.size(); ++q) {
        EXPECT_TRUE(sameBits(fast.coefficients[q], reference.coefficients[q])) << "q " << q;
    }
    EXPECT_EQ(fast.fit.observations, reference.fit.observations);
    EXPECT_TRUE(sameBits(fast.fit.sse, reference.fit.sse));
    EXPECT_TRUE(sameBits(fast.fit.sst, reference.fit.sst));
    EXPECT_TRUE(sameBits(fast.fit.aic, reference.fit.aic));
}

struct RankedSeries {
    std::vector<double> x;
    IVector sortOrder;
    DVector sortedSeries;
};

RankedSeries ranked(std::vector<double> x, int n) {
    RankedSeries series{std::move(x), ivector(0, n), dvector(0, n)};
    rankCandidates(series.x.data(), n, series.sortOrder, series.sortedSeries);
    return series;
}

// Every range kind the search meets: whole sample, lower and upper tails, interior ranges,
// ranges too short for the order (near-singular or singular fits) and empty ranges. Each
// estimator is reused across ranges, so stale storage from an earlier range would show.
TEST(NormalEquationsRangeEstimator, SameEstimatesAsTheRegimeEstimation) {
    const int n = 300;
    const RankedSeries series = ranked(testing::exchangeRateReturns(), n);
    const std::vector<std::pair<int, int>> ranges = {{0, n},     {0, 100}, {100, n},   {37, 212},
                                                     {150, 160}, {0, 3},   {250, 252}, {90, 90},
                                                     {0, 0},     {299, n}, {10, 290},  {0, 100}};
    for (int maxOrder : {1, 2, 3, 4, 7, 12, 20}) {
        for (bool relative : {false, true}) {
            for (int delay : {1, 3}) {
                OrderSearch search{n, maxOrder, delay, 1e13, relative};
                NormalEquationsRangeEstimator estimator(series.x.data(), series.sortOrder.data(),
                                                        search);
                RegimeWorkspace workspace(n, maxOrder);
                for (auto [start, end] : ranges) {
                    RegimeEstimate reference;
                    RegimeEstimate fast;
                    const FitStatus expected =
                        estimateRegime(series.x.data(), series.sortOrder.data(), start, end, search,
                                       workspace, reference);
                    ASSERT_EQ(estimator.estimate(start, end, fast), expected);
                    if (expected == FitStatus::kOk) {
                        const std::string where = "maxOrder " + std::to_string(maxOrder) +
                                                  " range " + std::to_string(start) + ".." +
                                                  std::to_string(end);
                        expectSameEstimate(fast, reference, where.c_str());
                    }
                }
            }
        }
    }
}

// A lag column that is exactly zero makes X'X singular at the order that brings it in; lower
// orders still fit. "Absolute" reaches the singular order and fails, "Relative" may stop
// first: the fast estimate must fail, or not, exactly where the regime estimation does.
TEST(NormalEquationsRangeEstimator, SingularOrderFailsAtTheSameOrder) {
    const int n = 120;
    std::vector<double> x(n);
    testing::Noise noise(7);
    for (int t = 0; t < n; ++t) {
        x[t] = t % 3 == 0 ? 0.0 : noise.next();
    }
    const RankedSeries series = ranked(x, n);
    // The zeros hold consecutive ranks; as threshold variable x[t - 3] they make the lag-3
    // column of their rows all zero.
    int start = 0;
    while (series.sortedSeries[start] < 0.0) ++start;
    int end = start;
    while (end < n && series.sortedSeries[end] == 0.0) ++end;
    ASSERT_EQ(end - start, n / 3);
    for (int maxOrder : {2, 4, 6}) {
        for (bool relative : {false, true}) {
            OrderSearch search{n, maxOrder, 3, 1e13, relative};
            NormalEquationsRangeEstimator estimator(series.x.data(), series.sortOrder.data(),
                                                    search);
            RegimeWorkspace workspace(n, maxOrder);
            RegimeEstimate reference;
            RegimeEstimate fast;
            const FitStatus expected = estimateRegime(x.data(), series.sortOrder.data(), start, end,
                                                      search, workspace, reference);
            if (maxOrder >= 4 && !relative) {
                EXPECT_EQ(expected, FitStatus::kSingular);
            }
            ASSERT_EQ(estimator.estimate(start, end, fast), expected) << maxOrder << relative;
            if (expected == FitStatus::kOk) {
                expectSameEstimate(fast, reference, "zero lag column");
            }
        }
    }
}

}  // namespace
}  // namespace kavri
