#include "run/given_thresholds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "genetic/candidates.h"
#include "support/non_finite_text.h"
#include "support/ranked_exchange_rate.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

class GivenThresholds : public testing::RankedExchangeRate {
 protected:
    Result<double> estimate(std::vector<double> thresholds, int maxOrder = 4) {
        std::array<double, 10> user{};
        for (std::size_t i = 0; i < thresholds.size(); ++i) user[i] = thresholds[i];
        return estimateGivenThresholds(context(), series_.data(), sortedSeries_.data(),
                                       static_cast<int>(thresholds.size()), user, sortOrder_.data(),
                                       n_, maxOrder, 1, kReportingIteration);
    }

    // A value that occurs once among the first n observations, at the given rank.
    double uniqueValueNearRank(int rank) const {
        for (int h = rank;; ++h) {
            if (sortedSeries_[h] != sortedSeries_[h - 1] &&
                sortedSeries_[h] != sortedSeries_[h + 1])
                return sortedSeries_[h];
        }
    }
};

// Least squares by modified Gram-Schmidt QR, independent of the normal equations.
std::vector<double> solveByQr(std::vector<std::vector<double>> columns, std::vector<double> y) {
    const std::size_t k = columns.size();
    std::vector<std::vector<double>> r(k, std::vector<double>(k, 0.0));
    for (std::size_t j = 0; j < k; ++j) {
        for (std::size_t i = 0; i < j; ++i) {
            double dot = 0.0;
            for (std::size_t t = 0; t < y.size(); ++t) dot += columns[i][t] * columns[j][t];
            r[i][j] = dot;
            for (std::size_t t = 0; t < y.size(); ++t) columns[j][t] -= dot * columns[i][t];
        }
        double norm = 0.0;
        for (double v : columns[j]) norm += v * v;
        r[j][j] = std::sqrt(norm);
        for (double& v : columns[j]) v /= r[j][j];
    }
    std::vector<double> qty(k, 0.0);
    for (std::size_t j = 0; j < k; ++j)
        for (std::size_t t = 0; t < y.size(); ++t) qty[j] += columns[j][t] * y[t];
    std::vector<double> b(k, 0.0);
    for (std::size_t j = k; j-- > 0;) {
        double s = qty[j];
        for (std::size_t i = j + 1; i < k; ++i) s -= r[j][i] * b[i];
        b[j] = s / r[j][j];
    }
    return b;
}

TEST_F(GivenThresholds, CoefficientsAgreeWithAnIndependentLeastSquaresSolution) {
    const double threshold = uniqueValueNearRank(225);
    ASSERT_TRUE(estimate({threshold}).ok());
    ASSERT_TRUE(reported_.available);
    ASSERT_EQ(reported_.regimes.size(), 2u);

    for (int r = 0; r < 2; ++r) {
        const RegimeReport& regime = reported_.regimes[r];
        const int p = regime.order;
        std::vector<std::vector<double>> columns(p + 1);
        std::vector<double> y;
        // With a threshold that occurs once, the split by rank is the split by value: a lagged
        // value equal to the threshold goes to the upper regime.
        for (int t = 3; t < n_; ++t) {
            const bool upper = series_[t - 1] >= threshold;
            if (upper != (r == 1)) continue;
            y.push_back(series_[t]);
            columns[0].push_back(1.0);
            for (int k = 1; k <= p; ++k) columns[k].push_back(series_[t - k]);
        }
        ASSERT_EQ(static_cast<int>(y.size()), regime.observations);
        const std::vector<double> expected = solveByQr(columns, y);
        for (int q = 0; q <= p; ++q) {
            EXPECT_NEAR(regime.coefficients[q], expected[q], 1e-9 * std::fabs(expected[q]))
                << "regime " << r << " coefficient " << q;
        }
    }
}

