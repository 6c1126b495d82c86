#include "estimation/split_score.h"

#include "estimation/information_criterion.h"
#include "estimation/series_statistics.h"

namespace kavri {

namespace {

FittingProblem problemOf(const RunSettings& settings, const double* x, const int* sortOrder, int n,
                         int maxOrder, int delay, const double* z) {
    const ModelParameters& model = settings.model;
    FittingProblem problem;
    problem.x = x;
    problem.sortOrder = sortOrder;
    problem.nPredictions = model.nPredictions;
    problem.maxRegimes = model.maxRegimes;
    problem.minObs = model.minObs;
    problem.orders.n = n;
    problem.orders.maxOrder = maxOrder;
    problem.orders.delay = delay;
    problem.orders.exactFitLogFloor = exactFitLogFloor(seriesVariance(x, n));
    problem.form = settings.form;
    problem.z = z;
    return problem;
}

}  // namespace

FittingProblem searchProblem(const RunSettings& settings, const double* x, const int* sortOrder,
                             int n, int maxOrder, int delay, const double* z) {
    FittingProblem problem = problemOf(settings, x, sortOrder, n, maxOrder, delay, z);
    problem.orders.initialBestAic = kSearchInitialBestAic;
    problem.orders.stopAtFirstNonImprovement = settings.ga.criterion == kCriterionRelative;
    problem.fitness = FitnessRule::of(settings.ga);
    return problem;
}

FittingProblem givenThresholdsProblem(const RunSettings& settings, const double* x,
                                      const int* sortOrder, int n, int maxOrder, int delay,
                                      const double* z) {
    FittingProblem problem = problemOf(settings, x, sortOrder, n, maxOrder, delay, z);
    problem.orders.initialBestAic = kGivenThresholdsInitialBestAic;
    problem.orders.stopAtFirstNonImprovement = false;
    problem.fitness = FitnessRule::plainNaic();
    return problem;
}

SplitScore scoreSplit(const FittingProblem& problem, const RankRanges& ranges,
                      const std::array<double, kMaxThresholdCount>& thresholdValues,
                      const RangeEstimates& estimates, bool forecast, FittedModel& model) {
    SplitScore score;
    model.nRegimes = ranges.regimeCount();
    model.constant = problem.form.constant;
    model.nLags = problem.form.nLags;
    model.lags = problem.form.lags;
    model.trend = problem.form.trend;
    model.thresholdValues = thresholdValues;
    RegimeEstimate estimate;
    for (int r = 0; r < model.nRegimes; ++r) {
        if (estimates(r, ranges.begin(r), ranges.end(r), estimate) == FitStatus::kSingular) {
            score.outcome = SplitOutcome::kSingular;
            return score;
        }
        model.regimeOrders[r] = estimate.order;
        for (int q = 0; q <= estimate.order; ++q) {
            model.regimeCoefficients[r][q] = estimate.coefficients[q];
        }
        model.trendCoefficients[r] = estimate.trend;
        score.fits[r] = estimate.fit;
    }
    // Any finite score beats the initial best, so a regime left without an order although
    // orders were tried met sums of squares that are not finite: it has no estimate, which
    // must not pass for a regime without observations.
    for (int r = 0; r < model.nRegimes && problem.maxOrder() >= 2; ++r) {
        if (model.regimeOrders[r] == 0) {
            score.outcome = SplitOutcome::kNoFiniteOrder;
            score.regime = r;
            return score;
        }
    }

    score.summary = summariseRegimes(score.fits, model.nRegimes);
    // Without a tried order (maxOrder 1) no observation is fitted and NAIC would be 0/0.
    if (score.summary.effectiveObservations == 0) {
        score.outcome = SplitOutcome::kNoEffectiveObservations;
        return score;
    }
    const FitnessRule& rule = problem.fitness;
    if (problem.nPredictions != 0 && (forecast || rule.usesForecasts())) {
        score.holdout = forecastHoldout(problem.x, problem.n(), model, problem.nPredictions,
                                        problem.delay(), problem.z);
        score.forecast = true;
        score.summary.forecastMse = score.holdout.mse;
    }
    if (!rule.usesForecasts()) {
        // Shown from the AIC as the texts define it, ranked by the score that orders exact fits.
        score.fitness = fitnessOfLog(rule.logFitnessOfNaic(score.summary.naic));
        score.logFitness = rule.logFitnessOfNaic(
            naicOf(score.summary.sumScore, score.summary.effectiveObservations));
    } else if (problem.nPredictions != 0) {
        score.logFitness = FitnessRule::logFitnessOfMse(score.holdout.mse);
        score.fitness = fitnessOfLog(score.logFitness);
    } else {
        score.outcome = SplitOutcome::kNoForecasts;
        return score;
    }
    score.summary.fitness = score.fitness;
    score.outcome = SplitOutcome::kScored;
    return score;
}

FreshRangeEstimates::FreshRangeEstimates(const FittingProblem& problem)
    : problem_(problem), workspace_(problem.n(), problem.maxOrder()) {}

RangeEstimates FreshRangeEstimates::function() {
    return [this](int regime, int start, int end, RegimeEstimate& estimate) {
        return estimateRegime(problem_.x, problem_.sortOrder, start, end, problem_.ordersOf(regime),
                              workspace_, estimate);
    };
}

}  // namespace kavri
