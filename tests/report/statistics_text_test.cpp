#include "report/statistics_text.h"

#include <gtest/gtest.h>

namespace kavri {
namespace {

TEST(StatisticsText, CoefficientTableUnderRsColumnNamesWithNaWhereUndefined) {
    CoefficientTable table;
    RegimeCoefficients first;
    first.observations = 40;
    first.residualDf = 38;
    first.coefficients = {{0.5, 0.25, 2.0, 0.0527}, {-1.25, 0.125, -10.0, 3e-12}};
    RegimeCoefficients second;
    second.observations = 2;
    second.residualDf = 0;
    second.coefficients = {{1.0, {}, {}, {}}, {0.75, {}, {}, {}}};
    table.regimes = {first, second};
    EXPECT_EQ(coefficientTableText(table),
              "Classical standard errors, s^2 (X'X)^-1 with s^2 = SSE/(n-k);\n"
              "t tests with n - k degrees of freedom\n"
              "Regime 1: n = 40, k = 2, 38 residual degrees of freedom\n"
              "            Estimate  Std. Error    t value  Pr(>|t|)\n"
              "Constant    0.500000    0.250000      2.000    0.0527\n"
              "Lag 1      -1.250000    0.125000    -10.000   <0.0001\n"
              "Regime 2: n = 2, k = 2, 0 residual degrees of freedom\n"
              "            Estimate  Std. Error    t value  Pr(>|t|)\n"
              "Constant    1.000000          NA         NA        NA\n"
              "Lag 1       0.750000          NA         NA        NA");
    table.kind = StandardErrorKind::kHc1;
    EXPECT_EQ(coefficientTableText(table).rfind(
                  "White's heteroskedasticity-consistent standard errors (HC1),\n", 0),
              0u);
}

TEST(StatisticsText, SparseRegimeWarningNamesRegimeObservationsAndParameters) {
    EXPECT_EQ(sparseRegimeText(SparseRegime{3, 32, 20}),
              "regime 3: 32 observations for 20 parameters");
}

TEST(StatisticsText, FitStatisticsStateTheirFormulaAndDegreesOfFreedom) {
    FitStatistics s;
    s.observations = 447;
    s.coefficients = 10;
    s.thresholds = 3;
    s.logLikelihood = -304.5;
    s.bic = -571.25;
    s.ljungBox = 5.75;
    s.ljungBoxLags = 10;
    s.ljungBoxDf = 8;
    s.ljungBoxP = 0.675;
    const std::vector<LabelledText> texts = fitStatisticsTexts(s);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].label, "Log-Likelihood");
    EXPECT_EQ(texts[0].text, "-304.500000 (Gaussian, each regime with its own variance SSE/n)");
    EXPECT_EQ(texts[1].text,
              "-571.250000 (AIC - 2K + ln(N) (K + R - 1): K = 10 coefficients, R - 1 = 3 "
              "thresholds, N = 447)");
    EXPECT_EQ(texts[2].text,
              "0.6750 (Q = 5.750000 against chi-square with 8 degrees of freedom: 10 lags less "
              "2, the highest order)");
    s.ljungBoxLags = 2;
    s.ljungBoxDf = 0;
    s.ljungBoxP.reset();
    EXPECT_EQ(fitStatisticsTexts(s)[2].text,
              "NA (2 lags leave no degree of freedom beyond the highest order 2)");
}

