#include "run/run_driver.h"

#include <array>

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

// Fixed orders must be orders the run can fit, one for every regime of the model; the exact
// search, which sums ranges without knowing their regime, and the comparison with it fit the
// default form only.
MaybeNotice modelFormNotice(const RunSettings& settings, const RunOptions& options) {
    const ModelForm& form = settings.form;
    if (form.isDefault()) {
        return std::nullopt;
    }
    const ModelParameters& model = settings.model;
    for (int i = 0; i < form.nFixedOrders; ++i) {
        if (form.fixedOrders[i] < 1 || form.fixedOrders[i] > model.maxOrder - 1) {
            return errorNotice(formatText(
                "The fixed order %d is not one the model can fit: orders run from 1 to %d, "
                "below the maximum order %d",
                form.fixedOrders[i], model.maxOrder - 1, model.maxOrder));
        }
    }
    const bool given = model.selectModel == kSelectModelGivenThresholds;
    if (form.nFixedOrders > 1 && (!given || form.nFixedOrders != model.nThresholds + 1)) {
        return errorNotice(
            "One fixed order per regime needs the thresholds given (one more order than "
            "thresholds); a search may choose fewer regimes: give one order for every regime");
    }
    if (!given && (settings.ga.searchMethod == kSearchExact || options.compareExact)) {
        return errorNotice(
            "The exact search fits each range with a constant and the order of lowest AIC; it "
            "cannot be used with fixed orders or without a constant");
    }
    return std::nullopt;
}

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
    // exp(-NAIC): its log-fitness is -NAIC, shown beside it where it underflows. A split
    // without a model (a singular fit) has no NAIC, and its fitness 0 no log-fitness.
    outcome.logFitness = outcome.model.available ? -outcome.model.naic : kNoLogFitnessShown;
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
    if (MaybeNotice notice = modelFormNotice(settings, options)) {
        outcome.notice = notice;
        return outcome;
    }
    SeriesSample sample;
    if (MaybeNotice notice = loadRunSeries(settings, storage, sample)) {
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
