#include "run/run_driver.h"

#include <algorithm>
#include <array>
#include <string>

#include "estimation/series_statistics.h"
#include "genetic/candidates.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"
#include "run/exact_run.h"
#include "run/finite_results.h"
#include "run/fitness_text.h"
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
    UserThresholds userThresholds{};
    const int nGiven = std::min(model.nThresholds, kMaxThresholdCount);
    for (int i = 0; i < nGiven; ++i) {
        userThresholds[i] = resolved.value().values[i];
    }
    // Thresholds bound the regimes from below to above. Given in another order they would
    // leave a regime between them empty (and end the run without a model): they are taken in
    // ascending order, and the run says so.
    if (!std::is_sorted(userThresholds.begin(), userThresholds.begin() + nGiven)) {
        std::string typed;
        for (int i = 0; i < nGiven; ++i) {
            typed += (i == 0 ? "" : ", ") + shortestText(userThresholds[i]);
        }
        std::sort(userThresholds.begin(), userThresholds.begin() + nGiven);
        std::string sorted;
        for (int i = 0; i < nGiven; ++i) {
            sorted += (i == 0 ? "" : ", ") + shortestText(userThresholds[i]);
        }
        outcome.remarks.push_back("the thresholds were given out of order (" + typed +
                                  "); they are used in ascending order: " + sorted);
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
    // exp(-NAIC): its log-fitness is -NAIC, shown beside it where it underflows. Without a
    // model (a regime that cannot be fitted) the fitness 0.0 stands alone.
    if (outcome.model.available) {
        outcome.logFitness = -outcome.model.naic;
    }
    outcome.seriesVariance = seriesVariance(storage.series.data(), n);
    const FiniteResults finite(storage.series.data(), n + model.nPredictions);
    if (MaybeNotice notice = finite.check("the variance of the series", outcome.seriesVariance)) {
        outcome.notice = notice;
        return outcome;
    }
    texts.fitnessText = fitnessText(outcome.fitness, outcome.logFitness);
    texts.varianceText = formatText("%.5f", outcome.seriesVariance);
    observer.refresh(texts);
    return outcome;
}

}  // namespace

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
    RunOptions dated = options;
    dated.files = datedFiles(options.files, sample);

    if (model.selectModel == kSelectModelGivenThresholds) {
        outcome = runGivenThresholds(settings, texts, observer, dated, storage);
    } else if (settings.ga.searchMethod == kSearchExact) {
        outcome = runExactSearch(settings, texts, observer, dated, storage);
    } else {
        outcome = runGeneticSearch(settings, texts, observer, dated, storage);
        if (dated.compareExact && !outcome.notice) {
            if (std::optional<ExactOptimum> exact = comparisonOptimum(settings, dated, storage)) {
                outcome.exactFitness = exact->fitness;
                outcome.exactLogFitness = exact->logFitness;
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
