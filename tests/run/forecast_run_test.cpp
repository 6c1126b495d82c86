#include "run/forecast_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "data/series_input.h"
#include "run/run_driver.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

using testing::TempDirectory;

// Files that are created but whose writes all fail, as on a full disk.
class FullDisk : public OutputFileSystem {
 public:
    CreatedFile create(const std::filesystem::path&) override {
        class Unwritable : public OutputFile {
         public:
            void write(std::string_view) override {}
            std::error_code finish() override {
                return std::make_error_code(std::errc::no_space_on_device);
            }
            std::error_code commit() override { return finish(); }
        };
        return {std::make_unique<Unwritable>(), {}};
    }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The log lynx series, 100 values fitted and 14 held out, at the threshold x[99]: the last
// fitted value, and the threshold variable (delay 1) of the first forecast step.
class ForecastRun : public ::testing::Test {
 protected:
    void SetUp() override {
        lynx_ = testing::readValues(std::string(KAVRI_EXAMPLES_DIR) + "/lynx_log10.txt");
        files_.directory = dir_.path();
        RunSettings settings;
        settings.model = modelPrefill();
        settings.model.seriesPath = (std::string(KAVRI_EXAMPLES_DIR) + "/lynx_log10.txt");
        settings.model.nObservations = 100;
        settings.model.nPredictions = 14;
        settings.model.maxOrder = 3;
        settings.model.delay = 1;
        settings.model.selectModel = kSelectModelGivenThresholds;
        settings.model.nThresholds = 1;
        settings.model.thresholds = {lynx_[99], 0.0, 0.0};
        settings.modelDialogCount = 1;
        ResultTexts texts;
        SilentObserver observer;
        RunOptions options;
        options.files = files_;
        outcome_ = runModel(settings, texts, observer, options);
        ASSERT_FALSE(outcome_.notice.has_value());
        ASSERT_TRUE(outcome_.model.available);
    }

    TempDirectory dir_;
    ResultFiles files_;
    std::vector<double> lynx_;
    RunOutcome outcome_;
};

TEST_F(ForecastRun, DynamicCheckStartsWithTheFirstOneStepForecastEvenAtATie) {
    const ReportedModel& model = outcome_.model;
    const ForecastSettings settings{.method = ForecastMethod::kSkeleton, .horizon = 20};
    const Result<ForecastOutcome> made = runForecasts(model, settings, files_);
    ASSERT_TRUE(made.ok());
    ASSERT_TRUE(made.value().holdout.has_value());
    const HoldoutCheck& check = *made.value().holdout;
    ASSERT_EQ(check.forecasts.horizon(), 14);
    // The first line of Predictions.txt, to the bit: x[99] equals the threshold, and the
    // lower regime's equation is used by both.
    EXPECT_EQ(check.forecasts.point[0], model.holdoutForecasts[0]);
    const std::vector<double>& upper = model.regimes[1].coefficients;
    double upperEquation = upper[0];
    for (std::size_t k = 1; k < upper.size(); ++k) upperEquation += upper[k] * lynx_[100 - k];
    EXPECT_NE(check.forecasts.point[0], upperEquation);
    EXPECT_EQ(check.observed[13], lynx_[113]);
    EXPECT_EQ(made.value().forecasts.origin, 114);

    const std::vector<std::string> lines =
        linesOf(testing::readFile(dir_.path() / "Forecasts.txt"));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0], "Step\tForecast");
    EXPECT_EQ(lines[1].substr(0, 2), "1\t");
    EXPECT_EQ(lines[20].substr(0, 3), "20\t");
}

