#include "run/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <fstream>
#include <string>
#include <vector>

#include "model/notices.h"
#include "support/memory_file_system.h"
#include "support/non_finite_text.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

using testing::TempDirectory;

// Counts what a run shows, and checks that the Iteration field advances one by one.
class RecordingObserver : public RunObserver {
 public:
    void refresh(const ResultTexts& texts) override {
        ++refreshes;
        if (!texts.iterationText.empty() && texts.iterationText != lastIteration) {
            iterations.push_back(texts.iterationText);
            lastIteration = texts.iterationText;
        }
    }
    void progress(int generation, double) override { generations.push_back(generation); }

    int refreshes = 0;
    std::string lastIteration;
    std::vector<std::string> iterations;
    std::vector<int> generations;
};

class RunDriver : public ::testing::Test {
 protected:
    void SetUp() override {
        seriesPath_ = (dir_.path() / "ExchangeRate.txt").string();
        dir_.write("ExchangeRate.txt", testing::seriesText(testing::exchangeRateReturns()));
        options_.files.fileSystem = &files_;
        options_.seed = 12345;
    }

    // Settings as the model dialog would leave them, pointing at the series copy.
    RunSettings modelSettings() const {
        RunSettings settings;
        settings.model = modelPrefill();
        settings.model.seriesPath = seriesPath_;
        settings.modelDialogCount = 1;
        return settings;
    }

    RunOutcome run(RunSettings settings) { return runModel(settings, texts_, observer_, options_); }

    std::string file(const char* name) const { return files_.read(name).value_or(""); }

    TempDirectory dir_;  // the series file
    testing::MemoryFileSystem files_;
    std::string seriesPath_;
    RunOptions options_;
    ResultTexts texts_;
    RecordingObserver observer_;
};

TEST_F(RunDriver, RunDefaultsMakeOneHundredAndOneGenerations) {
    RunSettings settings = modelSettings();
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice.has_value());
    EXPECT_EQ(outcome.evaluations, 3030);
    EXPECT_EQ(texts_.iterationText, "100");
    ASSERT_EQ(observer_.iterations.size(), 101u);
    EXPECT_EQ(observer_.iterations.front(), "0");
    EXPECT_EQ(outcome.seed, 12345u);
    EXPECT_EQ(texts_.fitnessText, testing::formatDouble("%f", outcome.fitness));
    EXPECT_EQ(texts_.varianceText, testing::formatDouble("%.8f", outcome.seriesVariance));
    ASSERT_TRUE(outcome.model.available);
    // MSE fitness of the run defaults: the best fitness is the reported model's own.
    EXPECT_EQ(outcome.fitness, outcome.model.fitness);
    // No residual table by default; the forecasts of the reported model.
    EXPECT_EQ(file("Residuals.txt"), "");
    const std::string predictions = file("Predictions.txt");
    EXPECT_EQ(std::count(predictions.begin(), predictions.end(), '\n'), 51);
    // Per generation: the fittest chromosome of that generation, and the best of the run so
    // far, which is the running maximum of the former and ends at the reported fitness.
    ASSERT_EQ(outcome.generationFittest.size(), 101u);
    ASSERT_EQ(outcome.generationBest.size(), 101u);
    double runningBest = 0.0;
    for (std::size_t g = 0; g < outcome.generationBest.size(); ++g) {
        runningBest = std::max(runningBest, outcome.generationFittest[g]);
        EXPECT_EQ(outcome.generationBest[g], runningBest) << "generation " << g;
    }
    EXPECT_EQ(outcome.generationBest.back(), outcome.fitness);
    EXPECT_TRUE(outcome.thresholdProfile.curves.empty());
}

TEST_F(RunDriver, SameSeedGivesTheSameRun) {
    RunSettings settings = modelSettings();
    settings.ga = gaPrefill();
    settings.ga.nIterations = 15;
    settings.gaDialogCount = 1;
    const RunOutcome first = run(settings);
    const ResultTexts firstTexts = texts_;
    const std::string firstResiduals = file("Residuals.txt");
    const std::string firstPredictions = file("Predictions.txt");
    ASSERT_NE(firstResiduals, "");

    texts_ = ResultTexts{};
    const RunOutcome second = run(settings);
    EXPECT_EQ(texts_, firstTexts);
    EXPECT_EQ(file("Residuals.txt"), firstResiduals);
    EXPECT_EQ(file("Predictions.txt"), firstPredictions);
    EXPECT_EQ(second.fitness, first.fitness);

    options_.seed = 54321;
    texts_ = ResultTexts{};
    run(settings);
    EXPECT_EQ(texts_.iterationText, "15");
}

