#include "run/evaluation_cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "genetic/candidates.h"
#include "reference/genetic_reference.h"
#include "run/chromosome_evaluation.h"
#include "run/run_driver.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"

namespace kavri {
namespace {

using testing::MemoryFileSystem;
using Operation = MemoryFileSystem::Operation;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every refresh with the texts it showed, and every progress report.
class RecordingObserver final : public RunObserver {
 public:
    void refresh(const ResultTexts& texts) override { refreshes.push_back(texts); }
    void progress(int generation, double bestFitness) override {
        reports.emplace_back(generation, bestFitness);
    }
    std::vector<ResultTexts> refreshes;
    std::vector<std::pair<int, double>> reports;
};

// What a run leaves behind that anyone can see.
struct RunRecord {
    RunOutcome outcome;
    ResultTexts texts;
    RecordingObserver observer;
    bool residualsExist = false;
    bool predictionsExist = false;
    std::string residuals;
    std::string predictions;
};

void recordFiles(const MemoryFileSystem& files, RunRecord& record) {
    const std::optional<std::string> residuals = files.read(kResidualsFileName);
    const std::optional<std::string> predictions = files.read(kPredictionsFileName);
    record.residualsExist = residuals.has_value();
    record.predictionsExist = predictions.has_value();
    record.residuals = residuals.value_or("");
    record.predictions = predictions.value_or("");
}

RunRecord runPath(RunSettings settings, std::uint32_t seed, SearchPath path,
                  MemoryFileSystem& files) {
    RunRecord record;
    RunOptions options;
    options.seed = seed;
    options.files.fileSystem = &files;
    useSearchPath(options, path);
    record.outcome = runModel(settings, record.texts, record.observer, options);
    recordFiles(files, record);
    return record;
}

void expectSameTexts(const ResultTexts& fast, const ResultTexts& reference) {
    const std::pair<const char*, std::string ResultTexts::*> fields[] = {
        {"aic", &ResultTexts::aicText},
        {"fitness", &ResultTexts::fitnessText},
        {"naic", &ResultTexts::naicText},
        {"panel 1", &ResultTexts::estimatePanel1},
        {"observation", &ResultTexts::observationText},
        {"panel 2", &ResultTexts::estimatePanel2},
        {"panel 3", &ResultTexts::estimatePanel3},
        {"panel 4", &ResultTexts::estimatePanel4},
        {"threshold", &ResultTexts::thresholdText},
        {"residual variance", &ResultTexts::residualVarianceText},
        {"iteration", &ResultTexts::iterationText},
        {"variance", &ResultTexts::varianceText},
        {"regime variance", &ResultTexts::regimeVarianceText},
        {"r square", &ResultTexts::rSquareText},
        {"mse", &ResultTexts::mseText},
        {"ljung-box", &ResultTexts::ljungBoxText}};
    for (const auto& [name, field] : fields) {
        EXPECT_EQ(fast.*field, reference.*field) << name;
    }
}

void expectSameModel(const ReportedModel& fast, const ReportedModel& reference) {
    EXPECT_EQ(fast.available, reference.available);
    EXPECT_EQ(fast.thresholds, reference.thresholds);
    ASSERT_EQ(fast.regimes.size(), reference.regimes.size());
    for (std::size_t r = 0; r < reference.regimes.size(); ++r) {
        EXPECT_EQ(fast.regimes[r].order, reference.regimes[r].order);
        EXPECT_EQ(fast.regimes[r].coefficients, reference.regimes[r].coefficients);
        EXPECT_EQ(fast.regimes[r].observations, reference.regimes[r].observations);
        EXPECT_TRUE(
            sameBits(fast.regimes[r].residualVariance, reference.regimes[r].residualVariance));
        EXPECT_EQ(fast.regimes[r].rSquare, reference.regimes[r].rSquare);
    }
    EXPECT_EQ(fast.effectiveObservations, reference.effectiveObservations);
    EXPECT_TRUE(sameBits(fast.naic, reference.naic));
    EXPECT_TRUE(sameBits(fast.aic, reference.aic));
    EXPECT_TRUE(sameBits(fast.residualVariance, reference.residualVariance));
    EXPECT_EQ(fast.forecastMse, reference.forecastMse);
    EXPECT_TRUE(sameBits(fast.ljungBox, reference.ljungBox));
    EXPECT_TRUE(sameBits(fast.fitness, reference.fitness));
}

void expectSameRun(const RunRecord& fast, const RunRecord& reference) {
    EXPECT_EQ(fast.outcome.notice, reference.outcome.notice);
    EXPECT_EQ(fast.outcome.seed, reference.outcome.seed);
    EXPECT_TRUE(sameBits(fast.outcome.fitness, reference.outcome.fitness));
    EXPECT_TRUE(sameBits(fast.outcome.seriesVariance, reference.outcome.seriesVariance));
    EXPECT_EQ(fast.outcome.evaluations, reference.outcome.evaluations);
    expectSameModel(fast.outcome.model, reference.outcome.model);
    expectSameTexts(fast.texts, reference.texts);
    ASSERT_EQ(fast.observer.refreshes.size(), reference.observer.refreshes.size());
    for (std::size_t i = 0; i < reference.observer.refreshes.size(); ++i) {
        SCOPED_TRACE("refresh " + std::to_string(i));
        expectSameTexts(fast.observer.refreshes[i], reference.observer.refreshes[i]);
    }
    EXPECT_EQ(fast.observer.reports, reference.observer.reports);
    EXPECT_EQ(fast.residualsExist, reference.residualsExist);
    EXPECT_EQ(fast.predictionsExist, reference.predictionsExist);
    EXPECT_EQ(fast.residuals, reference.residuals);
    EXPECT_EQ(fast.predictions, reference.predictions);
}

// Runs both paths, each with files of its own prepared by `prepare`, and compares them.
template <typename Prepare>
std::pair<RunRecord, RunRecord> runBoth(const RunSettings& settings, std::uint32_t seed,
                                        Prepare prepare) {
    MemoryFileSystem fastFiles;
    MemoryFileSystem referenceFiles;
    prepare(fastFiles);
    prepare(referenceFiles);
    RunRecord fast = runPath(settings, seed, SearchPath::kFast, fastFiles);
    RunRecord reference = runPath(settings, seed, SearchPath::kReference, referenceFiles);
    expectSameRun(fast, reference);
    return {std::move(fast), std::move(reference)};
}

std::pair<RunRecord, RunRecord> runBoth(const RunSettings& settings, std::uint32_t seed) {
    return runBoth(settings, seed, [](MemoryFileSystem&) {});
}

std::string example(const char* name) { return std::string(KAVRI_EXAMPLES_DIR) + "/" + name; }

// A genetic search with both dialogs "shown": nothing is replaced by run defaults.
RunSettings searchSettings(const std::string& series, int n, int nPredictions) {
    RunSettings settings;
    settings.model = modelPrefill();
    settings.ga = gaPrefill();
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    settings.model.seriesPath = series;
    settings.model.nObservations = n;
    settings.model.nPredictions = nPredictions;
    settings.ga.nChromosomes = 16;
    settings.ga.nIterations = 6;
    settings.ga.pMutation = 0.01;
    return settings;
}

struct SearchCase {
    const char* name;
    const char* series;
    int n, nPredictions, maxRegimes, maxOrder, delay, minObs;
    int fitnessKind, criterion, printResiduals;
    double adjustingConstant;
    std::uint32_t seed;
};

// Test names and failure messages show the case by its name rather than as raw bytes.
void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.name; }

class SameRunOnBothPaths : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SameRunOnBothPaths, TextsFilesAndOutcome) {
    const SearchCase& c = GetParam();
    RunSettings settings = searchSettings(example(c.series), c.n, c.nPredictions);
    settings.model.maxRegimes = c.maxRegimes;
    settings.model.maxOrder = c.maxOrder;
    settings.model.delay = c.delay;
    settings.model.minObs = c.minObs;
    settings.ga.fitnessKind = c.fitnessKind;
    settings.ga.criterion = c.criterion;
    settings.ga.printResiduals = c.printResiduals;
    settings.ga.adjustingConstant = c.adjustingConstant;
    const auto [fast, reference] = runBoth(settings, c.seed);
    ASSERT_FALSE(reference.outcome.notice.has_value()) << reference.outcome.notice->text;
    EXPECT_TRUE(reference.outcome.model.available);
    EXPECT_EQ(reference.outcome.evaluations, 16 * 7);
}

