#include "run/chromosome_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "estimation/model_summary.h"
#include "estimation/regime_estimation.h"
#include "genetic/candidates.h"
#include "model/notices.h"
#include "report/model_texts.h"
#include "support/non_finite_text.h"
#include "support/ranked_exchange_rate.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

class ChromosomeEvaluation : public testing::RankedExchangeRate {
 protected:
    void SetUp() override {
        RankedExchangeRate::SetUp();
        settings_.gaDialogCount = 1;
        settings_.ga.printResiduals = kPrintResidualsYes;
    }

    Result<double> evaluate(const std::vector<int>& genes, int iteration, int maxOrder = 4) {
        return evaluateChromosome(context(), series_.data(), genes.data(), sortOrder_.data(), n_,
                                  maxOrder, 1, iteration);
    }

    std::vector<int> genesAt(std::initializer_list<int> positions) const {
        std::vector<int> genes(n_, 0);
        for (int p : positions) genes[p] = 1;
        return genes;
    }
};

TEST(ModelSummary, WorkedExampleOfTwoRegimes) {
    std::array<RegimeFit, kMaxRegimeCount> fits{};
    fits[0] = RegimeFit{100, 50.0, 80.0, regimeAic(100, 50.0, 80.0, false, 2)};
    fits[1] = RegimeFit{50, 100.0, 120.0, regimeAic(50, 100.0, 120.0, false, 1)};
    EXPECT_NEAR(fits[0].aic, -63.3147, 5e-5);
    EXPECT_NEAR(fits[1].aic, 38.6574, 5e-5);

    ModelSummary summary = summariseRegimes(fits, 2);
    EXPECT_EQ(summary.effectiveObservations, 150);
    summary.fitness = std::exp(-summary.naic);

    FittedModel model(4);
    model.nRegimes = 2;
    model.regimeOrders = {2, 1, 0, 0};
    ResultTexts texts;
    SilentObserver observer;
    reportModel(1, model, describeModel(model, fits, summary), "%f", texts, observer);
    EXPECT_EQ(texts.naicText, "-0.146382\n");
    EXPECT_EQ(texts.aicText, "-21.957359\n");
    EXPECT_EQ(texts.residualVarianceText, "1.00e+00");
    EXPECT_EQ(texts.observationText, "Regime:1\n100\nRegime:2\n50");
    EXPECT_EQ(texts.regimeVarianceText, "Regime:1\n5.00e-01\nRegime:2\n2.00e+00");
    char fitness[32];
    std::snprintf(fitness, sizeof fitness, "%f", summary.fitness);
    EXPECT_STREQ(fitness, "1.157639");
}

TEST(ModelSummary, RegimeWithoutSpreadHasNoRSquare) {
    std::array<RegimeFit, kMaxRegimeCount> fits{};
    fits[0] = RegimeFit{40, 0.0, 0.0, 0.0};
    fits[1] = RegimeFit{60, 3.0, 6.0, regimeAic(60, 3.0, 6.0, false, 1)};
    fits[2] = RegimeFit{50, 2.0, 8.0, regimeAic(50, 2.0, 8.0, false, 1)};
    FittedModel model(3);
    model.nRegimes = 3;
    model.regimeOrders = {1, 1, 1, 0};
    const ReportedModel reported = describeModel(model, fits, summariseRegimes(fits, 3));
    EXPECT_FALSE(reported.regimes[0].rSquare.has_value());
    ResultTexts texts;
    SilentObserver observer;
    reportModel(2, model, reported, "%f", texts, observer);
    EXPECT_EQ(texts.rSquareText, "Regime:1\nundefined\nRegime:2\n0.5000\nRegime:3\n0.7500\n");
}

