#include "estimation/range_scorer.h"

#include <cmath>
#include <limits>

#include "estimation/information_criterion.h"

namespace kavri {

RangeScorer::RangeScorer(const RankRows& rows, const HoldoutSet* holdout, int maxOrder,
                         bool relative)
    : rows_(rows),
      holdout_(holdout),
      maxOrder_(maxOrder),
      relative_(relative),
      regression_(maxOrder),
      coefficients_(static_cast<std::size_t>(maxOrder) + 1, 0.0) {}

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
        order_ = chooseRangeOrder(regression_, maxOrder_, relative_, sseWork_);
        if (order_.status == FitStatus::kOk && holdout_ != nullptr) {
            regression_.coefficients(order_.order, coefficients_.data());
        }
        changed_ = false;
    }
    if (order_.status == FitStatus::kSingular) {
        return std::numeric_limits<double>::infinity();
    }
    if (holdout_ == nullptr) {
        return order_.aic;
    }
    return holdout_->squaredErrors(holdout_->cut(start), holdout_->cut(end), coefficients_.data(),
                                   order_.order);
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
