#include "run/run_driver.h"

#include <array>

#include "estimation/series_statistics.h"
#include "genetic/candidates.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"
#include "run/exact_run.h"
#include "run/finite_results.h"
#include "run/genetic_run.h"
#include "run/given_thresholds.h"
#include "run/run_storage.h"
#include "run/series_loading.h"
#include "run/typed_thresholds.h"

namespace kavri {

namespace {

RunOutcome runGivenThresholds(const RunSettings& settings, ResultTexts& texts,
                              RunObserver& observer, const RunOptions& options,
                              RunStorage& storage) {
    const ModelParameters& model = settings.model;
    const int n = model.nObservations;
    RunOutcome outcome;

    Result<ResolvedThresholds> resolved =
        resolveTypedThresholds(storage.sortedSeries.data(), n, model.nThresholds, model.thresholds);
    if (!resolved.ok()) {
        outcome.notice = resolved.notice();
        return outcome;
    }
    outcome.remarks = resolved.value().remarks;
    std::array<double, 10> userThresholds{};
    for (int i = 0; i < model.nThresholds && i < kMaxThresholdCount; ++i) {
        userThresholds[i] = resolved.value().values[i];
    }

    const EvaluationContext context{settings, texts, observer, options.files, &outcome.model};
    Result<double> fitness =
        estimateGivenThresholds(context, storage.series.data(), storage.sortedSeries.data(),
                                model.nThresholds, userThresholds, storage.sortOrder.data(), n,
                                model.maxOrder, model.delay, kReportingIteration);
    if (!fitness.ok()) {
        outcome.notice = fitness.notice();
        return outcome;
    }
    outcome.fitness = fitness.value();
    outcome.seriesVariance = seriesVariance(storage.series.data(), n);
    const FiniteResults finite(storage.series.data(), n + model.nPredictions);
    if (MaybeNotice notice = finite.check("the variance of the series", outcome.seriesVariance)) {
        outcome.notice = notice;
        return outcome;
    }
    texts.fitnessText = formatText("%f", outcome.fitness);
    texts.varianceText = formatText("%.5f", outcome.seriesVariance);
    observer.refresh(texts);
    return outcome;
}

}  // namespace

void attachSample(RunOutcome& outcome, SeriesSample sample) {
    if (outcome.model.available) {
        outcome.model.labels = sample.labels;
    }
    outcome.sample = std::move(sample);
}

RunOutcome runModel(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                    const RunOptions& options) {
    // The texts and both result files are written with a decimal point in any user locale.
    const ClassicNumericLocale classic;
    clearResultTexts(texts, observer);
    applyRunDefaults(settings);
    const ModelParameters& model = settings.model;
    const int n = model.nObservations;
    RunStorage storage(n, settings.ga.nChromosomes, model.nPredictions);

    RunOutcome outcome;
    SeriesSample sample;
    if (MaybeNotice notice = loadRunSeries(settings, storage, sample, options.seriesSource)) {
        outcome.notice = notice;
        return outcome;
    }
    if (MaybeNotice notice =
            FiniteResults(storage.series.data(), n + model.nPredictions).checkSeries()) {
        outcome.notice = notice;
        return outcome;
    }
    if (model.selectModel == kSelectModelGivenThresholds && model.nThresholds <= 0) {
        outcome.notice = errorNotice("The number of threshold should be at least 1");
        return outcome;
    }
    rankCandidates(storage.series.data(), n, storage.sortOrder, storage.sortedSeries);

    if (model.selectModel == kSelectModelGivenThresholds) {
        outcome = runGivenThresholds(settings, texts, observer, options, storage);
    } else if (settings.ga.searchMethod == kSearchExact) {
        outcome = runExactSearch(settings, texts, observer, options, storage);
    } else {
        outcome = runGeneticSearch(settings, texts, observer, options, storage);
        if (options.compareExact && !outcome.notice) {
            if (std::optional<ExactOptimum> exact = comparisonOptimum(settings, options, storage)) {
                outcome.exactFitness = exact->fitness;
                outcome.exactScope = ExactSearchScope{exact->everyValue, exact->candidates};
                const FiniteResults finite(storage.series.data(), n + model.nPredictions);
                outcome.notice = finite.check("the exact optimum's fitness", exact->fitness);
            }
        }
    }
    attachSample(outcome, std::move(sample));
    return outcome;
}

}  // namespace kavri