constexpr int kAic = kFitnessAic;
constexpr int kMse = kFitnessMse;
constexpr int kAbs = kCriterionAbsolute;
constexpr int kRel = kCriterionRelative;
constexpr int kYes = kPrintResidualsYes;
constexpr int kNo = kPrintResidualsNo;

INSTANTIATE_TEST_SUITE_P(
    SeriesSeedsAndSettings, SameRunOnBothPaths,
    ::testing::Values(SearchCase{"ExchangeAicAbsolute", "ExchangeRate.txt", 450, 50, 4, 4, 1, 30,
                                 kAic, kAbs, kYes, 1.0, 11},
                      SearchCase{"ExchangeMseRelative", "ExchangeRate.txt", 450, 50, 3, 6, 2, 30,
                                 kMse, kRel, kNo, 1.0, 12345},
                      SearchCase{"ExchangeOneRegime", "ExchangeRate.txt", 300, 20, 1, 5, 1, 30,
                                 kMse, kAbs, kYes, 1.0, 3},
                      SearchCase{"ExchangeNoHoldout", "ExchangeRate.txt", 400, 0, 4, 3, 1, 25, kAic,
                                 kRel, kYes, 4.0, 77},
                      SearchCase{"LynxOrderTwo", "lynx_log10.txt", 100, 14, 2, 2, 1, 20, kAic, kRel,
                                 kYes, 1.0, 5},
                      SearchCase{"LynxMse", "lynx_log10.txt", 104, 10, 3, 3, 2, 20, kMse, kAbs,
                                 kYes, 1.0, 900},
                      SearchCase{"SunspotOrderTwenty", "sunspot_year.txt", 250, 39, 4, 20, 2, 30,
                                 kMse, kAbs, kYes, 1.0, 2024},
                      SearchCase{"SunspotRelativeTwelve", "sunspot_year.txt", 260, 29, 3, 12, 3, 40,
                                 kAic, kRel, kNo, 10.0, 8},
                      SearchCase{"MarkPoundFourRegimes", "mark_pound_daily_returns.txt", 300, 30, 4,
                                 9, 3, 25, kAic, kAbs, kYes, 5.0, 31337},
                      SearchCase{"MarkPoundMseTwenty", "mark_pound_daily_returns.txt", 320, 40, 2,
                                 20, 1, 60, kMse, kRel, kYes, 1.0, 4}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return info.param.name; });