TEST_F(RunDriver, WithoutChromosomesTheSingleRegimeModelIsReported) {
    RunSettings settings = modelSettings();
    settings.ga = gaRunDefaults();
    settings.ga.nChromosomes = 0;
    settings.ga.nIterations = 3;
    settings.gaDialogCount = 1;
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice.has_value());
    EXPECT_EQ(outcome.evaluations, 0);
    EXPECT_EQ(texts_.fitnessText, "0.000000");
    EXPECT_EQ(outcome.model.regimes.size(), 1u);
    EXPECT_EQ(texts_.thresholdText, "");

    settings.ga.nChromosomes = 1;
    const RunOutcome single = run(settings);
    // Crossover never runs; mutation alone may give the single chromosome thresholds.
    EXPECT_EQ(single.evaluations, 4);
    EXPECT_TRUE(single.model.available);
}

TEST_F(RunDriver, GivenThresholdsOutOfOrderAreUsedInAscendingOrderAndSaidSo) {
    RunSettings settings = modelSettings();
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 2;
    settings.model.thresholds = {0.35374461, -0.2301702, 0.0};
    const RunOutcome reversed = run(settings);
    ASSERT_FALSE(reversed.notice.has_value());
    ASSERT_TRUE(reversed.model.available);
    const ResultTexts reversedTexts = texts_;
    ASSERT_EQ(reversed.remarks.size(), 1u);
    EXPECT_EQ(reversed.remarks[0],
              "the thresholds were given out of order (0.35374461, -0.2301702); they are used "
              "in ascending order: -0.2301702, 0.35374461");

    settings.model.thresholds = {-0.2301702, 0.35374461, 0.0};
    const RunOutcome ascending = run(settings);
    EXPECT_TRUE(ascending.remarks.empty());
    EXPECT_EQ(reversed.model.thresholds, ascending.model.thresholds);
    EXPECT_EQ(reversedTexts, texts_);
    EXPECT_EQ(reversed.fitness, ascending.fitness);
}

// The lynx counts hold the value 409 twice among the first 100 years. At the threshold 409
// the estimation holds the earlier tie in the regime below, while the whole-series fit applies
// the equation above to both: the statistics of the residuals must use each regression's own.
TEST_F(RunDriver, StatisticsAtATiedThresholdUseEachRegressionsOwnResiduals) {
    std::string text;
    std::ifstream csv(std::string(KAVRI_EXAMPLES_DIR) + "/lynx.csv");
    std::string line;
    std::getline(csv, line);  // the header
    while (std::getline(csv, line)) {
        const std::size_t first = line.find(',');
        text += line.substr(first + 1, line.find(',', first + 1) - first - 1) + "\n";
    }
    dir_.write("lynx.txt", text);
    RunSettings settings = modelSettings();
    settings.model.seriesPath = (dir_.path() / "lynx.txt").string();
    settings.model.nObservations = 100;
    settings.model.nPredictions = 14;
    settings.model.minObs = 20;
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 1;
    settings.model.thresholds = {409.0, 0.0, 0.0};
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice.has_value());
    const ReportedModel& model = outcome.model;
    ASSERT_TRUE(model.available);
    ASSERT_EQ(model.regressionResiduals.size(), model.residuals.size());
    int mixed = 0;
    for (std::size_t t = 0; t < model.residuals.size(); ++t) {
        const int r = model.regimeOfObservation[t];
        if (r < 0) {
            EXPECT_EQ(model.regressionResiduals[t], model.residuals[t]);
            continue;
        }
        const std::vector<double>& b = model.regimes[static_cast<std::size_t>(r)].coefficients;
        double fit = b[0];
        for (std::size_t k = 1; k < b.size(); ++k) fit += b[k] * model.series[t - k];
        EXPECT_NEAR(model.regressionResiduals[t], model.series[t] - fit, 1e-9 * 7000.0) << t;
        if (model.regressionResiduals[t] != model.residuals[t]) ++mixed;
    }
    EXPECT_GE(mixed, 1);
    // The texts keep the whole-series Ljung-Box; the statistics take the regressions' own.
    EXPECT_NE(model.regressionLjungBox, model.ljungBox);
    EXPECT_EQ(model.ownLjungBox(), model.regressionLjungBox);

    // Away from ties both are the same to the bit.
    settings.model.thresholds = {testing::exchangeRateReturns()[10], 0.0, 0.0};
    settings.model.seriesPath = seriesPath_;
    settings.model.nObservations = 450;
    settings.model.nPredictions = 50;
    const RunOutcome plain = run(settings);
    ASSERT_TRUE(plain.model.available);
    EXPECT_EQ(plain.model.regressionResiduals, plain.model.residuals);
    EXPECT_EQ(plain.model.regressionLjungBox, plain.model.ljungBox);
}

