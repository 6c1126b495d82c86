// Models of a form other than the default, estimated at given thresholds, against an
// independent least-squares fit of each regime (Gram-Schmidt on rows chosen by the value of
// x[t-1] directly, the rule of the README: a value equal to a threshold is in the regime above).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "estimation/information_criterion.h"
#include "forecast/multi_step_forecast.h"
#include "inference/coefficient_table.h"
#include "inference/diagnostics.h"
#include "inference/fit_statistics.h"
#include "inference/least_squares_reference.h"
#include "run/given_thresholds.h"
#include "support/ranked_exchange_rate.h"

namespace kavri {
namespace {

constexpr double kRelative = 1e-9;

void expectRelative(double actual, double expected) {
    EXPECT_NEAR(actual, expected, kRelative * std::fabs(expected));
}

class ModelFormAtGivenThresholds : public testing::RankedExchangeRate {
 protected:
    // Estimates at `thresholds` and compares every regime's coefficients and classical
    // standard errors with the reference fit at `orders`.
    // With `lags`, order k fits the first k of them; the reference regresses on those lags.
    void expectIndependentFits(const std::vector<double>& thresholds,
                               const std::vector<int>& orders, const std::vector<int>& lags = {}) {
        settings_.form.nLags = static_cast<int>(lags.size());
        std::copy(lags.begin(), lags.end(), settings_.form.lags.begin());
        std::array<double, 10> given{};
        std::copy(thresholds.begin(), thresholds.end(), given.begin());
        const int nThresholds = static_cast<int>(thresholds.size());
        const int maxOrder = settings_.model.maxOrder;
        ASSERT_TRUE(estimateGivenThresholds(context(), series_.data(), sortedSeries_.data(),
                                            nThresholds, given, sortOrder_.data(), n_, maxOrder, 1,
                                            kReportingIteration)
                        .ok());
        ASSERT_TRUE(reported_.available);
        const CoefficientTable table = coefficientTable(reported_, StandardErrorKind::kClassical);
        ASSERT_EQ(table.regimes.size(), thresholds.size() + 1);
        for (int r = 0; r <= nThresholds; ++r) {
            SCOPED_TRACE(r);
            std::vector<int> times;
            for (int t = maxOrder - 1; t < n_; ++t) {
                int regime = 0;
                while (regime < nThresholds && series_[t - 1] >= thresholds[regime]) ++regime;
                if (regime == r) times.push_back(t);
            }
            // No orders given: those the AIC chose, from 1 .. maxOrder - 1 (or the lags').
            std::vector<int> used;
            if (lags.empty()) {
                const int order = orders.empty() ? reported_.regimes[r].order : orders[r];
                for (int k = 1; k <= order; ++k) used.push_back(k);
            } else {
                // Order k is the first k lags of the list; the model's order is the last of them.
                for (int lag : lags) {
                    if (lag <= reported_.regimes[r].order) used.push_back(lag);
                }
                if (!orders.empty()) {
                    ASSERT_EQ(static_cast<int>(used.size()), orders[r]);
                }
                ASSERT_EQ(table.regimes[r].lags, used);
            }
            const int p = static_cast<int>(used.size());
            ASSERT_EQ(reported_.regimes[r].order, used.empty() ? 0 : used.back());
            ASSERT_GE(p, 1);
            testing::RegressionRows rows;
            const bool trend = settings_.form.trend;
            for (int t : times) {
                std::vector<double> row{1.0};
                if (trend) row.push_back(t + 1.0);  // the observation's number, 1 for x[0]
                for (int lag : used) row.push_back(series_[t - lag]);
                rows.design.push_back(row);
                rows.response.push_back(series_[t]);
            }
            // The lags left out of a subset are stored as exactly 0.
            for (int k = 1; k <= reported_.regimes[r].order; ++k) {
                if (std::find(used.begin(), used.end(), k) == used.end()) {
                    EXPECT_EQ(reported_.regimes[r].coefficients[k], 0.0);
                }
            }
            const bool constant = settings_.form.constant;
            if (!constant) {
                for (std::vector<double>& row : rows.design) row.erase(row.begin());
                // Not estimated: exactly 0, and without a standard error.
                EXPECT_EQ(table.regimes[r].coefficients[0].estimate, 0.0);
                EXPECT_FALSE(table.regimes[r].coefficients[0].standardError.has_value());
            }
            const testing::ReferenceFit fit = testing::gramSchmidtFit(rows.design, rows.response);
            const int m = static_cast<int>(times.size());
            const int k = (constant ? p + 1 : p) + (trend ? 1 : 0);
            const int first = constant ? 0 : 1;  // the coefficient of the design's column 0
            ASSERT_EQ(table.regimes[r].observations, m);
            ASSERT_EQ(table.regimes[r].residualDf, m - k);
            ASSERT_EQ(table.regimes[r].fitted, k);
            for (int j = 0; j < k; ++j) {
                double variance = 0.0;
                for (int a = j; a < k; ++a) {
                    variance += fit.rInverse[j][a] * fit.rInverse[j][a] * fit.sse / (m - k);
                }
                const CoefficientEstimate& estimate = table.regimes[r].coefficients[j + first];
                expectRelative(estimate.estimate, fit.coefficients[j]);
                if (trend && j == 1) {
                    expectRelative(reported_.regimes[r].trend, fit.coefficients[j]);
                }
                ASSERT_TRUE(estimate.standardError.has_value());
                expectRelative(*estimate.standardError, std::sqrt(variance));
            }
        }
    }
};

TEST_F(ModelFormAtGivenThresholds, OrdersFixedPerRegimeAreFittedWhateverTheirAic) {
    // Orders 3 and 1 (a SETAR(2; 3, 1)); the AIC alone chooses 1 and 2 here.
    settings_.form.nFixedOrders = 2;
    settings_.form.fixedOrders = {3, 1};
    expectIndependentFits({-0.059715521}, {3, 1});
}

TEST_F(ModelFormAtGivenThresholds, OneFixedOrderServesEveryRegime) {
    settings_.form.nFixedOrders = 1;
    settings_.form.fixedOrders = {2};
    expectIndependentFits({-0.2301702, 0.35374461}, {2, 2, 2});
}

TEST_F(ModelFormAtGivenThresholds, NoConstantFitsTheLagsAloneAndCountsThem) {
    settings_.form.constant = false;
    settings_.form.nFixedOrders = 2;
    settings_.form.fixedOrders = {3, 1};
    expectIndependentFits({-0.059715521}, {3, 1});
    // The criteria count p coefficients in each regime: 3 + 1 here (NAIC = sum AIC / N + offset).
    double sumAic = 0.0;
    int observations = 0;
    for (const RegimeCoefficients& regime :
         coefficientTable(reported_, StandardErrorKind::kClassical).regimes) {
        sumAic += regime.observations * std::log(regime.sse / regime.observations);
        observations += regime.observations;
    }
    expectRelative(reported_.naic, (sumAic + 2.0 * 4) / observations + kNaicOffset);
}

TEST_F(ModelFormAtGivenThresholds, NoConstantWithOrdersChosenByAic) {
    settings_.form.constant = false;
    expectIndependentFits({-0.2301702, 0.35374461}, {});
}

TEST_F(ModelFormAtGivenThresholds, LagSubsetFixedAtTheWholeListInEveryRegime) {
    // A seasonal-style subset: lags 1, 2 and 12 without 3 .. 11; regressions start at t = 12
    // as for every model of maximum order 13.
    settings_.model.maxOrder = 13;
    settings_.form.nFixedOrders = 1;
    settings_.form.fixedOrders = {3};
    expectIndependentFits({-0.059715521}, {3, 3}, {1, 2, 12});
    // K counts the constant and the three lags of each regime, not the highest lag; so do the
    // degrees of freedom the residuals' Ljung-Box tests lose (3, not 12, which would leave none).
    const FitStatistics statistics =
        fitStatistics(reported_, coefficientTable(reported_, StandardErrorKind::kClassical));
    EXPECT_EQ(statistics.coefficients, 8);
    EXPECT_EQ(statistics.ljungBoxDf, statistics.ljungBoxLags - 3);
    EXPECT_TRUE(statistics.ljungBoxP.has_value());
    const std::vector<PortmanteauTest> byLag = ljungBoxByLag(reported_);
    ASSERT_FALSE(byLag.empty());
    EXPECT_EQ(byLag.back().df, byLag.back().lags - 3);
}

TEST_F(ModelFormAtGivenThresholds, LagSubsetOrdersPerRegimeWithoutConstant) {
    settings_.model.maxOrder = 13;
    settings_.form.constant = false;
    settings_.form.nFixedOrders = 3;
    settings_.form.fixedOrders = {1, 3, 2};
    expectIndependentFits({-0.2301702, 0.35374461}, {1, 3, 2}, {2, 5, 12});
}

TEST_F(ModelFormAtGivenThresholds, LagSubsetOrdersChosenByAicAmongTheFirstLags) {
    settings_.model.maxOrder = 13;
    expectIndependentFits({-0.059715521}, {}, {1, 4, 12});
}

TEST_F(ModelFormAtGivenThresholds, TrendIsFittedBesideTheConstantAndCounted) {
    settings_.form.trend = true;
    settings_.form.nFixedOrders = 2;
    settings_.form.fixedOrders = {3, 1};
    expectIndependentFits({-0.059715521}, {3, 1});
    const CoefficientTable table = coefficientTable(reported_, StandardErrorKind::kClassical);
    EXPECT_TRUE(table.regimes[0].trend);
    // K: constant, trend and the lags, 5 + 3.
    EXPECT_EQ(fitStatistics(reported_, table).coefficients, 8);
    // The residuals of the whole-series fit are those of the regressions' equations.
    for (int t = settings_.model.maxOrder - 1; t < n_; ++t) {
        const int r = series_[t - 1] >= reported_.thresholds[0] ? 1 : 0;
        const RegimeReport& regime = reported_.regimes[r];
        double fitted = regime.coefficients[0];
        for (int k = 1; k <= regime.order; ++k) fitted += regime.coefficients[k] * series_[t - k];
        fitted += regime.trend * (t + 1.0);
        EXPECT_NEAR(reported_.residuals[t], series_[t] - fitted, 1e-12);
    }
}

TEST_F(ModelFormAtGivenThresholds, TrendWithOrdersByAicAndLagSubset) {
    settings_.model.maxOrder = 13;
    settings_.form.trend = true;
    expectIndependentFits({-0.2301702, 0.35374461}, {}, {1, 3, 12});
}

TEST_F(ModelFormAtGivenThresholds, SkeletonForecastsContinueTheTrendPastTheSample) {
    settings_.form.trend = true;
    settings_.form.nFixedOrders = 2;
    settings_.form.fixedOrders = {2, 1};
    expectIndependentFits({-0.059715521}, {2, 1});
    ForecastSettings forecast;
    forecast.method = ForecastMethod::kSkeleton;
    forecast.horizon = 6;
    const ForecastResult result = forecastFromEnd(reported_, forecast);
    // The recursion by hand: value origin + h is observation number origin + h.
    std::vector<double> x = reported_.series;
    const int origin = static_cast<int>(x.size());
    for (int h = 1; h <= forecast.horizon; ++h) {
        const double z = x[static_cast<std::size_t>(origin + h - 2)];
        // A value equal to the threshold goes below it at step 1, above it later.
        const double threshold = reported_.thresholds[0];
        const int r = (h == 1 ? z > threshold : z >= threshold) ? 1 : 0;
        const RegimeReport& regime = reported_.regimes[r];
        double value = regime.coefficients[0];
        for (int k = 1; k <= regime.order; ++k) {
            value += regime.coefficients[k] * x[static_cast<std::size_t>(origin + h - 1 - k)];
        }
        value += regime.trend * (origin + h);
        x.push_back(value);
        EXPECT_NEAR(result.point[static_cast<std::size_t>(h - 1)], value,
                    1e-12 * std::fabs(value) + 1e-15);
    }
    // Without the trend the same model would forecast other values: the trend is not idle.
    EXPECT_GT(std::fabs(reported_.regimes[0].trend) + std::fabs(reported_.regimes[1].trend), 0.0);
}

TEST_F(ModelFormAtGivenThresholds, DefaultFormStillChoosesTheOrdersByAic) {
    expectIndependentFits({-0.059715521}, {1, 2});
}

}  // namespace
}  // namespace kavri
