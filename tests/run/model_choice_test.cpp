// What a search chooses where the fitness misleads: an exact fit, which the displayed AIC scores
// 0, must win over imperfect fits; a series of large values, whose fitness underflows to 0,
// must give the model it gives in other units. Whole runs, both searches.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "run/run_driver.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

class ModelChoice : public ::testing::Test {
 protected:
    void SetUp() override { options_.files.fileSystem = &files_; }

    // Settings of a search over the series `values`, both dialogs accepted.
    RunSettings settingsFor(const std::vector<double>& values, int n, int nPredictions) {
        const std::string text = testing::seriesText(values);
        const std::string name = "series" + std::to_string(++written_) + ".txt";
        RunSettings settings;
        settings.model = modelPrefill();
        settings.ga = gaPrefill();
        settings.model.seriesPath = dir_.write(name, text).string();
        settings.model.nObservations = n;
        settings.model.nPredictions = nPredictions;
        settings.modelDialogCount = 1;
        settings.gaDialogCount = 1;
        return settings;
    }

    RunOutcome run(RunSettings settings, int searchMethod, std::uint32_t seed = 1) {
        settings.ga.searchMethod = searchMethod;
        options_.seed = seed;
        RunOutcome outcome = runModel(settings, texts_, observer_, options_);
        EXPECT_FALSE(outcome.notice.has_value()) << outcome.notice->text;
        EXPECT_TRUE(outcome.model.available);
        return outcome;
    }

    testing::TempDirectory dir_;
    testing::MemoryFileSystem files_;
    RunOptions options_;
    ResultTexts texts_;
    SilentObserver observer_;
    int written_ = 0;
};

std::vector<int> ordersOf(const ReportedModel& model) {
    std::vector<int> orders;
    for (const RegimeReport& regime : model.regimes) orders.push_back(regime.order);
    return orders;
}

// A skew tent map: x[t] = 1.9 x[t-1] below 0.5 and 1.8 (1 - x[t-1]) from 0.5 on, an exact
// SETAR(2; 1, 1) with threshold 0.5 whose orbit never settles. Both regimes fit exactly only
// when the threshold is the least value from 0.5 on; one observation off, one regime holds a
// point of the other's line.
TEST_F(ModelChoice, AnExactThresholdModelIsFoundByBothSearches) {
    std::vector<double> x = {0.1234};
    for (int t = 1; t < 200; ++t) {
        const double z = x[t - 1];
        x.push_back(z < 0.5 ? 1.9 * z : 1.8 * (1.0 - z));
    }
    double threshold = 1.0;
    for (int t = 0; t < 199; ++t) {
        if (x[t] >= 0.5) threshold = std::min(threshold, x[t]);
    }
    RunSettings settings = settingsFor(x, 200, 0);
    settings.model.maxRegimes = 2;
    settings.model.maxOrder = 3;
    settings.model.delay = 1;
    settings.ga.fitnessKind = kFitnessAic;
    settings.ga.adjustingConstant = 1.0;
    // A population and mutation rate that reach the neighbouring ranks of a near miss.
    settings.ga.nChromosomes = 60;
    settings.ga.nIterations = 100;
    settings.ga.pMutation = 0.05;
    for (const int method : {kSearchExact, kSearchGenetic}) {
        const RunOutcome outcome = run(settings, method);
        ASSERT_EQ(outcome.model.thresholds.size(), 1u) << method;
        EXPECT_EQ(outcome.model.thresholds[0], threshold) << method;
        // Among exact fits the fewest parameters: order 1 in each regime.
        EXPECT_EQ(ordersOf(outcome.model), (std::vector<int>{1, 1})) << method;
        EXPECT_NEAR(outcome.model.regimes[0].coefficients[1], 1.9, 1e-9);
        EXPECT_NEAR(outcome.model.regimes[1].coefficients[1], -1.8, 1e-9);
    }
}