TEST_F(RunDriver, GivenThresholdsShowFiveDecimalVariance) {
    RunSettings settings = modelSettings();
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 1;
    const std::vector<double> x = testing::exchangeRateReturns();
    settings.model.thresholds = {x[10], 99.0, 99.0};  // thresholds beyond the count are ignored
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice.has_value());
    EXPECT_EQ(texts_.varianceText, testing::formatDouble("%.5f", outcome.seriesVariance));
    EXPECT_EQ(texts_.fitnessText, testing::formatDouble("%f", outcome.fitness));
    EXPECT_EQ(texts_.iterationText, "");
    EXPECT_EQ(texts_.thresholdText, testing::formatDouble("%f\n", x[10]));
}

// A desktop toolkit may switch the process to the user's locale; the texts and the result
// files keep their decimal point all the same, and the caller's locale is back afterwards.
TEST_F(RunDriver, NumbersKeepTheirDecimalPointUnderACommaLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    RunSettings settings = modelSettings();
    settings.ga = gaPrefill();  // residual table "Yes"
    settings.gaDialogCount = 1;
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 1;
    settings.model.thresholds = {testing::exchangeRateReturns()[10], 0.0, 0.0};
    const RunOutcome outcome = run(settings);
    const std::string decimalPoint = std::localeconv()->decimal_point;
    std::setlocale(LC_NUMERIC, previous.c_str());

    ASSERT_FALSE(outcome.notice.has_value()) << outcome.notice->text;
    EXPECT_EQ(decimalPoint, ",");
    for (const std::string& text : {texts_.fitnessText, texts_.varianceText, texts_.thresholdText,
                                    texts_.estimatePanel1, texts_.naicText, texts_.mseText}) {
        EXPECT_NE(text.find('.'), std::string::npos) << text;
        EXPECT_EQ(text.find(','), std::string::npos) << text;
    }
    for (const char* name : {"Residuals.txt", "Predictions.txt"}) {
        const std::string content = file(name);
        EXPECT_NE(content.find('.'), std::string::npos) << name;
        EXPECT_EQ(content.find(','), std::string::npos) << name;
    }
}

// Every run starts from empty texts: what it does not write (the MSE without forecasts, the
// thresholds and higher panels of a model with fewer regimes) shows nothing of the run before.
TEST_F(RunDriver, SecondRunShowsNoTextOfTheFirst) {
    RunSettings settings = modelSettings();
    settings.ga = gaRunDefaults();
    settings.ga.nIterations = 2;
    settings.gaDialogCount = 1;
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 3;
    const std::vector<double> x = testing::exchangeRateReturns();
    settings.model.thresholds = {x[10], x[20], x[30]};
    std::sort(settings.model.thresholds.begin(), settings.model.thresholds.end());
    ASSERT_FALSE(run(settings).notice.has_value());
    ASSERT_NE(texts_.mseText, "");
    ASSERT_NE(texts_.estimatePanel4, "");

    settings.model.selectModel = kSelectModelSearch;
    settings.model.nPredictions = 0;
    settings.ga.fitnessKind = kFitnessAic;
    settings.ga.nChromosomes = 0;
    const int refreshesBefore = observer_.refreshes;
    ASSERT_FALSE(run(settings).notice.has_value());
    EXPECT_EQ(texts_.mseText, "");
    EXPECT_EQ(texts_.thresholdText, "");
    EXPECT_EQ(texts_.estimatePanel2, "");
    EXPECT_EQ(texts_.estimatePanel4, "");
    EXPECT_NE(texts_.estimatePanel1, "");
    EXPECT_EQ(texts_.iterationText, "2");
    EXPECT_GT(observer_.refreshes, refreshesBefore);

    // A run that ends before it reads the series shows nothing at all.
    settings.model.seriesPath = (dir_.path() / "nothing.txt").string();
    ASSERT_TRUE(run(settings).notice.has_value());
    EXPECT_EQ(texts_, ResultTexts{});
}

