#include "run/exact_run.h"

#include <cmath>

#include "estimation/information_criterion.h"
#include "estimation/regime_estimation.h"
#include "estimation/series_statistics.h"
#include "estimation/split_score.h"
#include "genetic/candidates.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"
#include "run/chromosome_evaluation.h"
#include "run/finite_results.h"
#include "run/fitness_text.h"
#include "run/run_files.h"
#include "run/series_loading.h"
#include "run/worker_pool.h"

namespace kavri {

namespace {

// The exact search on every core the run may use, with the candidates the options ask for.
ExactSearchOptions searchOptions(const RunOptions& options, WorkerPool& pool,
                                 RunObserver* observer) {
    ExactSearchOptions search;
    search.candidates = options.exactCandidates;
    search.parallel = pool.parallelFor();
    if (observer != nullptr) {
        search.progress = [observer](double share) { observer->exactSearchProgress(share); };
    }
    return search;
}

Result<ExactOptimum> searchExactly(const RunSettings& settings, const RunOptions& options,
                                   const RunStorage& storage, int delay, RunObserver* observer) {
    WorkerPool pool(WorkerPool::availableThreads(kMaxSearchThreads));
    ExactSearchOptions search = searchOptions(options, pool, observer);
    search.thresholdSeries = thresholdSeriesOf(settings, storage);
    return findExactOptimum(settings, storage.series.data(), storage.sortedSeries.data(),
                            storage.sortOrder.data(), delay, search);
}

struct ScanCriteria {
    double aic = 0.0;
    double bic = 0.0;
};

// The AIC and BIC of an exact optimum at `delay`: its regimes estimated as the run estimates
// them, on the delay's own usable observations.
std::optional<ScanCriteria> criteriaOfOptimum(const RunSettings& settings,
                                              const RunStorage& storage, int delay,
                                              const ExactOptimum& optimum) {
    const ModelParameters& model = settings.model;
    if (settings.form.ordersPerRegime() && optimum.nThresholds + 1 != settings.form.nFixedOrders) {
        return std::nullopt;
    }
    RankRanges ranges;
    ranges.n = model.nObservations;
    ranges.nThresholds = optimum.nThresholds;
    for (int i = 0; i < optimum.nThresholds; ++i) {
        ranges.bounds[i] = optimum.positions[i];
    }
    const FittingProblem problem =
        searchProblem(settings, storage.series.data(), storage.sortOrder.data(),
                      model.nObservations, model.maxOrder, delay);
    RegimeWorkspace workspace(model.nObservations, model.maxOrder);
    double sumAic = 0.0;
    int observations = 0;
    int coefficients = 0;
    for (int r = 0; r < ranges.regimeCount(); ++r) {
        RegimeEstimate estimate;
        OrderSearch search = problem.ordersOf(r);
        search.exactFitLogFloor = kNoExactFitFloor;
        if (estimateRegime(storage.series.data(), storage.sortOrder.data(), ranges.begin(r),
                           ranges.end(r), search, workspace, estimate) != FitStatus::kOk) {
            return std::nullopt;
        }
        sumAic += estimate.fit.aic;
        observations += estimate.fit.observations;
        coefficients += settings.form.coefficientsAt(estimate.order);
    }
    if (observations == 0) {
        return std::nullopt;
    }
    ScanCriteria criteria;
    criteria.aic = sumAic + kNaicOffset * observations;
    criteria.bic =
        criteria.aic - 2.0 * coefficients +
        std::log(static_cast<double>(observations)) * (coefficients + ranges.regimeCount() - 1);
    return criteria;
}

}  // namespace

RunOutcome runExactSearch(const RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                          const RunOptions& options, RunStorage& storage) {
    const ModelParameters& model = settings.model;
    const int n = model.nObservations;
    const double* x = storage.series.data();
    RunOutcome outcome;
    texts.iterationText = formatText("%d", 0);
    observer.refresh(texts);

    Result<ExactOptimum> optimum =
        searchExactly(settings, options, storage, model.delay, &observer);
    if (!optimum.ok()) {
        outcome.notice = optimum.notice();
        return outcome;
    }
    // With one order per regime the optimum has exactly that many regimes, or there is none.
    if (settings.form.ordersPerRegime() &&
        optimum.value().nThresholds + 1 != settings.form.nFixedOrders) {
        outcome.notice = errorNotice(formatText(
            "No split into %d regimes can be fitted at the orders given: every one leaves a "
            "regime with fewer than %d observations or a singular regression. Lower the "
            "minimum observations per regime or give fewer orders",
            settings.form.nFixedOrders, model.minObs));
        return outcome;
    }
    outcome.exactScope = ExactSearchScope{optimum.value().everyValue, optimum.value().candidates};
    if (options.profileThresholds) {
        outcome.thresholdProfile =
            profileThresholds(settings, x, storage.sortedSeries.data(), storage.sortOrder.data(),
                              model.delay, optimum.value(), thresholdSeriesOf(settings, storage));
    }
    for (int h = 0; h < n; ++h) {
        storage.bestChromosome[h] = 0;
    }
    for (int i = 0; i < optimum.value().nThresholds; ++i) {
        storage.bestChromosome[optimum.value().positions[i]] = 1;
    }

    // The search's own fitness comes from another factorisation; the reporting evaluation
    // gives the value that every other text of the run agrees with.
    EvaluationContext context{settings, texts, observer, options.files, &outcome.model};
    context.thresholdSeries = thresholdSeriesOf(settings, storage);
    context.sortedThresholds = storage.sortedSeries.data();
    Result<EvaluatedFitness> reported = evaluateChromosomeFitness(
        context, x, storage.bestChromosome.data(), storage.sortOrder.data(), n, model.maxOrder,
        model.delay, kReportingIteration);
    if (!reported.ok()) {
        outcome.notice = reported.notice();
        return outcome;
    }
    outcome.fitness = reported.value().fitness;
    outcome.logFitness = reported.value().logFitness;
    outcome.seriesVariance = seriesVariance(x, n);
    const FiniteResults finite(x, n + model.nPredictions);
    if (MaybeNotice notice = finite.check("the variance of the series", outcome.seriesVariance)) {
        outcome.notice = notice;
        return outcome;
    }
    texts.fitnessText = fitnessText(outcome.fitness, outcome.logFitness);
    texts.varianceText = formatText("%.8f", outcome.seriesVariance);
    observer.refresh(texts);
    return outcome;
}

std::optional<ExactOptimum> comparisonOptimum(const RunSettings& settings,
                                              const RunOptions& options,
                                              const RunStorage& storage) {
    Result<ExactOptimum> optimum =
        searchExactly(settings, options, storage, settings.model.delay, nullptr);
    if (!optimum.ok()) {
        return std::nullopt;
    }
    return optimum.value();
}

namespace {

DelayScanOutcome scanKeptFiles(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                               const RunOptions& options) {
    const ClassicNumericLocale classic;
    clearResultTexts(texts, observer);
    applyRunDefaults(settings);
    const ModelParameters& model = settings.model;
    const int n = model.nObservations;
    RunStorage storage(n, 0, model.nPredictions);

    DelayScanOutcome scanOutcome;
    SeriesSample sample;
    if (MaybeNotice notice = loadRunSeries(settings, storage, sample, options.seriesSource)) {
        scanOutcome.run.notice = notice;
        return scanOutcome;
    }
    const FiniteResults finite(storage.series.data(), n + model.nPredictions);
    if (MaybeNotice notice = finite.checkSeries()) {
        scanOutcome.run.notice = notice;
        return scanOutcome;
    }
    rankThresholdCandidates(storage.thresholdSeries.data(), n, storage.sortOrder,
                            storage.sortedSeries);

    std::optional<Result<DelayScan>> scanned;
    {
        WorkerPool pool(WorkerPool::availableThreads(kMaxSearchThreads));
        ExactSearchOptions search = searchOptions(options, pool, &observer);
        search.thresholdSeries = thresholdSeriesOf(settings, storage);
        scanned.emplace(scanDelays(settings, storage.series.data(), storage.sortedSeries.data(),
                                   storage.sortOrder.data(), search));
    }
    Result<DelayScan>& scan = *scanned;
    if (!scan.ok()) {
        scanOutcome.run.notice = scan.notice();
        return scanOutcome;
    }
    for (std::size_t i = 0; i < scan.value().delays.size(); ++i) {
        const int delay = scan.value().delays[i];
        const double fitness = scan.value().optima[i].fitness;
        if (MaybeNotice notice =
                finite.check(formatText("the fitness at delay %d", delay), fitness)) {
            scanOutcome.run.notice = notice;
            return scanOutcome;
        }
        scanOutcome.delays.push_back(delay);
        scanOutcome.fitness.push_back(fitness);
        scanOutcome.logFitness.push_back(scan.value().optima[i].logFitness);
        const std::optional<ScanCriteria> criteria =
            criteriaOfOptimum(settings, storage, delay, scan.value().optima[i]);
        scanOutcome.aic.push_back(criteria ? std::optional<double>(criteria->aic) : std::nullopt);
        scanOutcome.bic.push_back(criteria ? std::optional<double>(criteria->bic) : std::nullopt);
    }
    scanOutcome.bestDelay = scan.value().delays[scan.value().bestIndex];
    settings.model.delay = scanOutcome.bestDelay;
    settings.model.selectModel = kSelectModelSearch;
    settings.ga.searchMethod = kSearchExact;
    RunOptions dated = options;
    dated.files = datedFiles(options.files, sample);
    scanOutcome.run = runExactSearch(settings, texts, observer, dated, storage);
    if (scanOutcome.run.model.available && settings.thresholdVariable.isColumn()) {
        scanOutcome.run.model.thresholdFuture = storage.thresholdFuture;
        scanOutcome.run.model.thresholdVariableText =
            thresholdVariableTextOf(settings, storage, scanOutcome.run.model.delay);
    }
    attachSample(scanOutcome.run, std::move(sample));
    return scanOutcome;
}

}  // namespace

DelayScanOutcome runDelayScan(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                              const RunOptions& options) {
    RunOptions kept = options;
    if (options.fileSet != nullptr) {
        kept.files.fileSystem = options.fileSet;
        return scanKeptFiles(settings, texts, observer, kept);
    }
    // As runModel: the files are committed together at the end, or not at all.
    RunFileSet set(options.files.files());
    kept.files.fileSystem = &set;
    kept.fileSet = &set;
    DelayScanOutcome scanned = scanKeptFiles(settings, texts, observer, kept);
    commitRunFiles(set, options.files, settings, scanned.run);
    return scanned;
}

}  // namespace kavri
