#include "run/exact_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "data/number_text.h"
#include "model/notices.h"
#include "run/run_driver.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

// The exact search's own fitness comes from an orthogonal factorisation, a run's from the
// chromosome evaluation's Gauss-Jordan inversion; they agree to about 1e-13 here.
constexpr double kAgreement = 1e-9;

// 300 weekly DEM/USD returns, 30 held out, a small genetic search so that runs stay quick.
class ExactRun : public ::testing::Test {
 protected:
    void SetUp() override {
        seriesPath_ = (dir_.path() / "ExchangeRate.txt").string();
        std::ofstream out(seriesPath_);
        out << testing::seriesText(testing::exchangeRateReturns());
        options_.files.fileSystem = &files_;
    }

    RunSettings settings(int fitnessKind, int searchMethod) const {
        RunSettings s;
        s.model = modelPrefill();
        s.model.seriesPath = seriesPath_;
        s.model.selectModel = kSelectModelSearch;
        s.model.nObservations = 300;
        s.model.nPredictions = 30;
        s.model.maxOrder = 5;
        s.model.maxRegimes = 4;
        s.model.minObs = 20;
        s.model.delay = 1;
        s.ga = gaRunDefaults();
        s.ga.nChromosomes = 20;
        s.ga.nIterations = 15;
        s.ga.fitnessKind = fitnessKind;
        s.ga.searchMethod = searchMethod;
        s.modelDialogCount = 1;
        s.gaDialogCount = 1;
        return s;
    }

    RunOutcome run(RunSettings s) { return runModel(s, texts_, observer_, options_); }

    // The run defaults (450 values fitted, 50 held out, up to four regimes, maxOrder 4).
    static RunSettings defaultSettings() {
        RunSettings s;
        applyRunDefaults(s);
        s.modelDialogCount = 1;
        s.gaDialogCount = 1;
        return s;
    }

    testing::TempDirectory dir_;  // the series file
    testing::MemoryFileSystem files_;
    std::string seriesPath_;
    RunOptions options_;
    ResultTexts texts_;
    SilentObserver observer_;
};

TEST_F(ExactRun, NeverBelowTheGeneticSearch) {
    for (const int kind : {kFitnessAic, kFitnessMse}) {
        const RunOutcome exact = run(settings(kind, kSearchExact));
        ASSERT_FALSE(exact.notice.has_value());
        EXPECT_FALSE(exact.exactFitness.has_value());
        options_.compareExact = true;
        for (const std::uint32_t seed : {1u, 2u, 3u}) {
            options_.seed = seed;
            const RunOutcome genetic = run(settings(kind, kSearchGenetic));
            ASSERT_FALSE(genetic.notice.has_value());
            ASSERT_TRUE(genetic.exactFitness.has_value());
            EXPECT_GE(*genetic.exactFitness, genetic.fitness * (1.0 - kAgreement))
                << "fitness kind " << kind << ", seed " << seed;
            EXPECT_GE(exact.fitness, genetic.fitness * (1.0 - kAgreement));
            EXPECT_NEAR(*genetic.exactFitness, exact.fitness, kAgreement * exact.fitness);
        }
        options_.compareExact = false;
    }
}

TEST_F(ExactRun, ReportsTheOptimumThroughTheReportingEvaluation) {
    texts_.iterationText = "100";
    const RunOutcome outcome = run(settings(kFitnessMse, kSearchExact));
    ASSERT_FALSE(outcome.notice.has_value());
    ASSERT_TRUE(outcome.model.available);
    // Shown as the reporting evaluation returns it, so that every text agrees with it.
    EXPECT_EQ(outcome.model.fitness, outcome.fitness);
    EXPECT_EQ(texts_.fitnessText, testing::formatDouble("%f", outcome.fitness));
    EXPECT_EQ(texts_.varianceText, testing::formatDouble("%.8f", outcome.seriesVariance));
    // No generation ran; a count left from an earlier genetic run would misinform.
    EXPECT_EQ(texts_.iterationText, "0");
    EXPECT_EQ(outcome.evaluations, 0);
    EXPECT_TRUE(std::is_sorted(outcome.model.thresholds.begin(), outcome.model.thresholds.end()));
    EXPECT_LE(outcome.model.thresholds.size(), 3u);
    // The reporting evaluation wrote the forecasts of the reported model: a header and 30 lines.
    const std::string predictions = files_.read("Predictions.txt").value_or("");
    EXPECT_EQ(std::count(predictions.begin(), predictions.end(), '\n'), 31);
}

TEST_F(ExactRun, ProfilesEachThresholdOnlyWhenAsked) {
    const RunOutcome plain = run(settings(kFitnessAic, kSearchExact));
    ASSERT_FALSE(plain.notice.has_value());
    EXPECT_TRUE(plain.thresholdProfile.curves.empty());

    options_.profileThresholds = true;
    const RunOutcome profiled = run(settings(kFitnessAic, kSearchExact));
    ASSERT_FALSE(profiled.notice.has_value());
    const std::vector<double>& thresholds = profiled.model.thresholds;
    ASSERT_FALSE(thresholds.empty());
    ASSERT_EQ(profiled.thresholdProfile.curves.size(), thresholds.size());
    for (std::size_t i = 0; i < thresholds.size(); ++i) {
        const ThresholdProfileCurve& curve = profiled.thresholdProfile.curves[i];
        EXPECT_EQ(curve.values[curve.optimumIndex], thresholds[i]);
        EXPECT_NEAR(curve.fitness[curve.optimumIndex], profiled.fitness,
                    kAgreement * profiled.fitness);
    }
    // Profiling leaves the run's own results as they were.
    EXPECT_EQ(profiled.fitness, plain.fitness);
    EXPECT_EQ(profiled.model.thresholds, plain.model.thresholds);
}

