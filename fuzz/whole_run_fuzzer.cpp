// libFuzzer target: one whole small run from arbitrary settings and file contents, with result
// files in memory that may refuse to be created, written or replaced. The first bytes choose
// the settings within their ranges (kept small, so that a run takes milliseconds); the rest is
// the series file, either as it stands or turned into numbers of any magnitude.
//
// The oracle: a run ends with status 0 or with a notice that has a text; it never shows a
// number that is not finite, in a text, the reported model or a result file; and a run that
// ends in a notice leaves no Residuals.txt beside a Predictions.txt of another run.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/series_input.h"
#include "memory_file.h"
#include "run/exact_run.h"
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
    c.options.searchPath = flags & 16 ? SearchPath::kReference : SearchPath::kFast;
    c.options.compareExact = (flags & 32) != 0 && c.mode == Mode::kGenetic;
    constexpr double kConstants[] = {1.0, 2.0, 10.0, 1000.0, 100000.0};
    ga.adjustingConstant = kConstants[in.next() % 5];
    ga.searchMethod = c.mode == Mode::kExact ? kSearchExact : kSearchGenetic;
    model.selectModel =
        c.mode == Mode::kGivenThresholds ? kSelectModelGivenThresholds : kSelectModelSearch;
    model.nThresholds = 1 + in.next() % 3;
    for (std::uint8_t& pick : c.thresholdPicks) pick = in.next();
    c.options.seed = in.word();
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
    if (outcome.notice) {
        if (outcome.notice->text.empty()) fail("a notice without text");
        // Both files of this run, or both of the earlier one; a replacement that fails between
        // the two renames is the one exception (evaluation_files.h).
        const bool residualsReplaced = files.read(kResidualsFileName) != kEarlierResiduals;
        const bool predictionsReplaced = files.read(kPredictionsFileName) != kEarlierPredictions;
        const bool renameFault =
            c.fault && c.faultOperation == MemoryFileSystem::Operation::kCommit;
        if (model.nPredictions > 0 && residualsReplaced && !predictionsReplaced && !renameFault) {
            fail("a failed run left its Residuals.txt beside an earlier Predictions.txt");
        }
        return 0;
    }
    expectFinite("the fitness", outcome.fitness);
    expectFinite("the variance of the series", outcome.seriesVariance);
    if (outcome.exactFitness) expectFinite("the exact fitness", *outcome.exactFitness);
    expectFinite("a delay's fitness", scanFitness);
    if (outcome.model.available) checkModel(outcome.model);
    return 0;
}