TEST_F(RunDriver, FatalConditionsEndTheRunWithTheirNotice) {
    RunSettings missing = modelSettings();
    missing.model.seriesPath = (dir_.path() / "nothing.txt").string();
    missing.model.selectModel = kSelectModelGivenThresholds;
    const MaybeNotice missingNotice = run(missing).notice;
    ASSERT_TRUE(missingNotice.has_value());
    EXPECT_EQ(missingNotice->text, "File " + missing.model.seriesPath + " could not be opened");
    EXPECT_EQ(missingNotice->detail, "No such file or directory");

    // The series is read before the number of thresholds is checked.
    RunSettings noThreshold = modelSettings();
    noThreshold.model.selectModel = kSelectModelGivenThresholds;
    noThreshold.model.nThresholds = 0;
    EXPECT_EQ(run(noThreshold).notice, errorNotice("The number of threshold should be at least 1"));
    noThreshold.model.nObservations = 600;
    const MaybeNotice tooFew = run(noThreshold).notice;
    ASSERT_TRUE(tooFew.has_value());
    EXPECT_EQ(tooFew->text, "Element of time series less of 650");

    RunSettings noForecasts = modelSettings();
    noForecasts.model.nPredictions = 0;  // the run defaults use the MSE fitness
    const MaybeNotice noneHeldOut = run(noForecasts).notice;
    ASSERT_TRUE(noneHeldOut.has_value());
    EXPECT_EQ(*noneHeldOut, noForecastsNotice());
    // The message stays word for word; the detail gives both ways out.
    EXPECT_EQ(noneHeldOut->text, "Number of forecast are zero");
    EXPECT_NE(noneHeldOut->detail.find("choose the fitness AIC"), std::string::npos);

    files_.fail(testing::MemoryFileSystem::Operation::kCreate, "Residuals.txt",
                std::errc::permission_denied);
    const MaybeNotice unwritable = run(modelSettings()).notice;
    ASSERT_TRUE(unwritable.has_value());
    EXPECT_EQ(unwritable->text,
              "Kavri Directory do not exist or Residuals.txt File could not be opened\n");
    EXPECT_EQ(unwritable->detail,
              "Residuals.txt cannot be created: Permission denied. Run where the result files "
              "can be written (an existing directory you may write to).");
}

// The bundled returns with value 471 set to 1e300 (a genetic search, whose held-out MSE would
// be infinite) and with value 21 set to -1e308 (given thresholds, whose first regime would have
// no finite variance). Reading may refuse such a value, or the run: either way the run ends
// with a notice that names the element, never with "inf", "nan" or an empty regime, nor with
// the notice about effective observations, and no result file is replaced.
TEST_F(RunDriver, ValuesWhoseSquaresOverflowEndTheRunNamingThem) {
    struct Case {
        int element;
        double value;
        bool given;
    };
    for (const Case& c : {Case{471, 1e300, false}, Case{21, -1e308, true}}) {
        SCOPED_TRACE("element " + std::to_string(c.element));
        std::vector<double> x = testing::exchangeRateReturns();
        x[static_cast<std::size_t>(c.element - 1)] = c.value;
        RunSettings settings = modelSettings();
        settings.model.seriesPath = dir_.write("extreme.txt", testing::seriesText(x)).string();
        if (c.given) {
            settings.model.selectModel = kSelectModelGivenThresholds;
            settings.model.nThresholds = 2;
            settings.model.thresholds = {-0.2301702, 0.35374461, 0.0};
        }
        settings.ga = gaRunDefaults();
        settings.ga.nIterations = 3;
        settings.gaDialogCount = 1;
        texts_ = ResultTexts{};
        files_.put("Residuals.txt", "earlier residuals\n");
        const RunOutcome outcome = run(settings);
        ASSERT_TRUE(outcome.notice.has_value());
        EXPECT_NE(outcome.notice->text, "The number of effective observation are zero");
        EXPECT_NE((outcome.notice->text + outcome.notice->detail).find(std::to_string(c.element)),
                  std::string::npos)
            << outcome.notice->text << " / " << outcome.notice->detail;
        EXPECT_EQ(testing::firstNonFiniteText(texts_), "");
        EXPECT_EQ(texts_.observationText, "");
        EXPECT_EQ(file("Residuals.txt"), "earlier residuals\n");
        EXPECT_FALSE(files_.read("Predictions.txt").has_value());
    }
}