// x[t] = 0.8 x[t-3] + noise: lags 1 and 2 explain nothing, so order 2 does not improve on
// order 1 while order 3 improves on both.
TEST(OrderSearch, RelativeStopsAtFirstOrderThatDoesNotImprove) {
    testing::Noise noise(2);
    const int n = 300;
    std::vector<double> x(n, 0.0);
    for (int t = 3; t < n; ++t) x[t] = 0.8 * x[t - 3] + noise.next();
    IVector sortOrder = ivector(0, n);
    DVector sorted = dvector(0, n);
    rankCandidates(x.data(), n, sortOrder, sorted);

    OrderSearch search{n, 4, 1, 1e13, false};
    RegimeWorkspace workspace(n, 4);
    RegimeEstimate absolute;
    ASSERT_EQ(estimateRegime(x.data(), sortOrder.data(), 0, n, search, workspace, absolute),
              FitStatus::kOk);
    search.stopAtFirstNonImprovement = true;
    RegimeEstimate relative;
    ASSERT_EQ(estimateRegime(x.data(), sortOrder.data(), 0, n, search, workspace, relative),
              FitStatus::kOk);

    EXPECT_EQ(absolute.order, 3);
    EXPECT_EQ(relative.order, 1);
    EXPECT_LT(absolute.fit.aic, relative.fit.aic);
    EXPECT_EQ(absolute.fit.observations, n - 3);
}

TEST_F(ChromosomeEvaluation, SingleRegimeUsesObservationsFromMaxOrderMinusOne) {
    Result<double> fitness = evaluate(std::vector<int>(n_, 0), kReportingIteration);
    ASSERT_TRUE(fitness.ok());
    EXPECT_GT(fitness.value(), 0.0);
    ASSERT_TRUE(reported_.available);
    EXPECT_EQ(reported_.effectiveObservations, 447);
    ASSERT_EQ(reported_.regimes.size(), 1u);
    EXPECT_TRUE(reported_.thresholds.empty());

    std::istringstream table(files_.read("Residuals.txt").value_or(""));
    std::vector<std::string> lines;
    for (std::string line; std::getline(table, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 451u);
    EXPECT_EQ(lines[0], " Series\t         Fit\t         Residuals");
    for (int t = 1; t <= 3; ++t) EXPECT_EQ(lines[t].substr(lines[t].size() - 8), " 0.00000");
    EXPECT_NE(lines[4].substr(lines[4].size() - 8), " 0.00000");
}

TEST_F(ChromosomeEvaluation, MarkedRankStartsTheUpperRegime) {
    const int p = 200;
    ASSERT_TRUE(evaluate(genesAt({p}), kReportingIteration).ok());
    ASSERT_EQ(reported_.thresholds.size(), 1u);
    EXPECT_EQ(reported_.thresholds[0], sortedSeries_[p]);
    EXPECT_EQ(texts_.thresholdText, testing::formatDouble("%f\n", sortedSeries_[p]));

    // Usable ranks below p belong to the lower regime; the threshold's own rank does not.
    int lower = 0;
    for (int h = 0; h < p; ++h) {
        const int t = sortOrder_[h] + 1;
        if (t >= 3 && t <= n_ - 1) ++lower;
    }
    EXPECT_EQ(reported_.regimes[0].observations, lower);
    EXPECT_EQ(reported_.regimes[0].observations + reported_.regimes[1].observations, 447);
}

TEST_F(ChromosomeEvaluation, SilentEvaluationEmptiesResidualsAndWritesNoTexts) {
    files_.put("Residuals.txt", "stale\n");
    Result<double> silent = evaluate(genesAt({150, 300}), 5);
    ASSERT_TRUE(silent.ok());
    EXPECT_EQ(files_.read("Residuals.txt"), "");
    EXPECT_EQ(texts_, ResultTexts{});
    EXPECT_FALSE(reported_.available);
    // The same chromosome in reporting mode has the same fitness.
    Result<double> reporting = evaluate(genesAt({150, 300}), kReportingIteration);
    EXPECT_EQ(reporting.value(), silent.value());
    EXPECT_EQ(texts_.thresholdText.rfind("Soglia:1\n", 0), 0u);
}

TEST_F(ChromosomeEvaluation, FitnessKinds) {
    settings_.ga.fitnessKind = kFitnessAic;
    settings_.ga.adjustingConstant = 2.0;
    ASSERT_TRUE(evaluate(genesAt({220}), kReportingIteration).ok());
    EXPECT_DOUBLE_EQ(reported_.fitness, std::exp(-reported_.naic / 2.0));
    settings_.ga.fitnessKind = kFitnessMse;
    ASSERT_TRUE(evaluate(genesAt({220}), kReportingIteration).ok());
    EXPECT_DOUBLE_EQ(reported_.fitness, std::exp(-(1.0 + *reported_.forecastMse)));
}

TEST_F(ChromosomeEvaluation, EmptyRegimeAndTooManyThresholdsScoreZero) {
    // Four set genes cannot be a model of at most four regimes; a set gene at rank 0 leaves
    // the lower regime without a single rank, so its cross-product matrix is all zero.
    Result<double> tooMany = evaluate(genesAt({50, 150, 250, 350}), kReportingIteration);
    ASSERT_TRUE(tooMany.ok());
    EXPECT_EQ(tooMany.value(), 0.0);
    Result<double> empty = evaluate(genesAt({0}), kReportingIteration);
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.value(), 0.0);
    EXPECT_FALSE(reported_.available);
}

