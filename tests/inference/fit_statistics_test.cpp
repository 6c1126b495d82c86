#include "inference/fit_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "inference/distributions.h"

namespace kavri {
namespace {

constexpr double kRelative = 1e-12;

void expectRelative(double actual, double expected) {
    EXPECT_NEAR(actual, expected, kRelative * std::fabs(expected));
}

// Closed forms: Student's t with 1 degree of freedom is Cauchy, P(|T| > t) = 1 - 2 atan(t) / pi;
// with 2, P(|T| > t) = 1 - t / sqrt(2 + t^2). F(2, m): P(F > f) = (1 + 2 f / m)^(-m / 2).
// Chi-square with 4: P(X > q) = exp(-q / 2) (1 + q / 2).
TEST(Distributions, TailsMatchClosedForms) {
    for (double t : {0.3, 1.0, 2.5, 12.0}) {
        expectRelative(*studentTwoSidedP(t, 1.0), 1.0 - 2.0 * std::atan(t) / std::numbers::pi);
        expectRelative(*studentTwoSidedP(-t, 2.0), 1.0 - t / std::sqrt(2.0 + t * t));
    }
    for (double f : {0.5, 3.0, 9.0}) {
        expectRelative(*fisherUpperTail(f, 2.0, 17.0), std::pow(1.0 + 2.0 * f / 17.0, -8.5));
    }
    for (double q : {0.7, 4.0, 30.0}) {
        expectRelative(*chiSquaredUpperTail(q, 4.0), std::exp(-q / 2.0) * (1.0 + q / 2.0));
    }
}

TEST(Distributions, UndefinedArgumentsGiveNoValueAndLimitsTheirTails) {
    EXPECT_FALSE(studentTwoSidedP(1.0, 0.0).has_value());
    EXPECT_FALSE(fisherUpperTail(std::nan(""), 2.0, 3.0).has_value());
    EXPECT_FALSE(chiSquaredUpperTail(1.0, -1.0).has_value());
    EXPECT_EQ(*studentTwoSidedP(INFINITY, 5.0), 0.0);
    EXPECT_EQ(*fisherUpperTail(0.0, 2.0, 3.0), 1.0);
    EXPECT_EQ(*chiSquaredUpperTail(INFINITY, 3.0), 0.0);
}

// The hand-worked AR(1) fit of coefficient_table_test.cpp: 5 rows, SSE 4.3, two coefficients.
ReportedModel fittedModel() {
    ReportedModel model;
    model.available = true;
    model.series = {0.0, 1.0, 3.0, 2.0, 4.0, 3.0};
    model.regimeOfObservation = {-1, 0, 0, 0, 0, 0};
    RegimeReport regime;
    regime.order = 1;
    regime.coefficients = {2.0, 0.3};
    regime.observations = 5;
    model.regimes = {regime};
    model.aic = 5.0 * std::log(4.3 / 5.0) + 4.0 + 0.018 * 5.0;
    model.ljungBox = 3.5;
    model.autocorrelations = {1.0, 0.1, 0.2, -0.1, 0.0, 0.05};  // lags 0 .. 5
    return model;
}

TEST(FitStatistics, LikelihoodBicAndLjungBoxOfAHandWorkedFit) {
    const ReportedModel model = fittedModel();
    const FitStatistics statistics =
        fitStatistics(model, coefficientTable(model, StandardErrorKind::kClassical));
    EXPECT_EQ(statistics.observations, 5);
    EXPECT_EQ(statistics.coefficients, 2);
    EXPECT_EQ(statistics.thresholds, 0);
    expectRelative(*statistics.logLikelihood,
                   -2.5 * (std::log(2.0 * std::numbers::pi) + std::log(0.86) + 1.0));
    expectRelative(statistics.bic, 5.0 * std::log(0.86) + 0.018 * 5.0 + std::log(5.0) * 2.0);
    EXPECT_EQ(statistics.ljungBoxLags, 5);
    EXPECT_EQ(statistics.ljungBoxDf, 4);  // five lags less the one autoregressive lag
    expectRelative(*statistics.ljungBoxP, std::exp(-1.75) * (1.0 + 1.75));
}

TEST(FitStatistics, BicCountsTheThresholds) {
    ReportedModel model = fittedModel();
    model.regimeOfObservation = {-1, 0, 0, 1, 1, 1};
    RegimeReport second = model.regimes[0];
    second.coefficients = {1.0, 0.5};
    model.regimes.push_back(second);
    const FitStatistics statistics =
        fitStatistics(model, coefficientTable(model, StandardErrorKind::kClassical));
    EXPECT_EQ(statistics.thresholds, 1);
    expectRelative(statistics.bic, model.aic - 2.0 * 4 + std::log(5.0) * (4 + 1));
}

// "Regime 3: 32 observations for 20 parameters" is the case the warning is for; here the first
// regime has 5 observations for 2 parameters (fewer than 6) and nothing else is refused.
TEST(FitStatistics, WarnsOfRegimesWithFewerThanThreeObservationsPerParameter) {
    ReportedModel model = fittedModel();
    const FitStatistics statistics =
        fitStatistics(model, coefficientTable(model, StandardErrorKind::kClassical));
    ASSERT_EQ(statistics.sparseRegimes.size(), 1u);
    EXPECT_EQ(statistics.sparseRegimes[0].regime, 1);
    EXPECT_EQ(statistics.sparseRegimes[0].observations, 5);
    EXPECT_EQ(statistics.sparseRegimes[0].parameters, 2);

    model.series = {0.0, 1.0, 3.0, 2.0, 4.0, 3.0, 2.0};
    model.regimeOfObservation = {-1, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(fitStatistics(model, coefficientTable(model, StandardErrorKind::kClassical))
                    .sparseRegimes.empty());
}

TEST(FitStatistics, AnExactFitHasNoFiniteLikelihoodAndTooFewLagsNoLjungBoxP) {
    ReportedModel model = fittedModel();
    model.series = {0.0, 2.0, 3.0, 3.5, 3.75, 3.875};  // x[t] = 2 + 0.5 x[t-1] exactly
    model.regimes[0].coefficients = {2.0, 0.5};
    model.autocorrelations = {1.0};
    const FitStatistics statistics =
        fitStatistics(model, coefficientTable(model, StandardErrorKind::kClassical));
    EXPECT_FALSE(statistics.logLikelihood.has_value());
    EXPECT_EQ(statistics.ljungBoxDf, -1);
    EXPECT_FALSE(statistics.ljungBoxP.has_value());
}

}  // namespace
}  // namespace kavri
