// Every setting at the bounds of its range, one at a time from a small base run, for both
// searches, both fitness kinds and both criteria, on two series; and given thresholds at the
// edges of the ranks. Each run must end with a model (status 0), without one (a regime that
// cannot be fitted, status 4) or with a notice Kavri knows, and never show or write a number
// that is not finite. Built as its own test program (label "sweep") so that it also runs under
// the sanitizers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "run/run_driver.h"
#include "support/memory_file_system.h"
#include "support/non_finite_text.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

std::string example(const char* name) { return std::string(KAVRI_EXAMPLES_DIR) + "/" + name; }

const std::string kNoOrder = "The number of effective observation are zero";
const std::string kNoForecasts = "Number of forecast are zero";
const std::string kNotInSeries = "Element of series do not exist";
const std::string kNoThresholdChromosome =
    "No valid chromosome with a threshold exists for these settings: every regime needs at least "
    "Min. Oss usable observations. Lower Min. Oss, Max Order AR or Delay Parameter, or raise "
    "N. Observation.";
const std::string kSuccess;  // no notice: status 0, or 4 without a model

struct Series {
    const char* file;
    int values;  // in the file
};

constexpr Series kSeries[] = {{"ExchangeRate.txt", 518}, {"mark_pound_daily_returns.txt", 1974}};

struct Tally {
    int models = 0;
    int withoutModel = 0;
    int notices = 0;
};

// A small run that every variation starts from.
RunSettings baseSettings(const Series& series, int searchMethod, int fitnessKind, int criterion) {
    RunSettings s;
    s.model = modelPrefill();
    s.ga = gaPrefill();
    s.modelDialogCount = 1;
    s.gaDialogCount = 1;
    s.model.seriesPath = example(series.file);
    s.model.nObservations = 200;
    s.model.nPredictions = 50;
    s.model.maxRegimes = 3;
    s.model.maxOrder = 4;
    s.model.minObs = 30;
    s.ga.nChromosomes = 10;
    s.ga.nIterations = 5;
    s.ga.pMutation = 0.01;
    s.ga.searchMethod = searchMethod;
    s.ga.fitnessKind = fitnessKind;
    s.ga.criterion = criterion;
    s.ga.printResiduals = kPrintResidualsYes;
    return s;
}

void expectFinite(const char* what, double value, const std::string& where) {
    EXPECT_TRUE(std::isfinite(value)) << what << " is " << value << " in " << where;
}

void expectFiniteModel(const ReportedModel& model, const std::string& where) {
    for (double v : model.thresholds) expectFinite("a threshold", v, where);
    for (const RegimeReport& regime : model.regimes) {
        for (double v : regime.coefficients) expectFinite("a coefficient", v, where);
        expectFinite("a regime variance", regime.residualVariance, where);
        if (regime.rSquare) expectFinite("an R square", *regime.rSquare, where);
    }
    for (double v :
         {model.naic, model.aic, model.residualVariance, model.ljungBox, model.fitness}) {
        expectFinite("a model statistic", v, where);
    }
    if (model.forecastMse) expectFinite("the forecast MSE", *model.forecastMse, where);
}

// Runs `settings` and checks the outcome: `allowed` holds the notices it may end with, kSuccess
// when it may end without one.
void sweepRun(RunSettings settings, const std::string& where, const std::set<std::string>& allowed,
              Tally& tally) {
    SCOPED_TRACE(where);
    testing::MemoryFileSystem files;
    RunOptions options;
    options.seed = 2024;
    options.files.fileSystem = &files;
    ResultTexts texts;
    SilentObserver observer;
    const RunOutcome outcome = runModel(settings, texts, observer, options);

    EXPECT_EQ(testing::firstNonFiniteText(texts), "");
    for (const char* name : {kResidualsFileName, kPredictionsFileName}) {
        EXPECT_FALSE(testing::showsNonFiniteNumber(files.read(name).value_or(""))) << name;
    }
    if (outcome.notice) {
        ++tally.notices;
        EXPECT_EQ(allowed.count(outcome.notice->text), 1u) << outcome.notice->text;
        return;
    }
    EXPECT_EQ(allowed.count(kSuccess), 1u) << "no notice";
    expectFinite("the fitness", outcome.fitness, where);
    expectFinite("the series variance", outcome.seriesVariance, where);
    if (!outcome.model.available) {
        ++tally.withoutModel;
        return;
    }
    ++tally.models;
    expectFiniteModel(outcome.model, where);
}