// Larger generations, longer searches and a small population, where the caches and the
// population's convergence matter most.
TEST(SameRunOnBothPaths, LongerSearchesAndEdgePopulations) {
    RunSettings settings = searchSettings(example("ExchangeRate.txt"), 450, 50);
    settings.ga.nChromosomes = 30;
    settings.ga.nIterations = 25;
    runBoth(settings, 42);

    settings.ga.nChromosomes = 1;  // no crossover; selection and mutation still run
    runBoth(settings, 43);

    settings.ga.nChromosomes = 0;  // nothing to evaluate: the model without thresholds
    const auto [fast, reference] = runBoth(settings, 44);
    EXPECT_EQ(reference.outcome.evaluations, 0);

    settings.ga.nChromosomes = 7;
    settings.ga.nIterations = 0;  // one generation, which is also the reported one
    runBoth(settings, 45);
}

// The run defaults (dialogs never shown): 30 chromosomes, 101 generations, "MSE", "Relative".
TEST(SameRunOnBothPaths, RunDefaults) {
    RunSettings settings;
    applyRunDefaults(settings);
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    settings.model.seriesPath = example("ExchangeRate.txt");
    settings.ga.nIterations = 20;
    runBoth(settings, 1700000000u);
}

// Failures: the same notice, after the same number of evaluations, with the same texts shown
// and the same files left.
TEST(SameFailuresOnBothPaths, DirectoryThatDoesNotExist) {
    const RunSettings settings = searchSettings(example("ExchangeRate.txt"), 450, 50);
    const auto [fast, reference] = runBoth(settings, 9, [](MemoryFileSystem& files) {
        files.fail(Operation::kCreate, kResidualsFileName, std::errc::no_such_file_or_directory);
    });
    ASSERT_TRUE(reference.outcome.notice.has_value());
    EXPECT_EQ(reference.outcome.notice->text,
              "Kavri Directory do not exist or Residuals.txt File could not be opened\n");
    EXPECT_EQ(reference.outcome.evaluations, 1);
    EXPECT_EQ(reference.texts.iterationText, "0");
}

