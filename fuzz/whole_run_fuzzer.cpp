// libFuzzer target: one whole small run from arbitrary settings and file contents, with result
// files in memory that may refuse to be created, written or replaced. The first bytes choose
// the settings within their ranges (kept small, so that a run takes milliseconds); the rest is
// the series file, either as it stands or turned into numbers of any magnitude.
//
// The oracle: a run ends with status 0 or with a notice that has a text; it never shows a
// number that is not finite, in a text, the reported model, a result file, the coefficient
// table (both kinds of standard errors), the fit statistics, the linearity tests or the
// forecasts, where a number that cannot be stated is empty (shown NA); and a run that ends in
// a notice, or without a model, leaves the earlier files as they were (the files of a run are
// committed together at its end, so only a rename that fails part-way can change one).

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "data/series_input.h"
#include "inference/coefficient_table.h"
#include "inference/fit_statistics.h"
#include "inference/linearity_tests.h"
#include "memory_file.h"
#include "model/model_form.h"
#include "reference/genetic_reference.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"
#include "support/memory_file_system.h"
#include "support/non_finite_text.h"

namespace {

using namespace kavri;
using testing::MemoryFileSystem;

constexpr const char* kEarlierResiduals = "earlier residuals\n";
constexpr const char* kEarlierPredictions = "earlier forecasts\n";

// The input read front to back; past its end every byte is 0.
class Bytes {
 public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t next() { return position_ < size_ ? data_[position_++] : 0; }
    std::uint32_t word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w = (w << 8) | next();
        return w;
    }
    const std::uint8_t* rest() const { return data_ + std::min(position_, size_); }
    std::size_t restSize() const { return size_ - std::min(position_, size_); }