struct Variation {
    std::string name;
    std::function<void(RunSettings&)> apply;
};

std::vector<Variation> variations(const Series& series, bool genetic) {
    std::vector<Variation> list = {
        {"base", [](RunSettings&) {}},
        {"delay 1", [](RunSettings& s) { s.model.delay = limits::kDelay.min; }},
        {"delay 10", [](RunSettings& s) { s.model.delay = limits::kDelay.max; }},
        {"maxOrder 1", [](RunSettings& s) { s.model.maxOrder = limits::kMaxOrder.min; }},
        {"maxOrder 2", [](RunSettings& s) { s.model.maxOrder = 2; }},
        {"maxOrder 20", [](RunSettings& s) { s.model.maxOrder = limits::kMaxOrder.max; }},
        {"nObservations 50",
         [](RunSettings& s) { s.model.nObservations = limits::kObservations.min; }},
        {"largest nObservations",
         [series](RunSettings& s) {
             s.model.nObservations =
                 std::min(limits::kObservations.max, series.values - s.model.nPredictions);
         }},
        {"maxRegimes 1", [](RunSettings& s) { s.model.maxRegimes = limits::kMaxRegimes.min; }},
        {"maxRegimes 4", [](RunSettings& s) { s.model.maxRegimes = limits::kMaxRegimes.max; }},
        {"minObs 20", [](RunSettings& s) { s.model.minObs = limits::kMinObs.min; }},
        {"minObs 100", [](RunSettings& s) { s.model.minObs = limits::kMinObs.max; }},
        {"nPredictions 0", [](RunSettings& s) { s.model.nPredictions = limits::kPredictions.min; }},
        {"nPredictions 100",
         [](RunSettings& s) { s.model.nPredictions = limits::kPredictions.max; }},
        {"nAutocorrelations 0",
         [](RunSettings& s) { s.model.nAutocorrelations = limits::kAutocorrelations.min; }},
        {"nAutocorrelations 24",
         [](RunSettings& s) { s.model.nAutocorrelations = limits::kAutocorrelations.max; }},
        {"adjustingConstant 1",
         [](RunSettings& s) { s.ga.adjustingConstant = limits::kAdjustingConstant.min; }},
        {"adjustingConstant 100000",
         [](RunSettings& s) { s.ga.adjustingConstant = limits::kAdjustingConstant.max; }},
        {"no residual table", [](RunSettings& s) { s.ga.printResiduals = kPrintResidualsNo; }},
        {"smallest sample, most lags and regimes",
         [](RunSettings& s) {
             s.model.nObservations = limits::kObservations.min;
             s.model.maxOrder = limits::kMaxOrder.max;
             s.model.delay = limits::kDelay.max;
             s.model.maxRegimes = limits::kMaxRegimes.max;
             s.model.minObs = limits::kMinObs.min;
         }},
    };
    if (genetic) {
        const std::vector<Variation> search = {
            {"nChromosomes 0",
             [](RunSettings& s) { s.ga.nChromosomes = limits::kChromosomes.min; }},
            {"nChromosomes 1", [](RunSettings& s) { s.ga.nChromosomes = 1; }},
            {"nChromosomes 200",
             [](RunSettings& s) { s.ga.nChromosomes = limits::kChromosomes.max; }},
            {"nIterations 0", [](RunSettings& s) { s.ga.nIterations = limits::kIterations.min; }},
            {"nIterations 1000",
             [](RunSettings& s) {
                 s.ga.nIterations = limits::kIterations.max;
                 s.ga.nChromosomes = 4;
             }},
            {"pCrossover 0", [](RunSettings& s) { s.ga.pCrossover = 0.0; }},
            {"pCrossover 1", [](RunSettings& s) { s.ga.pCrossover = 1.0; }},
            {"pMutation 0", [](RunSettings& s) { s.ga.pMutation = 0.0; }},
            {"pMutation 1", [](RunSettings& s) { s.ga.pMutation = 1.0; }},
            {"pSelection 0", [](RunSettings& s) { s.ga.pSelection = 0.0; }},
            {"pSelection 1", [](RunSettings& s) { s.ga.pSelection = 1.0; }},
        };
        list.insert(list.end(), search.begin(), search.end());
    }
    return list;
}

