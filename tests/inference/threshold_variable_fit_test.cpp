// Whole runs whose regime follows another threshold variable than the series' own lag: an
// exogenous column of the same table, and the change x[t-d] - x[t-d-1]. At given thresholds
// the coefficients and standard errors must equal an independent least-squares fit of each
// regime, its rows chosen directly by the README's rule (z[t-d] >= threshold: the regime
// above); and what cannot be answered is refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "inference/coefficient_table.h"
#include "inference/least_squares_reference.h"
#include "reference/genetic_reference.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"
#include "support/memory_file_system.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

constexpr double kRelative = 1e-9;
constexpr int kFitted = 300;
constexpr int kHeldOut = 20;
constexpr int kFuture = 4;  // rows after the sample that give z but not x

// x switches between two AR equations as the exogenous z[t-1] is below or above 0; z is an
// AR(1) of its own.
struct Table {
    std::vector<double> x;
    std::vector<double> z;
};

Table simulatedTable() {
    testing::Noise noise(17u);
    const int total = kFitted + kHeldOut + kFuture;
    Table table{std::vector<double>(total, 0.0), std::vector<double>(total, 0.0)};
    for (int t = 1; t < total; ++t) {
        table.z[t] = 0.6 * table.z[t - 1] + noise.next();
    }
    for (int t = 2; t < total; ++t) {
        const double e = 0.4 * noise.next();
        table.x[t] = table.z[t - 1] < 0.0 ? 0.5 + 0.6 * table.x[t - 1] + e
                                          : -0.3 - 0.5 * table.x[t - 1] + 0.2 * table.x[t - 2] + e;
    }
    return table;
}

class ThresholdVariableFit : public ::testing::Test {
 protected:
    void SetUp() override { options_.files.fileSystem = &files_; }

    // The table as a CSV file: x and z, the last kFuture rows with z only; `missingZ` >= 0
    // leaves z empty in that row.
    std::string writeTable(const Table& table, int missingZ = -1) {
        std::string text = "x,z\n";
        for (std::size_t t = 0; t < table.x.size(); ++t) {
            const bool future = t >= table.x.size() - kFuture;
            text += future ? "" : testing::formatDouble("%.17g", table.x[t]);
            text += ",";
            text +=
                static_cast<int>(t) == missingZ ? "" : testing::formatDouble("%.17g", table.z[t]);
            text += "\n";
        }
        return dir_.write("table" + std::to_string(++written_) + ".csv", text).string();
    }

    RunSettings givenSettings(const std::string& path, const std::vector<double>& thresholds,
                              int delay, int maxOrder) {
        RunSettings settings;
        settings.model = modelPrefill();
        settings.ga = gaPrefill();
        settings.model.seriesPath = path;
        settings.series.column = "x";
        settings.model.nObservations = kFitted;
        settings.model.nPredictions = kHeldOut;
        settings.model.delay = delay;
        settings.model.maxOrder = maxOrder;
        settings.model.selectModel = kSelectModelGivenThresholds;
        settings.model.nThresholds = static_cast<int>(thresholds.size());
        for (std::size_t i = 0; i < thresholds.size(); ++i) {
            settings.model.thresholds[i] = thresholds[i];
        }
        settings.ga.printResiduals = kPrintResidualsNo;
        settings.modelDialogCount = 1;
        settings.gaDialogCount = 1;
        return settings;
    }

    RunOutcome run(RunSettings settings) { return runModel(settings, texts_, observer_, options_); }

    // Compares every regime of `model` with the reference fit of the rows t >= first whose
    // z[t - delay] falls in it.
    static void expectIndependentFits(const ReportedModel& model, const std::vector<double>& x,
                                      const std::vector<double>& z,
                                      const std::vector<double>& thresholds, int delay, int first) {
        const CoefficientTable table = coefficientTable(model, StandardErrorKind::kClassical);
        const int nThresholds = static_cast<int>(thresholds.size());
        ASSERT_EQ(table.regimes.size(), thresholds.size() + 1);
        for (int r = 0; r <= nThresholds; ++r) {
            SCOPED_TRACE(r);
            std::vector<int> times;
            for (int t = first; t < kFitted; ++t) {
                int regime = 0;
                while (regime < nThresholds && z[t - delay] >= thresholds[regime]) ++regime;
                if (regime == r) times.push_back(t);
                EXPECT_EQ(model.regimeOfObservation[t] == r, regime == r) << t;
            }
            const int p = model.regimes[r].order;
            ASSERT_GE(p, 1);
            const testing::RegressionRows rows = testing::rowsAt(x, times, p);
            const testing::ReferenceFit fit = testing::gramSchmidtFit(rows.design, rows.response);
            const int m = static_cast<int>(times.size());
            const int k = p + 1;
            ASSERT_EQ(table.regimes[r].observations, m);
            for (int j = 0; j < k; ++j) {
                double variance = 0.0;
                for (int a = j; a < k; ++a) {
                    variance += fit.rInverse[j][a] * fit.rInverse[j][a] * fit.sse / (m - k);
                }
                const CoefficientEstimate& estimate = table.regimes[r].coefficients[j];
                EXPECT_NEAR(estimate.estimate, fit.coefficients[j],
                            kRelative * std::fabs(fit.coefficients[j]));
                ASSERT_TRUE(estimate.standardError.has_value());
                EXPECT_NEAR(*estimate.standardError, std::sqrt(variance),
                            kRelative * std::sqrt(variance));
            }
        }
    }

