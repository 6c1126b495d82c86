#include "estimation/series_statistics.h"

#include <gtest/gtest.h>

namespace kavri {
namespace {

TEST(SeriesStatistics, VarianceDividesByN) {
    const double x[] = {1, 2, 3, 4};
    const double constant[] = {2.5, 2.5, 2.5};
    EXPECT_EQ(seriesMean(x, 4), 2.5);
    EXPECT_EQ(seriesVariance(x, 4), 1.25);
    EXPECT_EQ(seriesVariance(constant, 3), 0.0);
}

TEST(SeriesStatistics, AutocorrelationsAndLjungBoxOfAShortSeries) {
    // Deviations -1.5, -0.5, 0.5, 1.5: c0 = 5, c1 = 1.25, c2 = -1.5.
    const double e[] = {1, 2, 3, 4};
    double acf[3];
    autocorrelations(acf, 4, e, 2);
    EXPECT_EQ(acf[0], 1.0);
    EXPECT_EQ(acf[1], 0.25);
    EXPECT_EQ(acf[2], -0.3);
    // R: Box.test(c(1, 2, 3, 4), lag = 2, type = "Ljung") gives X-squared = 1.58.
    EXPECT_NEAR(ljungBoxStatistic(acf, 4, 2), 1.58, 1e-14);
    EXPECT_EQ(ljungBoxStatistic(acf, 4, 0), 0.0);

    // A weight (n + 2) / (n - h) that is not a whole number: 7 / 4 with acf[1] = 0.4.
    // R: Box.test(1:5, lag = 1, type = "Ljung") gives X-squared = 1.4.
    const double f[] = {1, 2, 3, 4, 5};
    autocorrelations(acf, 5, f, 1);
    EXPECT_NEAR(ljungBoxStatistic(acf, 5, 1), 1.4, 1e-14);
}

TEST(SeriesStatistics, ConstantResidualsHaveNoSerialCorrelation) {
    const double e[] = {0, 0, 0, 0, 0, 0};
    double acf[4] = {-9, -9, -9, -9};
    autocorrelations(acf, 6, e, 3);
    EXPECT_EQ(acf[0], 1.0);
    EXPECT_EQ(acf[1], 0.0);
    EXPECT_EQ(acf[3], 0.0);
    EXPECT_EQ(ljungBoxStatistic(acf, 6, 3), 0.0);
}

// Values are small binary fractions, so every fitted value below is exact.
TEST(FitWholeSeries, LaggedValueEqualToThresholdGoesToUpperRegime) {
    FittedModel model(2);
    model.nRegimes = 2;
    model.thresholdValues[0] = 1.5;
    model.regimeCoefficients[0][0] = 10.0;
    model.regimeCoefficients[1][0] = 20.0;
    model.regimeCoefficients[1][1] = 0.5;
    model.regimeOrders = {0, 1, 0, 0};

    const double x[] = {1.5, 0.0, 1.4999, 2.0, 1.5, 4.0};
    double residual[6];
    double fitted[6];
    // maxOrder 2, delay 1: only t = 0 lacks its threshold variable.
    fitWholeSeries(x, 6, 2, 1, model, residual, fitted);
    const double expected[] = {1.5,  20.0 + 0.5 * 1.5, 10.0,
                               10.0, 20.0 + 0.5 * 2.0, 20.0 + 0.5 * 1.5};
    for (int t = 0; t < 6; ++t) {
        EXPECT_EQ(fitted[t], expected[t]) << "t = " << t;
        EXPECT_EQ(residual[t], x[t] - expected[t]) << "t = " << t;
    }
}

TEST(FitWholeSeries, SingleRegimeUsesRowZeroFromTheFirstFittableObservation) {
    FittedModel model(4);
    model.regimeCoefficients[0][0] = 0.25;
    model.regimeCoefficients[0][1] = 0.5;
    model.regimeCoefficients[0][2] = -0.125;
    model.regimeCoefficients[1][0] = 99.0;
    model.regimeOrders = {2, 0, 0, 0};
    model.thresholdValues[0] = -1e300;

    const double x[] = {1, 2, 4, 8, 16, 32};
    double residual[6];
    double fitted[6];
    // max(maxOrder - 1, delay) = 3 observations are reproduced as they stand.
    fitWholeSeries(x, 6, 4, 2, model, residual, fitted);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(fitted[t], x[t]);
        EXPECT_EQ(residual[t], 0.0);
    }
    for (int t = 3; t < 6; ++t) {
        EXPECT_EQ(fitted[t], 0.25 + 0.5 * x[t - 1] - 0.125 * x[t - 2]) << "t = " << t;
    }
}

}  // namespace
}  // namespace kavri