TEST(StatisticsText, LinearityTestsShowTheirSettingsAndABootstrapPBelowItsResolution) {
    LinearityTests tests;
    tests.settings.order = 3;
    tests.settings.delay = 2;
    tests.settings.replicates = 1000;
    tests.settings.seed = 7;
    tests.firstTime = 3;
    tests.observations = 447;
    tests.minRows = 30;
    tests.oneVsTwo = SupFTest{1, 2, true, 31.25, 10.0, 9.0, {0.5}, 0.0, 1000};
    tests.oneVsThree = SupFTest{1, 3, true, 40.5, 10.0, 8.5, {-0.5, 0.5}, 0.0125, 1000};
    tests.twoVsThree.nullRegimes = 2;
    tests.twoVsThree.alternativeRegimes = 3;
    tests.tsay = TsayTest{true, 47, 3.25, 4, 396, 0.00001};
    const std::vector<LabelledText> texts = linearityTestsTexts(tests);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0].text,
              "order 3 in every regime, delay 2, observations t = 3 .. 449 (N = 447), at least "
              "30 per regime; bootstrap of 1000 replicates under each null model, seed 7");
    EXPECT_EQ(texts[1].label, "Sup-F 1 vs 2 Regimes");
    EXPECT_EQ(texts[1].text, "F = 31.2500, bootstrap p < 0.001, threshold 0.500000");
    EXPECT_EQ(texts[2].text, "F = 40.5000, bootstrap p = 0.0125, thresholds -0.500000, 0.500000");
    EXPECT_EQ(texts[3].text, "NA (no admissible thresholds)");
    EXPECT_EQ(texts[4].text,
              "F(4, 396) = 3.2500, p < 0.0001 (recursion started on 47 arranged observations)");

    // An alternative that fits exactly has no F to show, nor a p value.
    tests.oneVsTwo.exactFit = true;
    tests.tsay.exactFit = true;
    const std::vector<LabelledText> exact = linearityTestsTexts(tests);
    EXPECT_EQ(exact[1].text,
              "NA (the alternative fits the sample exactly, so F is unbounded), threshold "
              "0.500000");
    EXPECT_EQ(exact[4].text,
              "NA (the regression on the lags fits the residuals exactly, so F is unbounded)");
}

// The line on the number of regimes: BIC's choice at the model's delay, then the sup-F tests
// that bear on the number chosen (one more regime, one fewer), each with its bootstrap p.
TEST(StatisticsText, RegimeSupportNamesBicsChoiceAndTheTestsThatBearOnIt) {
    ModelComparison comparison;
    comparison.rows.resize(3);
    comparison.rows[0].regimes = 1;
    comparison.rows[1].regimes = 2;
    comparison.rows[1].delay = 2;
    comparison.rows[2].regimes = 3;
    comparison.rows[2].delay = 2;
    comparison.bestBic = 1;
    LinearityTests tests;
    tests.oneVsTwo = SupFTest{1, 2, true, 31.25, 10.0, 9.0, {0.5}, 0.0, 1000};
    tests.oneVsThree = SupFTest{1, 3, true, 40.5, 10.0, 8.5, {-0.5, 0.5}, 0.0125, 1000};
    tests.twoVsThree = SupFTest{2, 3, true, 3.5, 9.0, 8.5, {-0.5, 0.5}, 0.37, 1000};
    EXPECT_EQ(regimeSupportText(2, comparison, &tests),
              "2 regimes chosen; BIC prefers 2 regimes (delay 2); sup-F 1v2 p < 0.001, 2v3 p = "
              "0.37");
    EXPECT_EQ(regimeSupportText(3, comparison, &tests),
              "3 regimes chosen; BIC prefers 2 regimes (delay 2); sup-F 2v3 p = 0.37");
    EXPECT_EQ(regimeSupportText(1, comparison, nullptr),
              "1 regime chosen; BIC prefers 2 regimes (delay 2)");
    comparison.bestBic = -1;
    EXPECT_EQ(regimeSupportText(2, comparison, nullptr),
              "2 regimes chosen; BIC: no model of the comparison could be fitted");
}

TEST(StatisticsText, ThresholdIntervalsOneLineEachThenHowTheyWereFound) {
    ThresholdConfidence first;
    first.threshold = 0;
    first.estimate = -0.25;
    first.lower = -0.5;
    first.upper = 0.125;
    first.level = 95.0;
    first.criticalValue = thresholdCriticalValue(95.0);
    ThresholdConfidence second = first;
    second.threshold = 1;
    second.estimate = 1.5;
    second.lower = 1.5;
    second.upper = 2.0;
    EXPECT_EQ(thresholdConfidenceText({first, second}),
              "1: -0.250000 in [-0.500000, 0.125000] at 95%\n"
              "2: 1.500000 in [1.500000, 2.000000] at 95%\n"
              "the values g with LR(g) = N (SSR(g) - SSR) / SSR <= 7.35 = -2 ln(1 - sqrt(0.95)), "
              "the other thresholds and the orders held (Hansen's likelihood-ratio interval)");
    EXPECT_EQ(thresholdConfidenceText({}), "");
}

}  // namespace
}  // namespace kavri
