#include "estimation/range_cost.h"

#include <algorithm>

namespace kavri {

RangeCost::RangeCost(const HoldoutSet* holdout, const RangeDesign& design, bool relative,
                     double logFloor, int fixedOrder)
    : holdout_(holdout),
      rule_{design.lagCount, design.deterministic, relative, logFloor, fixedOrder},
      sseWork_(static_cast<std::size_t>(design.lagCount) + 1, 0.0),
      coefficients_(static_cast<std::size_t>(design.columns()), 0.0) {}

void RangeCost::fit(const FactorView& factor, bool responsesEqual) {
    order_ = chooseRangeOrder(factor, responsesEqual, rule_.relative, sseWork_.data(),
                              rule_.logFloor, rule_.fixedOrder);
    if (order_.status == FitStatus::kOk && holdout_ != nullptr) {
        regressionCoefficients(factor, order_.order, coefficients_.data());
    }
}

void RangeCost::fit(const FactorView& factor, bool responsesEqual, int singularFrom,
                    const double* sse, int stride, double sst) {
    order_ = rule_.highestOrder < 1 ? RangeOrder{}
                                    : chooseOrder(factor.observations, singularFrom, sse, stride,
                                                  sst, responsesEqual, rule_);
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