    testing::TempDirectory dir_;
    testing::MemoryFileSystem files_;
    RunOptions options_;
    ResultTexts texts_;
    SilentObserver observer_;
    int written_ = 0;
};

TEST_F(ThresholdVariableFit, AnExogenousColumnChoosesTheRegimes) {
    const Table table = simulatedTable();
    // Two observed values of z as thresholds: three regimes.
    const std::vector<double> thresholds = {table.z[40], table.z[41]};
    const std::vector<double> sorted = thresholds[0] < thresholds[1]
                                           ? thresholds
                                           : std::vector<double>{thresholds[1], thresholds[0]};
    RunSettings settings = givenSettings(writeTable(table), sorted, 1, 4);
    settings.thresholdVariable = {ThresholdVariableKind::kColumn, "z"};
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice) << outcome.notice->text << "\n" << outcome.notice->detail;
    ASSERT_TRUE(outcome.model.available);
    expectIndependentFits(outcome.model, table.x, table.z, sorted, 1, 3);
    // The series' own lags would have given other regimes: the variable is not ignored.
    EXPECT_EQ(outcome.model.thresholdSeries.size(), static_cast<std::size_t>(kFitted + kHeldOut));
    EXPECT_EQ(outcome.model.thresholdFuture.size(), static_cast<std::size_t>(kFuture));
    // A gap in z after the sample ends the values a forecast may use just before it.
    settings.model.seriesPath = writeTable(table, kFitted + kHeldOut + 2);
    EXPECT_EQ(run(settings).model.thresholdFuture.size(), 2u);
}

TEST_F(ThresholdVariableFit, TheChangeChoosesTheRegimesAndLosesTheFirstObservation) {
    const Table table = simulatedTable();
    std::vector<double> change(table.x.size(), 0.0);
    for (std::size_t s = 1; s < table.x.size(); ++s) change[s] = table.x[s] - table.x[s - 1];
    // Delay 3, maxOrder 3: observation 3 has its two lags but no change x[0] - x[-1].
    const std::vector<double> thresholds = {change[77]};
    RunSettings settings = givenSettings(writeTable(table), thresholds, 3, 3);
    settings.thresholdVariable.kind = ThresholdVariableKind::kDifference;
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice) << outcome.notice->text << "\n" << outcome.notice->detail;
    ASSERT_TRUE(outcome.model.available);
    EXPECT_EQ(outcome.model.regimeOfObservation[3], -1);
    expectIndependentFits(outcome.model, table.x, change, thresholds, 3, 4);
}

// The genetic search's cache of rank ranges and the reference path, which evaluates every
// chromosome afresh, reach the same model on z's ranks, and its thresholds are values of z.
TEST_F(ThresholdVariableFit, TheGeneticSearchsTwoPathsAgreeOnAnExogenousVariable) {
    const Table table = simulatedTable();
    RunSettings settings = givenSettings(writeTable(table), {}, 1, 3);
    settings.model.selectModel = kSelectModelSearch;
    settings.model.maxRegimes = 3;
    settings.ga.nIterations = 8;
    settings.thresholdVariable = {ThresholdVariableKind::kColumn, "z"};
    ResultTexts texts[2];
    RunOutcome outcomes[2];
    for (int path = 0; path < 2; ++path) {
        RunOptions options = options_;
        options.seed = 3;
        useSearchPath(options, path == 0 ? SearchPath::kFast : SearchPath::kReference);
        outcomes[path] = runModel(settings, texts[path], observer_, options);
        ASSERT_TRUE(outcomes[path].model.available);
    }
    EXPECT_EQ(texts[0].thresholdText, texts[1].thresholdText);
    EXPECT_EQ(texts[0].fitnessText, texts[1].fitnessText);
    EXPECT_EQ(texts[0].estimatePanel1, texts[1].estimatePanel1);
    ASSERT_FALSE(outcomes[0].model.thresholds.empty());
    for (double threshold : outcomes[0].model.thresholds) {
        EXPECT_NE(std::find(table.z.begin(), table.z.begin() + kFitted, threshold),
                  table.z.begin() + kFitted);
    }
}

