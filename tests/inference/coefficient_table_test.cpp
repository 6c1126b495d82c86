#include "inference/coefficient_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "inference/distributions.h"
#include "inference/least_squares_reference.h"
#include "run/given_thresholds.h"
#include "support/ranked_exchange_rate.h"

namespace kavri {
namespace {

// Estimates from two different factorisations agree to about 1e-13 here; 1e-9 leaves room
// for the conditioning of the regimes' lag columns and still catches any wrong formula.
constexpr double kRelative = 1e-9;

void expectRelative(double actual, double expected) {
    EXPECT_NEAR(actual, expected, kRelative * std::fabs(expected));
}

// The AR(1) regression through (x[t-1], x[t]) = (0,1), (1,3), (3,2), (2,4), (4,3), by hand:
// mean x 2, mean y 2.6, Sxx 10, Sxy 3, so b1 = 0.3 and b0 = 2; residuals -1, 0.7, -0.9, 1.4,
// -0.2, SSE 4.3, s^2 = 4.3 / 3. Classical: se(b1) = sqrt(s^2 / Sxx) = sqrt(0.143333..),
// se(b0) = sqrt(s^2 (1/5 + 4/10)) = sqrt(0.86). HC1 slope: 5/3 * sum (x - 2)^2 e^2 / Sxx^2
// = 5/3 * 5.46 / 100 = 0.091.
ReportedModel handWorkedModel() {
    ReportedModel model;
    model.available = true;
    model.series = {0.0, 1.0, 3.0, 2.0, 4.0, 3.0};
    model.regimeOfObservation = {-1, 0, 0, 0, 0, 0};
    RegimeReport regime;
    regime.order = 1;
    regime.coefficients = {2.0, 0.3};
    model.regimes = {regime};
    return model;
}

TEST(CoefficientTable, HandWorkedRegressionClassicalAndHc1) {
    const CoefficientTable classical =
        coefficientTable(handWorkedModel(), StandardErrorKind::kClassical);
    ASSERT_EQ(classical.regimes.size(), 1u);
    const RegimeCoefficients& regime = classical.regimes[0];
    EXPECT_EQ(regime.observations, 5);
    EXPECT_EQ(regime.residualDf, 3);
    expectRelative(regime.sse, 4.3);
    expectRelative(*regime.coefficients[0].standardError, std::sqrt(0.86));
    expectRelative(*regime.coefficients[1].standardError, std::sqrt(4.3 / 3.0 / 10.0));
    expectRelative(*regime.coefficients[1].tValue, 0.3 / std::sqrt(4.3 / 30.0));

    const CoefficientTable robust = coefficientTable(handWorkedModel(), StandardErrorKind::kHc1);
    expectRelative(*robust.regimes[0].coefficients[1].standardError, std::sqrt(0.091));
}

// The same regression in units of 1e100 (within the values a series may hold): e^2 x^2 is
// about 1e400, which once made every HC1 error infinite with t 0 and p 1. The errors scale
// with the units (the slope's not at all), in both kinds.
TEST(CoefficientTable, ErrorsOfValuesNear1e100AreTheScaledOnes) {
    ReportedModel model = handWorkedModel();
    for (double& x : model.series) x *= 1e100;
    model.regimes[0].coefficients = {2e100, 0.3};
    for (StandardErrorKind kind : {StandardErrorKind::kClassical, StandardErrorKind::kHc1}) {
        const CoefficientTable unit = coefficientTable(handWorkedModel(), kind);
        const CoefficientTable large = coefficientTable(model, kind);
        const CoefficientEstimate& constant = large.regimes[0].coefficients[0];
        const CoefficientEstimate& slope = large.regimes[0].coefficients[1];
        ASSERT_TRUE(constant.standardError.has_value());
        ASSERT_TRUE(slope.standardError.has_value());
        expectRelative(*constant.standardError,
                       *unit.regimes[0].coefficients[0].standardError * 1e100);
        expectRelative(*slope.standardError, *unit.regimes[0].coefficients[1].standardError);
        expectRelative(*slope.tValue, *unit.regimes[0].coefficients[1].tValue);
        expectRelative(*slope.pValue, *unit.regimes[0].coefficients[1].pValue);
    }
}

TEST(CoefficientTable, NoResidualDegreeOfFreedomLeavesTheErrorsUndefined) {
    ReportedModel model = handWorkedModel();
    model.regimeOfObservation = {-1, 0, 0, -1, -1, -1};  // two rows for two coefficients
    const CoefficientTable table = coefficientTable(model, StandardErrorKind::kHc1);
    const RegimeCoefficients& regime = table.regimes[0];
    EXPECT_EQ(regime.residualDf, 0);
    ASSERT_EQ(regime.coefficients.size(), 2u);
    EXPECT_EQ(regime.coefficients[1].estimate, 0.3);
    EXPECT_FALSE(regime.coefficients[0].standardError.has_value());
    EXPECT_FALSE(regime.coefficients[1].tValue.has_value());
    EXPECT_FALSE(regime.coefficients[1].pValue.has_value());
}

class CoefficientTableAtGivenThresholds : public testing::RankedExchangeRate {};

// The run's three-regime model of the returns at the thresholds -0.2301702 and 0.35374461,
// against each regime's least-squares fit by Gram-Schmidt on rows chosen by the value of
// x[t-1] directly.
TEST_F(CoefficientTableAtGivenThresholds, EqualAnIndependentFitOfEachRegime) {
    const std::array<double, 10> thresholds{-0.2301702, 0.35374461};
    const int maxOrder = settings_.model.maxOrder;
    ASSERT_TRUE(estimateGivenThresholds(context(), series_.data(), sortedSeries_.data(), 2,
                                        thresholds, sortOrder_.data(), n_, maxOrder, 1,
                                        kReportingIteration)
                    .ok());
    ASSERT_TRUE(reported_.available);

    for (StandardErrorKind kind : {StandardErrorKind::kClassical, StandardErrorKind::kHc1}) {
        const CoefficientTable table = coefficientTable(reported_, kind);
        ASSERT_EQ(table.regimes.size(), 3u);
        for (int r = 0; r < 3; ++r) {
            std::vector<int> times;
            for (int t = maxOrder - 1; t < n_; ++t) {
                const double z = series_[t - 1];
                const int regime = z < thresholds[0] ? 0 : (z < thresholds[1] ? 1 : 2);
                if (regime == r) times.push_back(t);
            }
            const int p = reported_.regimes[r].order;
            const testing::RegressionRows rows = testing::rowsAt(series_, times, p);
            const testing::ReferenceFit fit = testing::gramSchmidtFit(rows.design, rows.response);
            const int m = static_cast<int>(times.size());
            const int k = p + 1;
            ASSERT_EQ(table.regimes[r].observations, m);
            ASSERT_EQ(table.regimes[r].residualDf, m - k);
            for (int j = 0; j < k; ++j) {
                // Var(b_j) = row j of R^-1 times the middle matrix times its transpose: s^2 I
                // for classical errors, Q' diag(e^2) Q scaled by m / (m - k) for HC1.
                double variance = 0.0;
                for (int a = j; a < k; ++a) {
                    for (int c = j; c < k; ++c) {
                        double middle = 0.0;
                        if (kind == StandardErrorKind::kClassical) {
                            middle = a == c ? fit.sse / (m - k) : 0.0;
                        } else {
                            for (int i = 0; i < m; ++i) {
                                middle += fit.qFactor[a][i] * fit.residuals[i] * fit.residuals[i] *
                                          fit.qFactor[c][i];
                            }
                            middle *= static_cast<double>(m) / (m - k);
                        }
                        variance += fit.rInverse[j][a] * middle * fit.rInverse[j][c];
                    }
                }
                const double se = std::sqrt(variance);
                const double t = fit.coefficients[j] / se;
                const CoefficientEstimate& estimate = table.regimes[r].coefficients[j];
                expectRelative(estimate.estimate, fit.coefficients[j]);
                expectRelative(*estimate.standardError, se);
                expectRelative(*estimate.tValue, t);
                expectRelative(*estimate.pValue, *studentTwoSidedP(t, m - k));
            }
        }
    }
}

}  // namespace
}  // namespace kavri