// What the settings may end with, whatever the data: no order to try comes first, then the
// "MSE" fitness without held-out values; a genetic search may find no chromosome with a
// threshold whose regimes all hold minObs observations.
std::set<std::string> allowedEndings(const RunSettings& s) {
    if (s.model.maxOrder < 2) return {kNoOrder, kNoThresholdChromosome};
    const bool search = s.model.selectModel == kSelectModelSearch;
    if (search && s.ga.fitnessKind == kFitnessMse && s.model.nPredictions == 0) {
        return {kNoForecasts, kNoThresholdChromosome};
    }
    if (search && s.ga.searchMethod == kSearchGenetic) return {kSuccess, kNoThresholdChromosome};
    return {kSuccess};
}

TEST(SettingsSweep, EverySettingAtItsBoundsOnBothSearches) {
    Tally tally;
    for (const Series& series : kSeries) {
        for (const int method : {kSearchGenetic, kSearchExact}) {
            for (const int fitness : {kFitnessAic, kFitnessMse}) {
                for (const int criterion : {kCriterionAbsolute, kCriterionRelative}) {
                    for (const Variation& variation :
                         variations(series, method == kSearchGenetic)) {
                        RunSettings settings = baseSettings(series, method, fitness, criterion);
                        variation.apply(settings);
                        const std::string where =
                            std::string(series.file) +
                            (method == kSearchGenetic ? ", genetic" : ", exact") +
                            (fitness == kFitnessAic ? ", AIC" : ", MSE") +
                            (criterion == kCriterionAbsolute ? ", absolute, " : ", relative, ") +
                            variation.name;
                        sweepRun(settings, where, allowedEndings(settings), tally);
                    }
                }
            }
        }
    }
    EXPECT_GT(tally.models, 200);
    RecordProperty("models", tally.models);
    RecordProperty("notices", tally.notices);
}

// Given thresholds at the edges of the ranks: the smallest value (an empty first regime), the
// second smallest, the largest, both ends together, a value twice, descending order, a value
// that is not in the sample; and, for contrast, thresholds that leave every regime rows.
TEST(SettingsSweep, GivenThresholdsAtTheEdges) {
    Tally tally;
    for (const Series& series : kSeries) {
        std::vector<double> x = testing::readValues(example(series.file));
        RunSettings base = baseSettings(series, kSearchGenetic, kFitnessAic, kCriterionAbsolute);
        base.model.selectModel = kSelectModelGivenThresholds;
        std::vector<double> sample(x.begin(), x.begin() + base.model.nObservations);
        std::sort(sample.begin(), sample.end());
        const double lowest = sample.front();
        const double second = *std::upper_bound(sample.begin(), sample.end(), lowest);
        const double highest = sample.back();
        const double middle = sample[sample.size() / 2];
        const std::size_t n = sample.size();
        const std::vector<std::pair<std::string, std::vector<double>>> cases = {
            {"quartiles", {sample[n / 4], sample[3 * n / 4]}},
            {"25 ranks from either end", {sample[25], sample[n - 25]}},
            {"lowest", {lowest}},
            {"second lowest", {second}},
            {"highest", {highest}},
            {"lowest and highest", {lowest, highest}},
            {"three up to the highest", {second, middle, highest}},
            {"the same twice", {middle, middle}},
            {"descending", {highest, middle, lowest}},
            {"not in the sample", {middle, 1e6}},
        };
        for (const int maxOrder : {1, 2, 4, 20}) {
            for (const auto& [name, thresholds] : cases) {
                RunSettings settings = base;
                settings.model.maxOrder = maxOrder;
                settings.model.nThresholds = static_cast<int>(thresholds.size());
                for (std::size_t i = 0; i < thresholds.size(); ++i) {
                    settings.model.thresholds[i] = thresholds[i];
                }
                const std::set<std::string> allowed =
                    name == std::string("not in the sample") ? std::set<std::string>{kNotInSeries}
                    : maxOrder < 2                           ? std::set<std::string>{kNoOrder}
                                                             : std::set<std::string>{kSuccess};
                sweepRun(settings,
                         std::string(series.file) + ", maxOrder " + std::to_string(maxOrder) +
                             ", " + name,
                         allowed, tally);
            }
        }
    }
    EXPECT_GE(tally.models, 12);
    EXPECT_GE(tally.withoutModel, 20);
}

}  // namespace
}  // namespace kavri