TEST_F(ForecastRun, SimulatedForecastsFileHasTheMedianAndTheBoundsOfEachLevel) {
    ForecastSettings settings;
    settings.horizon = 3;
    settings.nPaths = 500;
    settings.seed = 4;
    const Result<ForecastOutcome> made = runForecasts(outcome_.model, settings, files_);
    ASSERT_TRUE(made.ok());
    const ForecastResult& forecasts = made.value().forecasts;
    const std::vector<std::string> lines =
        linesOf(testing::readFile(dir_.path() / "Forecasts.txt"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Step\tForecast\tMedian\tLo80\tHi80\tLo95\tHi95");
    std::istringstream row(lines[3]);
    int step = 0;
    double point, median, lo80, hi80, lo95, hi95;
    row >> step >> point >> median >> lo80 >> hi80 >> lo95 >> hi95;
    EXPECT_EQ(step, 3);
    // Ten significant digits of values near 3.
    EXPECT_NEAR(point, forecasts.point[2], 1e-9);
    EXPECT_NEAR(median, forecasts.median[2], 1e-9);
    EXPECT_NEAR(lo80, forecasts.intervals[0].lower[2], 1e-9);
    EXPECT_NEAR(hi95, forecasts.intervals[1].upper[2], 1e-9);
    EXPECT_LT(lo95, lo80);
    EXPECT_LT(lo80, median);
    EXPECT_LT(median, hi80);
    EXPECT_LT(hi80, hi95);
}

TEST_F(ForecastRun, SimulatedSeriesReadsBackAsTheSameDoubles) {
    const std::filesystem::path path = dir_.path() / "simulated.txt";
    ASSERT_FALSE(runSeriesSimulation(outcome_.model, 300, ForecastMethod::kGaussian, 8, path));
    DVector read = dvector(0, 300);
    ASSERT_FALSE(readSeries(path.string(), 300, read));
    const std::vector<double> lines = testing::readValues(path.string());
    ASSERT_EQ(lines.size(), 300u);
    for (int t = 0; t < 300; ++t) EXPECT_EQ(read[t], lines[static_cast<std::size_t>(t)]);
}

// What a simulation cannot honour is refused as a notice, whichever front end asks: a model
// with a trend (a simulated series has no place in the sample's time) and the skeleton (no
// innovations); the series itself is what the file holds.
TEST_F(ForecastRun, SimulatedSeriesRefusesATrendAndTheSkeleton) {
    const Result<std::vector<double>> values =
        simulatedSeries(outcome_.model, 300, ForecastMethod::kGaussian, 8);
    ASSERT_TRUE(values.ok());
    const std::filesystem::path path = dir_.path() / "simulated.txt";
    ASSERT_FALSE(runSeriesSimulation(outcome_.model, 300, ForecastMethod::kGaussian, 8, path));
    EXPECT_EQ(values.value(), testing::readValues(path.string()));

    ReportedModel trend = outcome_.model;
    trend.trend = true;
    const Result<std::vector<double>> refused =
        simulatedSeries(trend, 10, ForecastMethod::kBootstrap, 1);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.notice().text.rfind("A series cannot be simulated from a model with a "
                                          "trend",
                                          0),
              0u);
    const Result<std::vector<double>> skeleton =
        simulatedSeries(outcome_.model, 10, ForecastMethod::kSkeleton, 1);
    ASSERT_FALSE(skeleton.ok());
    EXPECT_NE(skeleton.notice().text.find("draws no innovations"), std::string::npos);
    EXPECT_TRUE(runSeriesSimulation(trend, 10, ForecastMethod::kBootstrap, 1, path).has_value());
}

TEST_F(ForecastRun, AnExplosiveModelWritesNoSeriesAndFilesThatCannotBeWrittenAreNamed) {
    ReportedModel explosive = outcome_.model;
    for (RegimeReport& regime : explosive.regimes) regime.coefficients = {1.0, 50.0};
    for (RegimeReport& regime : explosive.regimes) regime.order = 1;
    const std::filesystem::path path = dir_.path() / "simulated.txt";
    const MaybeNotice overflow =
        runSeriesSimulation(explosive, 1000, ForecastMethod::kBootstrap, 1, path);
    ASSERT_TRUE(overflow.has_value());
    EXPECT_EQ(overflow->text.substr(0, 55),
              "The model is explosive: its simulated series overflows ");
    EXPECT_NE(overflow->text.find(", so " + path.string() + " was not written"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(simulatedSeries(explosive, 1000, ForecastMethod::kBootstrap, 1)
                  .notice()
                  .text.find("was not written"),
              std::string::npos);

    // Forecasts of the same model overflow a few hundred steps ahead: no "inf" is shown and no
    // Forecasts.txt written, the step named.
    ResultFiles here;
    here.directory = dir_.path();
    const Result<ForecastOutcome> far =
        runForecasts(explosive, {.method = ForecastMethod::kSkeleton, .horizon = 400}, here);
    ASSERT_FALSE(far.ok());
    EXPECT_EQ(far.notice().text, "The forecasts are not finite numbers\n");
    EXPECT_EQ(far.notice().detail.rfind("The model is explosive: its forecasts past the data "
                                        "overflow the range of numbers at step ",
                                        0),
              0u)
        << far.notice().detail;
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Forecasts.txt"));

    ResultFiles missing;
    missing.directory = dir_.path() / "no such directory";
    const ForecastSettings skeleton{.method = ForecastMethod::kSkeleton};
    const Result<ForecastOutcome> made = runForecasts(outcome_.model, skeleton, missing);
    ASSERT_FALSE(made.ok());
    EXPECT_EQ(made.notice().text,
              (missing.directory / "Forecasts.txt").string() + " could not be opened for writing");
    EXPECT_EQ(made.notice().detail,
              "No such file or directory. Check that its directory exists and that you may "
              "write there.");
    EXPECT_EQ(made.notice().caption, "Error");

    FullDisk full;
    ResultFiles onFullDisk;
    onFullDisk.fileSystem = &full;
    const Result<ForecastOutcome> truncated = runForecasts(outcome_.model, skeleton, onFullDisk);
    ASSERT_FALSE(truncated.ok());
    EXPECT_EQ(truncated.notice().text, "Forecasts.txt could not be written completely");
    EXPECT_EQ(truncated.notice().detail,
              "No space left on device. Nothing was written under that name; check the free "
              "space on its disk.");
    EXPECT_EQ(
        runSeriesSimulation(outcome_.model, 5, ForecastMethod::kGaussian, 1, "s.txt", full)->text,
        "s.txt could not be written completely");

    EXPECT_FALSE(runForecasts(ReportedModel{}, ForecastSettings{}, files_).ok());
}

// A table whose first column holds years: every result file gives each line its year, and the
// forecasts past 1934 are dated 1935, 1936... The same run on the undated file keeps the
// columns above.
TEST(DatedRun, ResultFilesCarryTheDatesOfTheSeriesFile) {
    TempDirectory dir;
    RunSettings settings;
    settings.model = modelPrefill();
    settings.model.seriesPath = std::string(KAVRI_EXAMPLES_DIR) + "/lynx.csv";
    settings.model.nObservations = 100;
    settings.model.nPredictions = 14;
    settings.model.maxOrder = 3;
    settings.model.selectModel = kSelectModelSearch;
    settings.modelDialogCount = 1;
    settings.ga = gaPrefill();
    settings.ga.searchMethod = kSearchExact;
    settings.ga.printResiduals = kPrintResidualsYes;
    settings.gaDialogCount = 1;
    ResultTexts texts;
    SilentObserver observer;
    RunOptions options;
    options.files.directory = dir.path();
    const RunOutcome outcome = runModel(settings, texts, observer, options);
    ASSERT_FALSE(outcome.notice.has_value()) << outcome.notice->detail;
    ASSERT_TRUE(outcome.model.available);

    const std::vector<std::string> residuals =
        linesOf(testing::readFile(dir.path() / "Residuals.txt"));
    ASSERT_EQ(residuals.size(), 101u);
    EXPECT_EQ(residuals[0], "Date\t Series\t         Fit\t         Residuals");
    EXPECT_EQ(residuals[1].substr(0, 13), "1821\t 2.42975");
    EXPECT_EQ(residuals[100].substr(0, 5), "1920\t");
    const std::vector<std::string> predictions =
        linesOf(testing::readFile(dir.path() / "Predictions.txt"));
    ASSERT_EQ(predictions.size(), 15u);
    EXPECT_EQ(predictions[0].substr(0, 13), "Date\t Series ");
    EXPECT_EQ(predictions[1].substr(0, 5), "1921\t");
    EXPECT_EQ(predictions[14].substr(0, 5), "1934\t");

    const ForecastSettings skeleton{.method = ForecastMethod::kSkeleton, .horizon = 2};
    const Result<ForecastOutcome> made = runForecasts(outcome.model, skeleton, options.files);
    ASSERT_TRUE(made.ok());
    EXPECT_EQ(made.value().dates, (std::vector<std::string>{"1935", "1936"}));
    // The dynamic check's steps are the held-out years, as in Predictions.txt.
    const std::vector<std::string>& heldOut = made.value().holdoutDates;
    ASSERT_EQ(heldOut.size(), 14u);
    EXPECT_EQ(heldOut.front(), "1921");
    EXPECT_EQ(heldOut.back(), "1934");
    const std::vector<std::string> forecasts =
        linesOf(testing::readFile(dir.path() / "Forecasts.txt"));
    ASSERT_EQ(forecasts.size(), 3u);
    EXPECT_EQ(forecasts[0], "Step\tDate\tForecast");
    EXPECT_EQ(forecasts[2].substr(0, 7), "2\t1936\t");
}

}  // namespace
}  // namespace kavri
