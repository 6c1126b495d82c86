#include "estimation/range_scorer.h"

#include <cmath>

#include "estimation/information_criterion.h"

namespace kavri {

RangeScorer::RangeScorer(const RankRows& rows, const HoldoutSet* holdout, int maxOrder,
                         bool relative)
    : rows_(rows), regression_(maxOrder), cost_(holdout, maxOrder, relative) {}

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

double fitnessOfCriterion(const RunSettings& settings, double criterion,
                          int effectiveObservations) {
    if (settings.ga.fitnessKind == kFitnessMse) {
        return std::exp(-(1.0 + criterion / settings.model.nPredictions));
    }
    return std::exp(-(criterion / effectiveObservations + kNaicOffset) /
                    settings.ga.adjustingConstant);
}

}  // namespace kavri