TEST_F(ThresholdVariableFit, ForecastsUseTheFileRowsAfterTheSampleAndStopWhereZEnds) {
    const Table table = simulatedTable();
    RunSettings settings = givenSettings(writeTable(table), {0.0 + table.z[40]}, 1, 3);
    settings.thresholdVariable = {ThresholdVariableKind::kColumn, "z"};
    const RunOutcome outcome = run(settings);
    ASSERT_TRUE(outcome.model.available);
    ForecastSettings forecast;
    forecast.method = ForecastMethod::kSkeleton;
    forecast.horizon = 1 + kFuture;  // z[t-1] known up to the last row
    Result<ForecastOutcome> made = runForecasts(outcome.model, forecast, options_.files);
    ASSERT_TRUE(made.ok()) << made.notice().detail;
    // Step h from the end reads z at row n + P + h - 2, by hand:
    std::vector<double> path(table.x.begin(), table.x.begin() + kFitted + kHeldOut);
    const ReportedModel& m = outcome.model;
    for (int h = 1; h <= forecast.horizon; ++h) {
        const int t = kFitted + kHeldOut + h - 1;
        const int r =
            table.z[t - 1] < m.thresholds[0] || (h == 1 && table.z[t - 1] == m.thresholds[0]) ? 0
                                                                                              : 1;
        double value = m.regimes[r].coefficients[0];
        for (int k = 1; k <= m.regimes[r].order; ++k) {
            value = value + m.regimes[r].coefficients[k] * path[t - k];
        }
        path.push_back(value);
        EXPECT_NEAR(made.value().forecasts.point[h - 1], value, 1e-12 * (1.0 + std::fabs(value)))
            << h;
    }
    forecast.horizon = 2 + kFuture;
    Result<ForecastOutcome> beyond = runForecasts(outcome.model, forecast, options_.files);
    ASSERT_FALSE(beyond.ok());
    EXPECT_NE(beyond.notice().detail.find("up to step 5"), std::string::npos)
        << beyond.notice().detail;
    // A simulation would need z's own dynamics.
    EXPECT_TRUE(
        runSeriesSimulation(outcome.model, 50, ForecastMethod::kBootstrap, 1, "sim.txt", files_)
            .has_value());
}

TEST_F(ThresholdVariableFit, MissingOrAbsentThresholdVariablesAreRefused) {
    const Table table = simulatedTable();
    // An empty z in row 101 (line 102 of the file) inside the sample.
    RunSettings missing = givenSettings(writeTable(table, 100), {table.z[40]}, 1, 3);
    missing.thresholdVariable = {ThresholdVariableKind::kColumn, "z"};
    RunOutcome outcome = run(missing);
    ASSERT_TRUE(outcome.notice.has_value());
    const std::string said = outcome.notice->text + " " + outcome.notice->detail;
    EXPECT_NE(said.find("threshold variable"), std::string::npos) << said;
    EXPECT_NE(said.find("line 102"), std::string::npos) << said;
    EXPECT_FALSE(outcome.model.available);

    // Without --column the series is the table's last column: here z itself.
    RunSettings itself = givenSettings(writeTable(table), {table.z[40]}, 1, 3);
    itself.series.column.clear();
    itself.thresholdVariable = {ThresholdVariableKind::kColumn, "z"};
    outcome = run(itself);
    ASSERT_TRUE(outcome.notice.has_value());
    EXPECT_NE(outcome.notice->detail.find("is the series itself"), std::string::npos)
        << outcome.notice->detail;

    // A plain file has no other column.
    std::string plain;
    for (int t = 0; t < kFitted + kHeldOut; ++t)
        plain += testing::formatDouble("%.17g\n", table.x[t]);
    RunSettings single = givenSettings(dir_.write("plain.txt", plain).string(), {0.0}, 1, 3);
    single.series.column.clear();
    single.thresholdVariable = {ThresholdVariableKind::kColumn, "2"};
    outcome = run(single);
    ASSERT_TRUE(outcome.notice.has_value());
    EXPECT_NE(outcome.notice->detail.find("single series"), std::string::npos)
        << outcome.notice->detail;
}

}  // namespace
}  // namespace kavri