TEST_F(ChromosomeEvaluation, FatalConditionsComeBackAsNotices) {
    Result<double> noOrder = evaluate(genesAt({}), 0, /*maxOrder=*/1);
    ASSERT_FALSE(noOrder.ok());
    EXPECT_EQ(noOrder.notice(),
              (Notice{"The number of effective observation are zero", "Kavri", NoticeIcon::kNone,
                      "Orders 1 to the maximum order - 1 are fitted, so a maximum order of 1 "
                      "leaves no autoregressive order to try. Choose a maximum order of 2 or "
                      "more."}));

    settings_.ga.fitnessKind = kFitnessMse;
    settings_.model.nPredictions = 0;
    Result<double> noForecast = evaluate(genesAt({}), 0);
    ASSERT_FALSE(noForecast.ok());
    EXPECT_EQ(noForecast.notice(), noForecastsNotice());

    files_.fail(testing::MemoryFileSystem::Operation::kCreate, "missing/Residuals.txt",
                std::errc::no_such_file_or_directory);
    const EvaluationContext unwritable{settings_, texts_, observer_, {"missing", &files_}, nullptr};
    Result<double> noFile = evaluateChromosome(unwritable, series_.data(), genesAt({}).data(),
                                               sortOrder_.data(), n_, 4, 1, 0);
    ASSERT_FALSE(noFile.ok());
    EXPECT_EQ(noFile.notice().text,
              "Kavri Directory do not exist or Residuals.txt File could not be opened\n");
    EXPECT_EQ(noFile.notice().detail,
              "missing/Residuals.txt cannot be created: No such file or directory. Run where the "
              "result files can be written (an existing directory you may write to).");
}

// Value 471 set to 1e300 lies among the held-out values: the estimation is finite, but its
// forecast error squared is not. A silent evaluation scores such a model 0 with the "MSE"
// fitness; the report ends the run naming the value instead of showing "MSE: inf".
TEST_F(ChromosomeEvaluation, HeldOutValueWhoseSquareOverflowsIsNeverShown) {
    setValue(470, 1e300);
    for (const int kind : {kFitnessMse, kFitnessAic}) {
        settings_.ga.fitnessKind = kind;
        Result<double> silent = evaluate(genesAt({200}), 3);
        ASSERT_TRUE(silent.ok());
        EXPECT_TRUE(std::isfinite(silent.value()));
        Result<double> reporting = evaluate(genesAt({200}), kReportingIteration);
        ASSERT_FALSE(reporting.ok());
        EXPECT_EQ(reporting.notice().text,
                  "The values of the series are too large to be estimated");
        EXPECT_EQ(reporting.notice().detail.rfind("Element 471 (1e+300) is too large", 0), 0u)
            << reporting.notice().detail;
        EXPECT_EQ(testing::firstNonFiniteText(texts_), "");
        EXPECT_FALSE(reported_.available);
    }
}

// Inside the sample such a value makes every regression that holds it fail or overflow; the
// notice says so rather than scoring the chromosome 0 or counting no observations.
TEST_F(ChromosomeEvaluation, SampleValueWhoseSquareOverflowsEndsEvenASilentEvaluation) {
    setValue(100, 1e200);
    for (const std::vector<int>& genes : {genesAt({}), genesAt({100, 300})}) {
        Result<double> silent = evaluate(genes, 3);
        ASSERT_FALSE(silent.ok());
        EXPECT_EQ(silent.notice().text, "The values of the series are too large to be estimated");
        EXPECT_NE(silent.notice().detail.find("Element 101 (1e+200)"), std::string::npos);
    }
}

}  // namespace
}  // namespace kavri