TEST(SameFailuresOnBothPaths, PredictionsFileCannotBeWritten) {
    const RunSettings settings = searchSettings(example("ExchangeRate.txt"), 450, 50);
    const auto [fast, reference] = runBoth(settings, 9, [](MemoryFileSystem& files) {
        files.put(kResidualsFileName, "earlier residuals\n");
        files.fail(Operation::kCreate, kPredictionsFileName, std::errc::is_a_directory);
    });
    ASSERT_TRUE(reference.outcome.notice.has_value());
    EXPECT_EQ(reference.outcome.notice->text,
              "Kavri Directory do not exist or Predictions.txt File could not be opened\n");
    // The evaluation that failed replaced neither file.
    EXPECT_EQ(reference.residuals, "earlier residuals\n");
}

TEST(SameFailuresOnBothPaths, ResidualsFileCannotBeOpened) {
    const RunSettings settings = searchSettings(example("ExchangeRate.txt"), 450, 50);
    const auto [fast, reference] = runBoth(settings, 9, [](MemoryFileSystem& files) {
        files.fail(Operation::kCreate, kResidualsFileName, std::errc::is_a_directory);
    });
    ASSERT_TRUE(reference.outcome.notice.has_value());
    EXPECT_EQ(reference.outcome.evaluations, 1);
}

TEST(SameFailuresOnBothPaths, NoOrderTriedAndNoForecastsForMse) {
    RunSettings settings = searchSettings(example("ExchangeRate.txt"), 450, 50);
    settings.model.maxOrder = 1;
    auto [fast, reference] = runBoth(settings, 10);
    ASSERT_TRUE(reference.outcome.notice.has_value());
    EXPECT_EQ(reference.outcome.notice->text, "The number of effective observation are zero");
    EXPECT_FALSE(reference.predictionsExist);

    settings.model.maxOrder = 4;
    settings.model.nPredictions = 0;
    settings.ga.fitnessKind = kFitnessMse;
    std::tie(fast, reference) = runBoth(settings, 10);
    ASSERT_TRUE(reference.outcome.notice.has_value());
    EXPECT_EQ(reference.outcome.notice->text, "Number of forecast are zero");
}

// A file left by an earlier run is replaced by the run's own, and one that the run does not
// produce (Predictions.txt with no held-out values) is removed on both paths, so that it is
// not taken for this run's.
TEST(SameFilesOnBothPaths, EarlierFilesReplacedOrRemoved) {
    RunSettings settings = searchSettings(example("lynx_log10.txt"), 100, 14);
    settings.model.maxOrder = 3;
    settings.model.minObs = 20;
    const auto leaveOldFiles = [](MemoryFileSystem& files) {
        files.put(kPredictionsFileName, "old forecasts\n");
        files.put(kResidualsFileName, "old residuals\n");
    };
    runBoth(settings, 21, leaveOldFiles);
    settings.model.nPredictions = 0;
    const auto [fast, reference] = runBoth(settings, 21, leaveOldFiles);
    EXPECT_FALSE(reference.predictionsExist);
    EXPECT_FALSE(fast.predictionsExist);
    EXPECT_NE(reference.residuals, "old residuals\n");
}

// The evaluator alone against evaluateChromosome, column by column: chromosomes with too many
// set genes, an empty regime (a singular fit), repeats within a generation and across
// generations; and the result files after the generation, which the search leaves alone. Tiny cache
// limits force the caches to be emptied between generations.
class EvaluatorAgainstSingleEvaluations : public ::testing::Test {
 protected:
    void SetUp() override {
        x_ = testing::exchangeRateReturns();
        settings_.model = modelPrefill();
        settings_.ga = gaPrefill();
        settings_.model.nObservations = n_;
        settings_.model.maxOrder = 5;
        settings_.ga.fitnessKind = kFitnessMse;
        sortOrder_ = ivector(0, n_);
        sortedSeries_ = dvector(0, n_);
        rankCandidates(x_.data(), n_, sortOrder_, sortedSeries_);
        population_ = intmatrix(0, n_, 0, kColumns);
    }

    void setColumn(int j, const std::vector<int>& positions) {
        for (int g = 0; g < n_; ++g) population_[g][j] = 0;
        for (int g : positions) population_[g][j] = 1;
    }

    std::vector<double> referenceFitness(int nChromosomes, MemoryFileSystem& files) {
        ResultTexts texts;
        SilentObserver observer;
        const EvaluationContext context{settings_, texts, observer, {{}, &files}, nullptr};
        std::vector<double> fitness;
        std::vector<int> genes(n_);
        for (int j = 0; j < nChromosomes; ++j) {
            for (int g = 0; g < n_; ++g) genes[g] = population_[g][j];
            Result<double> f =
                evaluateChromosome(context, x_.data(), genes.data(), sortOrder_.data(), n_,
                                   settings_.model.maxOrder, settings_.model.delay, 0);
            EXPECT_TRUE(f.ok());
            fitness.push_back(f.ok() ? f.value() : -1.0);
        }
        return fitness;
    }