// x[t] = c + 2 cos(0.7) x[t-1] - x[t-2]: an exact AR(2) whose oscillation neither grows nor
// dies. One regime of order 2 is the exact model with the fewest parameters; before, the
// exact fit scored AIC 0 and lost to four regimes of order 1.
TEST_F(ModelChoice, AnExactLinearModelStaysOneRegime) {
    std::vector<double> x;
    for (int t = 0; t < 150; ++t) x.push_back(5.0 + 3.0 * std::sin(0.7 * t + 0.2));
    RunSettings settings = settingsFor(x, 150, 0);
    settings.model.maxRegimes = 4;
    settings.model.maxOrder = 4;
    settings.model.delay = 1;
    settings.ga.fitnessKind = kFitnessAic;
    settings.ga.adjustingConstant = 1.0;
    settings.ga.nChromosomes = 30;
    settings.ga.nIterations = 30;
    for (const int method : {kSearchExact, kSearchGenetic}) {
        const RunOutcome outcome = run(settings, method);
        EXPECT_TRUE(outcome.model.thresholds.empty()) << method;
        EXPECT_EQ(ordersOf(outcome.model), std::vector<int>{2}) << method;
        ASSERT_TRUE(outcome.model.regimes[0].rSquare.has_value());
        EXPECT_GT(*outcome.model.regimes[0].rSquare, 1.0 - 1e-9) << method;
    }
}

// The lynx counts have a held-out MSE near 1e5, so every fitness exp(-(1 + MSE)) is 0.0; the
// counts divided by 1000 have fitness values that differ. The search ranks by the exponent,
// so both give the same thresholds (in their units) and orders, under either fitness.
TEST_F(ModelChoice, AnyUnitGivesTheSameModel) {
    const std::vector<double> counts =
        testing::readColumn(std::string(KAVRI_EXAMPLES_DIR) + "/lynx.csv", /*column=*/1);
    ASSERT_EQ(counts.size(), 114u);
    std::vector<double> thousands;
    for (double v : counts) thousands.push_back(v / 1000.0);
    for (const int fitnessKind : {kFitnessMse, kFitnessAic}) {
        for (const int method : {kSearchGenetic, kSearchExact}) {
            RunSettings large = settingsFor(counts, 100, 14);
            RunSettings small = settingsFor(thousands, 100, 14);
            for (RunSettings* s : {&large, &small}) {
                s->ga.fitnessKind = fitnessKind;
                s->ga.adjustingConstant = 1.0;
                s->ga.nIterations = 60;
            }
            const RunOutcome a = run(large, method, 1);
            const std::string fitnessText = texts_.fitnessText;
            const RunOutcome b = run(small, method, 1);
            SCOPED_TRACE(std::string(fitnessKind == kFitnessMse ? "MSE" : "AIC") +
                         (method == kSearchExact ? ", exact" : ", genetic"));
            ASSERT_EQ(a.model.thresholds.size(), b.model.thresholds.size());
            for (std::size_t i = 0; i < a.model.thresholds.size(); ++i) {
                EXPECT_DOUBLE_EQ(a.model.thresholds[i] / 1000.0, b.model.thresholds[i]);
            }
            EXPECT_EQ(ordersOf(a.model), ordersOf(b.model));
            if (fitnessKind == kFitnessMse) {
                // A threshold model, as the exact search finds, not the linear AR that a
                // search among fitness values that are all 0 is left with.
                EXPECT_FALSE(a.model.thresholds.empty());
                // The fitness shown is 0.000000; what the search compared is shown beside it.
                EXPECT_EQ(a.fitness, 0.0);
                EXPECT_NE(fitnessText.find("0.000000 (log-fitness -"), std::string::npos)
                    << fitnessText;
                EXPECT_NEAR(a.logFitness, -(1.0 + *a.model.forecastMse),
                            1e-12 * *a.model.forecastMse);
            }
        }
    }
}

}  // namespace
}  // namespace kavri