// The files on disk are one run's set: a run that holds nothing out removes the Predictions.txt
// of an earlier run, every new model removes the earlier Forecasts.txt, and the run says so; a
// run that fails, or finds no model, changes no file at all, whatever it wrote on the way.
TEST_F(RunDriver, TheFilesAreOneRunsSetAndAFailedRunChangesNone) {
    files_.put("Residuals.txt", "earlier residuals\n");
    files_.put("Predictions.txt", "earlier predictions\n");
    files_.put("Forecasts.txt", "earlier forecasts\n");
    RunSettings settings = modelSettings();
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 1;
    const std::vector<double> x = testing::exchangeRateReturns();
    settings.model.thresholds = {x[10], 0.0, 0.0};
    settings.model.nPredictions = 0;
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice.has_value());
    EXPECT_EQ(outcome.files.written, std::vector<std::filesystem::path>{"Residuals.txt"});
    EXPECT_EQ(outcome.files.removed,
              (std::vector<std::filesystem::path>{"Predictions.txt", "Forecasts.txt"}));
    EXPECT_NE(file("Residuals.txt"), "earlier residuals\n");
    EXPECT_FALSE(files_.read("Predictions.txt").has_value());
    EXPECT_FALSE(files_.read("Forecasts.txt").has_value());

    // A threshold given twice leaves a regime empty: no model, and the files stay.
    files_.put("Residuals.txt", "earlier residuals\n");
    files_.put("Predictions.txt", "earlier predictions\n");
    RunSettings twice = modelSettings();
    twice.model.selectModel = kSelectModelGivenThresholds;
    twice.model.nThresholds = 2;
    twice.model.thresholds = {0.075415819, 0.075415819, 0.0};
    const RunOutcome noModel = run(twice);
    EXPECT_FALSE(noModel.notice.has_value());
    EXPECT_FALSE(noModel.model.available);
    EXPECT_EQ(noModel.noModelCause.rfind("threshold 0.075415819 is given twice", 0), 0u)
        << noModel.noModelCause;
    EXPECT_EQ(file("Residuals.txt"), "earlier residuals\n");
    EXPECT_EQ(file("Predictions.txt"), "earlier predictions\n");
    EXPECT_TRUE(noModel.files.written.empty());

    // A genetic search whose files cannot be put in place at the end: every earlier file as it
    // was. The search itself writes nothing; the reported model's pair is written once.
    files_.fail(testing::MemoryFileSystem::Operation::kCommit, "Residuals.txt",
                std::errc::no_space_on_device);
    RunSettings genetic = modelSettings();
    genetic.model.nObservations = 200;
    genetic.model.nPredictions = 10;
    const RunOutcome failed = run(genetic);
    ASSERT_TRUE(failed.notice.has_value());
    EXPECT_EQ(failed.notice->detail,
              "Residuals.txt could not be written: No space left on device. No file of this run "
              "was put in place: the files there are as the earlier run left them.");
    EXPECT_EQ(files_.count("finish Predictions.txt"), 1u);
    EXPECT_EQ(file("Residuals.txt"), "earlier residuals\n");
    EXPECT_EQ(file("Predictions.txt"), "earlier predictions\n");
    EXPECT_EQ(files_.count("commit Predictions.txt"), 0u);
}

}  // namespace
}  // namespace kavri