    static constexpr int kColumns = 8;
    const int n_ = 450;
    std::vector<double> x_;
    RunSettings settings_;
    IVector sortOrder_;
    DVector sortedSeries_;
    IMatrix population_;
};

TEST_F(EvaluatorAgainstSingleEvaluations, FitnessAndPredictionsFile) {
    MemoryFileSystem fastFiles;
    MemoryFileSystem referenceFiles;
    EvaluationCache evaluator(settings_, {{}, &fastFiles}, x_.data(), sortOrder_.data(), 2,
                              SearchCacheLimits{1, 1});
    const std::vector<std::vector<std::vector<int>>> generations = {
        {{}, {100}, {100, 300}, {50, 150, 250, 350}, {200}, {100}, {0}, {120, 240, 360}},
        {{100}, {120, 240, 360}, {60, 400}, {10, 20, 30, 40}, {0, 200}, {100, 300}, {0}, {0, 300}},
    };
    for (const auto& columns : generations) {
        for (int j = 0; j < kColumns; ++j) setColumn(j, columns[j]);
        std::vector<double> fitness(kColumns, -2.0);
        const GenerationEvaluation result =
            evaluator.evaluateGeneration(population_, kColumns, fitness.data());
        EXPECT_EQ(result.evaluated, kColumns);
        EXPECT_FALSE(result.notice.has_value());
        const std::vector<double> expected = referenceFitness(kColumns, referenceFiles);
        for (int j = 0; j < kColumns; ++j) {
            EXPECT_TRUE(sameBits(fitness[j], expected[j])) << "column " << j;
        }
        EXPECT_EQ(fitness[3], 0.0);  // four set genes
        EXPECT_EQ(fitness[6], 0.0);  // rank 0 starts the upper regime: the lower one is empty
        // The single evaluations replace the files as each one's own result; the search
        // replaces none (search_files.h): the reporting evaluation writes them at the end.
        EXPECT_TRUE(referenceFiles.read(kPredictionsFileName).has_value());
        EXPECT_FALSE(fastFiles.read(kPredictionsFileName).has_value());
        EXPECT_FALSE(fastFiles.read(kResidualsFileName).has_value());
    }
}

// A sample value whose square overflows: the evaluator gives the notice that the evaluation
// gives, at the same chromosome, and neither replaces a file.
TEST_F(EvaluatorAgainstSingleEvaluations, OverflowingValueEndsBothAtTheSameChromosome) {
    x_[120] = 1e250;
    rankCandidates(x_.data(), n_, sortOrder_, sortedSeries_);
    MemoryFileSystem fastFiles;
    MemoryFileSystem referenceFiles;
    for (MemoryFileSystem* files : {&fastFiles, &referenceFiles}) {
        files->put(kResidualsFileName, "earlier residuals\n");
        files->put(kPredictionsFileName, "earlier forecasts\n");
    }
    for (int j = 0; j < kColumns; ++j) setColumn(j, {});
    EvaluationCache evaluator(settings_, {{}, &fastFiles}, x_.data(), sortOrder_.data(), 2);
    std::vector<double> fitness(kColumns, -2.0);
    const GenerationEvaluation result =
        evaluator.evaluateGeneration(population_, kColumns, fitness.data());

    ResultTexts texts;
    SilentObserver observer;
    const EvaluationContext context{settings_, texts, observer, {{}, &referenceFiles}, nullptr};
    std::vector<int> genes(n_, 0);
    const Result<double> reference = evaluateChromosome(
        context, x_.data(), genes.data(), sortOrder_.data(), n_, settings_.model.maxOrder, 1, 0);
    ASSERT_FALSE(reference.ok());
    EXPECT_EQ(reference.notice().text, "The values of the series are too large to be estimated");
    EXPECT_EQ(result.evaluated, 1);
    EXPECT_EQ(result.notice, reference.notice());
    EXPECT_EQ(fastFiles.read(kResidualsFileName), "earlier residuals\n");
    EXPECT_EQ(fastFiles.read(kPredictionsFileName), "earlier forecasts\n");
    EXPECT_EQ(referenceFiles.read(kResidualsFileName), "earlier residuals\n");
}

}  // namespace
}  // namespace kavri