 private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

enum class Mode { kGenetic, kExact, kGivenThresholds, kDelayScan };

struct Case {
    Mode mode = Mode::kGenetic;
    RunSettings settings;
    RunOptions options;
    bool numbers = false;  // the file holds numbers made from the bytes, not the bytes
    std::array<std::uint8_t, 3> thresholdPicks{};
    MemoryFileSystem::Operation faultOperation = MemoryFileSystem::Operation::kCreate;
    bool fault = false;
    bool faultOnPredictions = false;
    int faultSkip = 0;
    // The statistics and forecasts asked for after the run.
    int bootstrapReplicates = 0;
    int testOrder = 1;
    ForecastSettings forecast{.horizon = 1};
};

Case decode(Bytes& in) {
    Case c;
    c.mode = static_cast<Mode>(in.next() % 4);
    RunSettings& s = c.settings;
    applyRunDefaults(s);
    s.modelDialogCount = 1;
    s.gaDialogCount = 1;
    ModelParameters& model = s.model;
    GaParameters& ga = s.ga;
    model.nObservations = 50 + in.next() % 51;
    model.nPredictions = in.next() % 21;
    model.maxRegimes = 1 + in.next() % 4;
    const std::uint8_t order = in.next();
    model.maxOrder = order % 4 == 0 ? 1 + order % 20 : 2 + order % 5;
    model.delay = 1 + in.next() % 10;
    model.minObs = 20 + in.next() % 81;
    model.nAutocorrelations = in.next() % 25;
    ga.nChromosomes = in.next() % 9;
    ga.nIterations = in.next() % 5;
    ga.pCrossover = in.next() / 255.0;
    ga.pMutation = in.next() / 255.0;
    ga.pSelection = in.next() / 255.0;
    const std::uint8_t flags = in.next();
    ga.fitnessKind = flags & 1 ? kFitnessMse : kFitnessAic;
    ga.criterion = flags & 2 ? kCriterionRelative : kCriterionAbsolute;
    ga.printResiduals = flags & 4 ? kPrintResidualsYes : kPrintResidualsNo;
    c.numbers = (flags & 8) != 0;
    useSearchPath(c.options, flags & 16 ? SearchPath::kReference : SearchPath::kFast);
    c.options.compareExact = (flags & 32) != 0 && c.mode == Mode::kGenetic;
    constexpr double kConstants[] = {1.0, 2.0, 10.0, 1000.0, 100000.0};
    ga.adjustingConstant = kConstants[in.next() % 5];
    ga.searchMethod = c.mode == Mode::kExact ? kSearchExact : kSearchGenetic;
    model.selectModel =
        c.mode == Mode::kGivenThresholds ? kSelectModelGivenThresholds : kSelectModelSearch;
    model.nThresholds = 1 + in.next() % 3;
    for (std::uint8_t& pick : c.thresholdPicks) pick = in.next();
    c.options.seed = in.word();
    // One run in four fits another model form, chosen from the seed's high bits so that the
    // corpus keeps its meaning: a subset of lags, no constant or a trend, one order for every
    // regime or one per regime. Every search must fit it, or refuse it with a notice.
    const auto formBits = static_cast<std::uint32_t>(c.options.seed.value_or(0) >> 8);
    if (formBits % 4 == 3) {
        ModelForm& form = s.form;
        if ((formBits & 4) != 0) {
            for (int lag = 1; lag < model.maxOrder && form.nLags < kMaxLagListSize; lag += 2) {
                form.lags[static_cast<std::size_t>(form.nLags++)] = lag;
            }
        }
        const std::uint32_t terms = (formBits >> 3) % 3;
        form.constant = terms != 1;
        form.trend = terms == 2;
        const std::uint32_t orders = (formBits >> 5) % 3;
        if (orders == 1) {
            form.nFixedOrders = 1;
            form.fixedOrders[0] = 1;
        } else if (orders == 2) {
            form.nFixedOrders =
                c.mode == Mode::kGivenThresholds ? model.nThresholds + 1 : model.maxRegimes;
            for (int r = 0; r < form.nFixedOrders; ++r) {
                form.fixedOrders[static_cast<std::size_t>(r)] = 1 + r % 2;
            }
        }
    }
    // Five in eight runs have files that work; the others fail to create, write or replace one.
    const std::uint8_t fault = in.next();
    constexpr MemoryFileSystem::Operation kOperations[] = {MemoryFileSystem::Operation::kCreate,
                                                           MemoryFileSystem::Operation::kWrite,
                                                           MemoryFileSystem::Operation::kCommit};
    c.fault = fault % 8 >= 5;
    c.faultOperation = kOperations[c.fault ? fault % 8 - 5 : 0];
    c.faultOnPredictions = (fault & 8) != 0;
    c.faultSkip = (fault >> 4) % 4;
    // Mostly the whole file from its start; now and then a column, a skip or the last values.
    static const char* const kColumns[] = {"", "", "", "", "1", "2", "value", "lynx"};
    const std::uint8_t choice = in.next();
    s.series.column = kColumns[choice % 8];
    s.series.skip = (choice >> 3) % 4;
    s.series.last = (choice & 0x80) != 0;
    const std::uint8_t after = in.next();
    c.bootstrapReplicates = after % 3;
    c.testOrder = 1 + (after >> 2) % 3;
    // Now and then another threshold variable: the change, or the table's second column.
    const int variable = (after >> 4) % 8;
    if (variable == 6) {
        s.thresholdVariable.kind = ThresholdVariableKind::kDifference;
    } else if (variable == 7) {
        s.thresholdVariable = {ThresholdVariableKind::kColumn, "2"};
    }
    constexpr ForecastMethod kMethods[] = {ForecastMethod::kSkeleton, ForecastMethod::kBootstrap,
                                           ForecastMethod::kGaussian, ForecastMethod::kSkeleton};
    c.forecast.method = kMethods[(after >> 4) % 4];
    c.forecast.horizon = 1 + in.next() % 40;
    c.forecast.nPaths = 20;
    c.forecast.seed = in.next();
    c.forecast.nThreads = 1;
    return c;
}

// Numbers of every magnitude: a 16-bit mantissa and, now and then, a power of ten from
// 10^-320 to 10^310, so that squares overflow, underflow or are fine.
std::string numbersFrom(Bytes& in) {
    std::string text;
    char line[40];
    while (in.restSize() >= 3) {
        const auto high = in.next();
        const auto low = in.next();
        const int mantissa = static_cast<std::int16_t>((high << 8) | low);
        const std::uint8_t scale = in.next();
        const int exponent = scale < 192 ? 0 : (scale - 224) * 10;
        const double value = mantissa / 1000.0 * std::pow(10.0, exponent);
        std::snprintf(line, sizeof line, "%.17g\n", value);
        text += line;
    }
    return text;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "whole run: %s\n", what.c_str());
    std::abort();
}

void expectFinite(const char* what, double value) {
    if (!std::isfinite(value)) fail(std::string(what) + " is not finite");
}

void expectFinite(const char* what, const std::vector<double>& values) {
    for (double v : values) expectFinite(what, v);
}

