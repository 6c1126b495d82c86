#include "run/run_driver.h"

#include <algorithm>
#include <array>
#include <cmath>
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
#include "run/run_files.h"
#include "run/run_storage.h"
#include "run/series_loading.h"
#include "run/typed_thresholds.h"

namespace kavri {

// Fixed orders must be orders the run can fit, one for every regime of the model or one per
// regime; the latter fixes the number of regimes, which only given thresholds and the exact
// search (each range knowing its regime) keep.
MaybeNotice modelFormNotice(const RunSettings& settings, const RunOptions& options) {
    const ModelForm& form = settings.form;
    if (form.isDefault()) {
        return std::nullopt;
    }
    const ModelParameters& model = settings.model;
    // The trend's column stands beside the constant's; without it the regression would be
    // another model than the one reported.
    if (form.trend && !form.constant) {
        return errorNotice(
            "A linear trend is fitted together with a constant; choose one of "
            "the two forms: with a constant and a trend, or without a constant");
    }
    for (int i = 0; i < form.nLags; ++i) {
        if (form.lags[i] < 1 || form.lags[i] > model.maxOrder - 1 ||
            (i > 0 && form.lags[i] <= form.lags[i - 1])) {
            return errorNotice(formatText(
                "The lag %d is not one the model can fit: the lags must be distinct, ascending "
                "and from 1 to %d, below the maximum order %d",
                form.lags[i], model.maxOrder - 1, model.maxOrder));
        }
    }
    for (int i = 0; i < form.nFixedOrders; ++i) {
        if (form.lagsGiven() && (form.fixedOrders[i] < 1 || form.fixedOrders[i] > form.nLags)) {
            return errorNotice(formatText(
                "The fixed order %d is not one the model can fit: with a subset of %d lags, "
                "orders count its lags and run from 1 to %d",
                form.fixedOrders[i], form.nLags, form.nLags));
        }
        if (form.fixedOrders[i] < 1 || form.fixedOrders[i] > model.maxOrder - 1) {
            return errorNotice(formatText(
                "The fixed order %d is not one the model can fit: orders run from 1 to %d, "
                "below the maximum order %d",
                form.fixedOrders[i], model.maxOrder - 1, model.maxOrder));
        }
    }
    const bool given = model.selectModel == kSelectModelGivenThresholds;
    if (form.ordersPerRegime() && given && form.nFixedOrders != model.nThresholds + 1) {
        return errorNotice(formatText(
            "One fixed order per regime needs one more order than thresholds: %d thresholds "
            "give %d regimes, but %d orders were given",
            model.nThresholds, model.nThresholds + 1, form.nFixedOrders));
    }
    // The exact search fits exactly the regimes the orders name; the genetic search may lower
    // the number of regimes, and so does the search it is compared with.
    if (form.ordersPerRegime() && !given &&
        (settings.ga.searchMethod != kSearchExact || options.compareExact)) {
        return errorNotice(
            "One fixed order per regime fixes the number of regimes, which the genetic search "
            "may lower: use the exact search or give the thresholds, or give one order for "
            "every regime");
    }
    return std::nullopt;
}

namespace {

RunOutcome runGivenThresholds(const RunSettings& settings, ResultTexts& texts,
                              RunObserver& observer, const RunOptions& options,
                              RunStorage& storage) {
    const ModelParameters& model = settings.model;
    const int n = model.nObservations;
    RunOutcome outcome;

    // The ranks of times without a value of the threshold variable (the change at the first)
    // come last and hold no value that a threshold could be.
    int known = n;
    while (known > 0 && !std::isfinite(storage.sortedSeries[known - 1])) {
        --known;
    }
    Result<ResolvedThresholds> resolved =
        resolveTypedThresholds(storage.sortedSeries.data(), known, model.nThresholds,
                               model.thresholds, !settings.thresholdVariable.isOwn());
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

    EvaluationContext context{settings, texts, observer, options.files, &outcome.model};
    context.thresholdSeries = thresholdSeriesOf(settings, storage);
    context.sortedThresholds = storage.sortedSeries.data();
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

// Why no regime could be fitted: the thresholds given out of order or twice (a regime is then
// left without observations), a constant series (its lags repeat the intercept), or else lags
// that are collinear in some regime at every order tried.
std::string noModelCause(const RunSettings& settings, const double* x, int n) {
    const ModelParameters& model = settings.model;
    if (model.selectModel == kSelectModelGivenThresholds) {
        const int count =
            std::min<int>(model.nThresholds, static_cast<int>(model.thresholds.size()));
        for (int i = 0; i + 1 < count; ++i) {
            const double lower = model.thresholds[i];
            const double upper = model.thresholds[i + 1];
            if (lower == upper) {
                return formatText(
                    "threshold %.8g is given twice, which leaves the regime between the two "
                    "without observations; give each threshold once",
                    lower);
            }
            if (lower > upper) {
                return formatText(
                    "the thresholds are not in ascending order (%.8g is followed by %.8g), which "
                    "leaves a regime without observations; give them from the lowest up",
                    lower, upper);
            }
        }
    }
    bool constant = true;
    for (int t = 1; t < n && constant; ++t) {
        constant = x[t] == x[0];
    }
    if (constant) {
        return "the series is constant over the fitted values, so its lags repeat the intercept "
               "and no regression on them is determined (a singular design)";
    }
    return "in some regime the least-squares regression is singular at every order tried: its "
           "lagged values are collinear (for instance a series that repeats a short pattern, "
           "such as alternating values) or too few for the order";
}

RunOutcome runKeptFiles(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
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
    rankThresholdCandidates(storage.thresholdSeries.data(), n, storage.sortOrder,
                            storage.sortedSeries);
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
    if (outcome.model.available && settings.thresholdVariable.isColumn()) {
        outcome.model.thresholdFuture = storage.thresholdFuture;
        outcome.model.thresholdVariableText =
            thresholdVariableTextOf(settings, storage, outcome.model.delay);
    }
    if (!outcome.notice && !outcome.model.available) {
        outcome.noModelCause = noModelCause(settings, storage.series.data(), n);
    }
    attachSample(outcome, std::move(sample));
    return outcome;
}

}  // namespace

RunOutcome runModel(RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                    const RunOptions& options) {
    RunOptions kept = options;
    if (options.fileSet != nullptr) {
        kept.files.fileSystem = options.fileSet;
        return runKeptFiles(settings, texts, observer, kept);
    }
    RunFileSet set(options.files.files());
    set.recover({options.files.directory});
    kept.files.fileSystem = &set;
    kept.fileSet = &set;
    RunOutcome outcome = runKeptFiles(settings, texts, observer, kept);
    commitRunFiles(set, options.files, settings, outcome);
    return outcome;
}

}  // namespace kavri
