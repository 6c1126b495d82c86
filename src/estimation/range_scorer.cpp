#include "estimation/range_scorer.h"

#include "estimation/fitness.h"
#include "estimation/information_criterion.h"

namespace kavri {

RangeScorer::RangeScorer(const RankRows& rows, const HoldoutSet* holdout, bool relative,
                         double logFloor, int fixedOrder)
    : rows_(rows),
      regression_(rows.design()),
      cost_(holdout, rows.design(), relative, logFloor, fixedOrder) {}

void RangeScorer::start() {
    regression_.clear();
    changed_ = true;
}

void RangeScorer::add(int h) {
    if (rows_.usable(h)) {
        regression_.append(rows_.row(h));
        changed_ = true;
    }
}

double RangeScorer::cost(int start, int end) {
    if (changed_) {
        cost_.fit(regression_.view(), regression_.responsesEqual());
        changed_ = false;
    }
    return cost_.cost(start, end);
}

double logFitnessOfCriterion(const RunSettings& settings, double criterion,
                             int effectiveObservations) {
    const FitnessRule rule = FitnessRule::of(settings.ga);
    if (rule.usesForecasts()) {
        return FitnessRule::logFitnessOfMse(criterion / settings.model.nPredictions);
    }
    return rule.logFitnessOfNaic(naicOf(criterion, effectiveObservations));
}

double fitnessOfCriterion(const RunSettings& settings, double criterion,
                          int effectiveObservations) {
    return fitnessOfLog(logFitnessOfCriterion(settings, criterion, effectiveObservations));
}

}  // namespace kavri