TEST_F(ExactRun, NoticeOfTheEvaluationEndsTheRun) {
    RunSettings s = settings(kFitnessMse, kSearchExact);
    s.model.nPredictions = 0;
    const RunOutcome outcome = run(s);
    ASSERT_TRUE(outcome.notice.has_value());
    EXPECT_EQ(*outcome.notice, noForecastsNotice());
    EXPECT_EQ(texts_.fitnessText, "");
}

TEST_F(ExactRun, DelayScanReportsTheModelAtTheBestDelay) {
    RunSettings s = settings(kFitnessAic, kSearchGenetic);
    s.model.delay = 7;
    const DelayScanOutcome scan = runDelayScan(s, texts_, observer_, options_);
    ASSERT_FALSE(scan.run.notice.has_value());
    ASSERT_EQ(scan.delays, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_EQ(scan.fitness.size(), 10u);
    const auto best = std::max_element(scan.fitness.begin(), scan.fitness.end());
    EXPECT_EQ(scan.bestDelay, scan.delays[best - scan.fitness.begin()]);
    EXPECT_EQ(s.model.delay, scan.bestDelay);
    EXPECT_EQ(s.ga.searchMethod, kSearchExact);
    EXPECT_NEAR(scan.run.fitness, *best, kAgreement * *best);
    EXPECT_EQ(texts_.iterationText, "0");
}

// The bundled returns with the run's defaults, times 10^k for k = -150 .. 150 in steps of 10:
// the exact search chooses the same orders and the same thresholds (the same observations,
// scaled) in every unit. Beyond, where the squares of the values are not doubles (or reading
// refuses values so large), the run ends with a notice rather than with another model.
TEST_F(ExactRun, SameModelInEveryUnit) {
    const std::vector<double> returns = testing::exchangeRateReturns();
    const auto runScaled = [&](int k, int fitnessKind, std::vector<double>& scaled) {
        scaled = returns;
        for (double& v : scaled) v *= std::pow(10.0, k);
        std::ofstream out(seriesPath_, std::ios::trunc);
        out << testing::seriesText(scaled);
        out.close();
        RunSettings s = defaultSettings();
        s.model.seriesPath = seriesPath_;
        s.ga.searchMethod = kSearchExact;
        s.ga.fitnessKind = fitnessKind;
        return run(s);
    };
    for (const int kind : {kFitnessAic, kFitnessMse}) {
        std::vector<double> unit;
        const RunOutcome reference = runScaled(0, kind, unit);
        ASSERT_FALSE(reference.notice.has_value());
        std::vector<int> orders;
        for (const RegimeReport& regime : reference.model.regimes) orders.push_back(regime.order);
        std::vector<std::size_t> thresholdTimes;
        for (double threshold : reference.model.thresholds) {
            thresholdTimes.push_back(std::find(unit.begin(), unit.end(), threshold) - unit.begin());
        }
        ASSERT_EQ(thresholdTimes.size(), 3u);

        for (int k = -150; k <= 150; k += 10) {
            SCOPED_TRACE("fitness " + std::to_string(kind) + ", 10^" + std::to_string(k));
            std::vector<double> scaled;
            const RunOutcome outcome = runScaled(k, kind, scaled);
            // Reading refuses magnitudes beyond kLargestMagnitude (2.1 * 10^150 here), whose
            // squares summed would come close to the largest double.
            double largest = 0.0;
            for (double v : scaled) largest = std::max(largest, std::fabs(v));
            if (largest > kLargestMagnitude) {
                ASSERT_TRUE(outcome.notice.has_value());
                EXPECT_NE(outcome.notice->text.find("could not be read"), std::string::npos);
                continue;
            }
            ASSERT_FALSE(outcome.notice.has_value()) << outcome.notice->detail;
            std::vector<int> scaledOrders;
            for (const RegimeReport& regime : outcome.model.regimes) {
                scaledOrders.push_back(regime.order);
            }
            EXPECT_EQ(scaledOrders, orders);
            ASSERT_EQ(outcome.model.thresholds.size(), thresholdTimes.size());
            for (std::size_t i = 0; i < thresholdTimes.size(); ++i) {
                EXPECT_EQ(outcome.model.thresholds[i], scaled[thresholdTimes[i]]);
            }
        }
        std::vector<double> unused;
        EXPECT_EQ(runScaled(-160, kind, unused).notice->text,
                  "The values of the series are too small to be estimated");
        EXPECT_NE(runScaled(160, kind, unused).notice->text.find("could not be read"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace kavri