void checkModel(const ReportedModel& model) {
    expectFinite("a threshold", model.thresholds);
    for (const RegimeReport& regime : model.regimes) {
        expectFinite("a coefficient", regime.coefficients);
        expectFinite("a regime's residual variance", regime.residualVariance);
        if (regime.rSquare) expectFinite("an R square", *regime.rSquare);
    }
    expectFinite("NAIC", model.naic);
    expectFinite("AIC", model.aic);
    expectFinite("the residual variance", model.residualVariance);
    if (model.forecastMse) expectFinite("the forecast MSE", *model.forecastMse);
    expectFinite("the Ljung-Box statistic", model.ljungBox);
    expectFinite("the model's fitness", model.fitness);
    expectFinite("a fitted value", model.fitted);
    expectFinite("a residual", model.residuals);
    expectFinite("an autocorrelation", model.autocorrelations);
    expectFinite("a held-out forecast", model.holdoutForecasts);
}

void expectFinite(const char* what, const std::optional<double>& value) {
    if (value) expectFinite(what, *value);
}

void checkStatistics(const ReportedModel& model, const Case& c) {
    for (StandardErrorKind kind : {StandardErrorKind::kClassical, StandardErrorKind::kHc1}) {
        const CoefficientTable table = coefficientTable(model, kind);
        for (const RegimeCoefficients& regime : table.regimes) {
            expectFinite("a regime's SSE", regime.sse);
            for (const CoefficientEstimate& estimate : regime.coefficients) {
                expectFinite("an estimate", estimate.estimate);
                expectFinite("a standard error", estimate.standardError);
                expectFinite("a t value", estimate.tValue);
                expectFinite("a p value", estimate.pValue);
            }
        }
        const FitStatistics fit = fitStatistics(model, table);
        expectFinite("the log-likelihood", fit.logLikelihood);
        expectFinite("the AIC of the fit statistics", fit.aic);
        expectFinite("the BIC", fit.bic);
        expectFinite("the Ljung-Box statistic of the fit statistics", fit.ljungBox);
        expectFinite("the Ljung-Box p value", fit.ljungBoxP);
    }
    const ModelParameters& settings = c.settings.model;
    LinearityTestSettings testSettings = linearityTestSettings(settings);
    testSettings.order = std::min(c.testOrder, std::max(1, settings.maxOrder - 1));
    testSettings.replicates = c.bootstrapReplicates;
    testSettings.threads = 1;
    testSettings.thresholdVariable = model.thresholdVariable;
    if (model.thresholdVariable == ThresholdVariableKind::kColumn) {
        testSettings.exogenous = model.thresholdSeries.data();
    }
    const auto checkTests = [&](const LinearityTestSettings& used) {
        const LinearityTests tests =
            runLinearityTests(model.series.data(), settings.nObservations, used);
        for (const SupFTest* test : {&tests.oneVsTwo, &tests.oneVsThree, &tests.twoVsThree}) {
            if (!test->available) continue;
            expectFinite("a threshold of a sup-F test", test->thresholds);
            expectFinite("an SSR of a sup-F test", test->ssrNull);
            expectFinite("an SSR of a sup-F test", test->ssrAlternative);
            if (!test->exactFit) expectFinite("a sup-F statistic", test->statistic);
            expectFinite("a sup-F p value", test->pValue);
        }
        if (tests.tsay.available && !tests.tsay.exactFit) {
            expectFinite("Tsay's F", tests.tsay.statistic);
            expectFinite("Tsay's p value", tests.tsay.pValue);
        }
    };
    checkTests(testSettings);
    // The same tests of another form: no constant, or a trend, and lags every other one up to
    // the maximum order, chosen from the run's seed so that the corpus keeps its meaning.
    const std::uint32_t bits = c.options.seed.value_or(0);
    LinearityTestSettings other = testSettings;
    other.constant = (bits & 1) != 0;
    other.trend = other.constant && (bits & 2) != 0;
    other.lags.clear();
    for (int lag = 1; lag < settings.maxOrder; lag += 1 + static_cast<int>((bits >> 2) & 1)) {
        other.lags.push_back(lag);
    }
    other.order = std::min<int>(testSettings.order, static_cast<int>(other.lags.size()));
    if (other.order >= 1) {
        checkTests(other);
    }
}