TEST_F(GivenThresholds, IgnoresCriterionAndFitnessSettings) {
    const double threshold = uniqueValueNearRank(200);
    settings_.ga.criterion = kCriterionRelative;
    settings_.ga.fitnessKind = kFitnessMse;
    settings_.ga.adjustingConstant = 7.0;
    Result<double> relative = estimate({threshold});
    const ReportedModel first = reported_;
    settings_.ga.criterion = kCriterionAbsolute;
    settings_.ga.fitnessKind = kFitnessAic;
    settings_.ga.adjustingConstant = 1.0;
    Result<double> absolute = estimate({threshold});
    ASSERT_TRUE(relative.ok() && absolute.ok());
    EXPECT_EQ(relative.value(), absolute.value());
    EXPECT_EQ(absolute.value(), std::exp(-reported_.naic));
    EXPECT_EQ(first.regimes[0].coefficients, reported_.regimes[0].coefficients);
    EXPECT_EQ(texts_.ljungBoxText, testing::formatDouble("%.3f", reported_.ljungBox));
}

TEST_F(GivenThresholds, ThresholdIsPlacedAtTheLastEqualRank) {
    // The smallest value occurs once here; a threshold equal to it leaves regime 1 empty.
    ASSERT_NE(sortedSeries_[0], sortedSeries_[1]);
    Result<double> lowest = estimate({sortedSeries_[0]});
    ASSERT_TRUE(lowest.ok());
    EXPECT_EQ(lowest.value(), 0.0);
    EXPECT_EQ(texts_.thresholdText, testing::formatDouble("%f\n", sortedSeries_[0]));
}

TEST_F(GivenThresholds, DescendingThresholdsLeaveARegimeEmpty) {
    Result<double> fitness = estimate({uniqueValueNearRank(300), uniqueValueNearRank(100)});
    ASSERT_TRUE(fitness.ok());
    EXPECT_EQ(fitness.value(), 0.0);
    EXPECT_FALSE(reported_.available);
    EXPECT_EQ(texts_.thresholdText.rfind("Soglia:1\n", 0), 0u);
    EXPECT_EQ(texts_.aicText, "");
}

TEST_F(GivenThresholds, ThresholdThatIsNotASeriesValueEndsTheRun) {
    files_.put("Residuals.txt", "stale\n");
    Result<double> fitness = estimate({uniqueValueNearRank(100), 1.25});
    ASSERT_FALSE(fitness.ok());
    EXPECT_EQ(fitness.notice(), errorNotice("Element of series do not exist"));
    // A run that ends in a notice replaces no result file.
    EXPECT_EQ(files_.read("Residuals.txt"), "stale\n");
    EXPECT_EQ(texts_.thresholdText, "");
}

TEST_F(GivenThresholds, NoTriedOrderIsANoticeNotADivisionByZero) {
    Result<double> fitness = estimate({uniqueValueNearRank(200)}, /*maxOrder=*/1);
    ASSERT_FALSE(fitness.ok());
    EXPECT_EQ(fitness.notice().text, "The number of effective observation are zero");
}

// Value 21 set to -1e308: its square overflows, and the regime whose regression holds it had
// no finite AIC at any order. That is neither a regime without observations nor an absence of
// effective observations, and nothing infinite or undefined may be shown for it.
TEST_F(GivenThresholds, ValueWhoseSquareOverflowsEndsTheRunNamingIt) {
    setValue(20, -1e308);
    files_.put("Residuals.txt", "earlier residuals\n");
    Result<double> fitness = estimate({-0.2301702, 0.35374461});
    ASSERT_FALSE(fitness.ok());
    EXPECT_EQ(fitness.notice().text, "The values of the series are too large to be estimated");
    EXPECT_EQ(fitness.notice().detail.rfind("Element 21 (-1e+308) is too large", 0), 0u)
        << fitness.notice().detail;
    EXPECT_EQ(testing::firstNonFiniteText(texts_), "");
    EXPECT_EQ(texts_.observationText, "");
    EXPECT_FALSE(reported_.available);
    EXPECT_EQ(files_.read("Residuals.txt"), "earlier residuals\n");
}

}  // namespace
}  // namespace kavri