namespace kavri {
namespace {

TEST_F(RunDriver, AFixedOrderHoldsInEveryRegimeTheGeneticSearchReports) {
    RunSettings settings = modelSettings();
    settings.ga = gaPrefill();
    settings.ga.nIterations = 5;
    settings.gaDialogCount = 1;
    settings.form.nFixedOrders = 1;
    settings.form.fixedOrders = {3};
    const RunOutcome outcome = run(settings);
    ASSERT_FALSE(outcome.notice.has_value()) << outcome.notice->text;
    ASSERT_TRUE(outcome.model.available);
    for (const RegimeReport& regime : outcome.model.regimes) {
        EXPECT_EQ(regime.order, 3);
        EXPECT_EQ(regime.coefficients.size(), 4u);
    }

    // Without a constant, orders chosen by AIC: every constant is exactly 0.
    settings.form = ModelForm{};
    settings.form.constant = false;
    const RunOutcome none = run(settings);
    ASSERT_FALSE(none.notice.has_value()) << none.notice->text;
    ASSERT_TRUE(none.model.available);
    EXPECT_FALSE(none.model.constant);
    for (const RegimeReport& regime : none.model.regimes) {
        EXPECT_EQ(regime.coefficients[0], 0.0);
    }
}

TEST_F(RunDriver, FixedOrdersTheRunCannotHonourAreRefusedBeforeAnyFile) {
    const auto refusal = [this](const RunSettings& settings) {
        const RunOutcome outcome = run(settings);
        EXPECT_FALSE(outcome.model.available);
        EXPECT_FALSE(files_.read("Predictions.txt").has_value());
        return outcome.notice ? outcome.notice->text : std::string();
    };
    RunSettings settings = modelSettings();
    settings.form.nFixedOrders = 1;
    settings.form.fixedOrders = {settings.model.maxOrder};
    EXPECT_NE(refusal(settings).find("not one the model can fit"), std::string::npos);
    settings.form.nFixedOrders = 2;
    settings.form.fixedOrders = {1, 2};
    EXPECT_NE(refusal(settings).find("which the genetic search may lower"), std::string::npos);
    settings.form.nFixedOrders = 1;
    settings.ga = gaPrefill();
    settings.ga.searchMethod = kSearchExact;
    settings.gaDialogCount = 1;
    RunSettings none = settings;
    none.form = ModelForm{};
    none.form.constant = false;
    none.form.trend = true;
    EXPECT_NE(refusal(none).find("trend is fitted together with a constant"), std::string::npos);
    // No split into four regimes of 120 observations each exists.
    RunSettings tooMany = settings;
    tooMany.form.nFixedOrders = 4;
    tooMany.form.fixedOrders = {1, 1, 1, 1};
    tooMany.model.minObs = 120;
    EXPECT_NE(refusal(tooMany).find("No split into 4 regimes can be fitted"), std::string::npos);
    // The exact search fits a subset of lags and no constant, and one order per regime at
    // exactly that many regimes whatever the maximum says.
    RunSettings lags = settings;
    lags.form.nLags = 2;
    lags.form.lags = {1, 3};
    const RunOutcome withLags = run(lags);
    ASSERT_FALSE(withLags.notice.has_value()) << withLags.notice->text;
    RunSettings perRegime = settings;
    perRegime.model.maxRegimes = 4;
    perRegime.form.nFixedOrders = 2;
    perRegime.form.fixedOrders = {2, 1};
    const RunOutcome twoRegimes = run(perRegime);
    ASSERT_FALSE(twoRegimes.notice.has_value()) << twoRegimes.notice->text;
    ASSERT_EQ(twoRegimes.model.regimes.size(), 2u);
    EXPECT_EQ(twoRegimes.model.regimes[0].order, 2);
    EXPECT_EQ(twoRegimes.model.regimes[1].order, 1);
    const RunOutcome exact = run(settings);
    ASSERT_FALSE(exact.notice.has_value()) << exact.notice->text;
    for (const RegimeReport& regime : exact.model.regimes) {
        EXPECT_EQ(regime.order, 1);
    }
}

}  // namespace
}  // namespace kavri