void checkForecasts(const ReportedModel& model, const Case& c) {
    MemoryFileSystem files;
    ResultFiles where;
    where.fileSystem = &files;
    const Result<ForecastOutcome> made = runForecasts(model, c.forecast, where);
    if (!made.ok()) {
        if (made.notice().text.empty()) fail("a forecast notice without text");
        if (files.read(kForecastsFileName)) fail("failed forecasts wrote Forecasts.txt");
        return;
    }
    const auto checkResult = [](const ForecastResult& result) {
        expectFinite("a forecast", result.point);
        expectFinite("a forecast median", result.median);
        for (const ForecastInterval& interval : result.intervals) {
            expectFinite("a forecast interval", interval.lower);
            expectFinite("a forecast interval", interval.upper);
        }
    };
    checkResult(made.value().forecasts);
    if (made.value().holdout) {
        checkResult(made.value().holdout->forecasts);
        expectFinite("a held-out error", made.value().holdout->error);
        expectFinite("a held-out RMSE", made.value().holdout->rmse);
    }
    if (testing::showsNonFiniteNumber(files.read(kForecastsFileName).value_or(""))) {
        fail("Forecasts.txt holds a number that is not finite");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kavri::fuzz::MemoryFile seriesFile("kavri-run-series");
    Bytes in(data, size);
    Case c = decode(in);
    ModelParameters& model = c.settings.model;

    const std::string text =
        c.numbers ? numbersFrom(in)
                  : std::string(reinterpret_cast<const char*>(in.rest()), in.restSize());
    model.seriesPath = seriesFile.write(text.data(), text.size());
    // Given thresholds are mostly values of the sample, so that they are found.
    const Result<SeriesSample> sample = readSeriesSample(
        {model.seriesPath, c.settings.series, model.nObservations, model.nPredictions});
    if (sample.ok()) {
        for (int i = 0; i < 3; ++i) {
            const std::uint8_t pick = c.thresholdPicks[static_cast<std::size_t>(i)];
            model.thresholds[static_cast<std::size_t>(i)] =
                pick == 255
                    ? 1.25
                    : sample.value().values[static_cast<std::size_t>(pick % model.nObservations)];
        }
    }

    MemoryFileSystem files;
    files.put(kResidualsFileName, kEarlierResiduals);
    files.put(kPredictionsFileName, kEarlierPredictions);
    if (c.fault) {
        files.fail(c.faultOperation,
                   c.faultOnPredictions ? kPredictionsFileName : kResidualsFileName,
                   std::errc::no_space_on_device, c.faultSkip);
    }
    c.options.files.fileSystem = &files;

    ResultTexts texts;
    SilentObserver observer;
    RunOutcome outcome;
    std::vector<double> scanFitness;
    if (c.mode == Mode::kDelayScan) {
        DelayScanOutcome scan = runDelayScan(c.settings, texts, observer, c.options);
        outcome = scan.run;
        scanFitness = scan.fitness;
    } else {
        outcome = runModel(c.settings, texts, observer, c.options);
    }

    const std::string shown = testing::firstNonFiniteText(texts);
    if (!shown.empty()) fail("a text shows a number that is not finite: " + shown);
    for (const char* name : {kResidualsFileName, kPredictionsFileName}) {
        if (testing::showsNonFiniteNumber(files.read(name).value_or(""))) {
            fail(std::string(name) + " holds a number that is not finite");
        }
    }
    const bool residualsReplaced = files.read(kResidualsFileName) != kEarlierResiduals;
    const bool predictionsReplaced = files.read(kPredictionsFileName) != kEarlierPredictions;
    const bool renameFault = c.fault && c.faultOperation == MemoryFileSystem::Operation::kCommit;
    if (outcome.notice || !outcome.model.available) {
        if (outcome.notice && outcome.notice->text.empty()) fail("a notice without text");
        // The earlier files as they were; a rename that fails after the first is the one
        // exception (run_file_set.h).
        if ((residualsReplaced || predictionsReplaced) && !renameFault) {
            fail("a run that failed or found no model changed the earlier files");
        }
        return 0;
    }
    // One run's set: a run that holds nothing out removes the earlier Predictions.txt.
    if (!residualsReplaced ||
        (model.nPredictions > 0) != files.read(kPredictionsFileName).has_value() ||
        (model.nPredictions > 0 && !predictionsReplaced)) {
        fail("a successful run did not leave its own set of files");
    }
    expectFinite("the fitness", outcome.fitness);
    expectFinite("the variance of the series", outcome.seriesVariance);
    if (outcome.exactFitness) expectFinite("the exact fitness", *outcome.exactFitness);
    expectFinite("a delay's fitness", scanFitness);
    checkModel(outcome.model);
    checkStatistics(outcome.model, c);
    checkForecasts(outcome.model, c);
    return 0;
}
