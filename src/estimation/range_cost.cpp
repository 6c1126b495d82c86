#include "estimation/range_cost.h"

#include <algorithm>

namespace kavri {

RangeCost::RangeCost(const HoldoutSet* holdout, int maxOrder, bool relative, double logFloor,
                     int fixedOrder)
    : holdout_(holdout),
      maxOrder_(maxOrder),
      relative_(relative),
      logFloor_(logFloor),
      fixedOrder_(fixedOrder),
      sseWork_(static_cast<std::size_t>(std::max(maxOrder, 1)), 0.0),
      coefficients_(static_cast<std::size_t>(std::max(maxOrder, 0)) + 1, 0.0) {}

void RangeCost::fit(const FactorView& factor, bool responsesEqual) {
    order_ = chooseRangeOrder(factor, responsesEqual, maxOrder_, relative_, sseWork_.data(),
                              logFloor_, fixedOrder_);
    if (order_.status == FitStatus::kOk && holdout_ != nullptr) {
        regressionCoefficients(factor, order_.order, coefficients_.data());
    }
}

void RangeCost::fit(const FactorView& factor, bool responsesEqual, int singularFrom,
                    const double* sse, int stride) {
    order_ = maxOrder_ < 2
                 ? RangeOrder{}
                 : chooseOrder(factor.observations, singularFrom, sse, stride, responsesEqual,
                               maxOrder_, relative_, logFloor_, fixedOrder_);
    if (order_.status == FitStatus::kOk && holdout_ != nullptr) {
        regressionCoefficients(factor, order_.order, coefficients_.data());
    }
}

double RangeCost::cost(int start, int end) const {
    if (order_.status == FitStatus::kSingular) {
        return kInfiniteCost;
    }
    if (holdout_ == nullptr) {
        return order_.score;
    }
    return holdout_->squaredErrors(holdout_->cut(start), holdout_->cut(end), coefficients_.data(),
                                   order_.order);
}

}  // namespace kavri
