#include "estimation/exact_search.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "estimation/range_design.h"
#include "estimation/range_scorer.h"
#include "estimation/series_statistics.h"
#include "estimation/single_threshold_search.h"
#include "estimation/split_table.h"
#include "estimation/threshold_candidates.h"
#include "model/notices.h"

namespace kavri {

namespace {

// The summed criterion of a split with each regime grown row by row from its start, added from
// the last regime to the first as the shortest paths add them. With candidates the table
// appends blocks of rows whole, which gives the same sums only to rounding; scored again this
// way the optimum has the cost that every other scoring of it gives (threshold_profile.h).
double criterionRowByRow(const SplitProblem& problem, const BestSplit& split) {
    RangeScorer scorer(*problem.rows, problem.holdout, problem.relative, problem.exactFitLogFloor,
                       problem.fixedOrder);
    double total = 0.0;
    int end = problem.n;
    for (int r = split.nThresholds; r >= 0; --r) {
        const int start = r == 0 ? 0 : split.positions[r - 1];
        scorer.setFixedOrder(problem.orderOfRange(r));
        scorer.start();
        for (int h = start; h < end; ++h) {
            scorer.add(h);
        }
        total = scorer.cost(start, end) + total;
        end = start;
    }
    return total;
}

}  // namespace

Result<ExactOptimum> findExactOptimum(const RunSettings& settings, const double* x,
                                      const double* sortedSeries, const int* sortOrder, int delay,
                                      const ExactSearchOptions& options) {
    const ModelParameters& model = settings.model;
    const GaParameters& ga = settings.ga;
    const int n = model.nObservations;
    const int maxOrder = model.maxOrder;
    const bool mse = ga.fitnessKind == kFitnessMse;
    // Without an order to try no observation is fitted, and every evaluation stops there.
    if (maxOrder < 2) {
        return noEffectiveObservationsNotice();
    }
    if (mse && model.nPredictions == 0) {
        return noForecastsNotice();
    }

    const RangeDesign design = RangeDesign::of(settings.form, maxOrder, x, n);
    const RankRows rows(x, sortOrder, n, design, delay);
    std::optional<HoldoutSet> holdout;
    if (mse) {
        holdout.emplace(x, sortedSeries, n, design, model.nPredictions, delay,
                        options.thresholdSeries);
    }

    SplitProblem problem;
    problem.rows = &rows;
    problem.holdout = mse ? &*holdout : nullptr;
    problem.n = n;
    problem.maxOrder = maxOrder;
    problem.relative = ga.criterion == kCriterionRelative;
    problem.minObs = model.minObs;
    problem.exactFitLogFloor = exactFitLogFloor(seriesVariance(x, n));
    // One order for every regime, or one per regime: then exactly that many regimes.
    const ModelForm& form = settings.form;
    problem.maxRegimes = std::clamp(model.maxRegimes, 1, kMaxRegimeCount);
    if (form.nFixedOrders > 1) {
        problem.nRegimeOrders = form.nFixedOrders;
        problem.regimeOrders = form.fixedOrders;
        problem.maxRegimes = form.nFixedOrders;
    } else {
        problem.fixedOrder = form.fixedOrderOf(0);
    }
    // A series too short for the delay makes every chromosome with a threshold invalid.
    if (n - delay < delay + 1) {
        if (problem.ordersPerRegime()) {
            ExactOptimum none;
            none.criterion = kInfiniteCost;
            return none;
        }
        problem.maxRegimes = 1;
    }
    const ThresholdCandidates candidates = chooseThresholdCandidates(
        n, problem.maxRegimes, maxOrder, mse ? model.nPredictions : 0, options.candidates);
    const BestSplit best =
        problem.maxRegimes <= 2
            ? bestSingleThreshold(problem, candidates, options.parallel)
            : bestSplitByTable(problem, candidates, options.parallel, options.progress);

    ExactOptimum optimum;
    optimum.everyValue = candidates.everyValue;
    optimum.candidates = candidates.count(n);
    optimum.criterion = best.criterion;
    if (!(best.criterion < kInfiniteCost)) {
        return optimum;
    }
    optimum.nThresholds = best.nThresholds;
    optimum.positions = best.positions;
    if (!candidates.everyValue) {
        optimum.criterion = criterionRowByRow(problem, best);
    }
    optimum.logFitness = logFitnessOfCriterion(settings, optimum.criterion, rows.usableBefore(n));
    optimum.fitness = fitnessOfLog(optimum.logFitness);
    return optimum;
}

Result<DelayScan> scanDelays(const RunSettings& settings, const double* x,
                             const double* sortedSeries, const int* sortOrder,
                             const ExactSearchOptions& options) {
    DelayScan scan;
    for (int delay = limits::kDelay.min; delay <= limits::kDelay.max; ++delay) {
        Result<ExactOptimum> optimum =
            findExactOptimum(settings, x, sortedSeries, sortOrder, delay, options);
        if (!optimum.ok()) {
            return optimum.notice();
        }
        scan.delays.push_back(delay);
        scan.optima.push_back(optimum.value());
        if (optimum.value().logFitness > scan.optima[scan.bestIndex].logFitness) {
            scan.bestIndex = static_cast<int>(scan.optima.size()) - 1;
        }
    }
    return scan;
}

}  // namespace kavri
