#pragma once

// What one range of ranks costs the exact search: with the fitness "AIC", the score (the AIC
// with exact fits ranked, information_criterion.h) of the range's chosen order; with "MSE", the
// squared one-step forecast errors of the held-out values that fall into the range, forecast by
// that order's coefficients. Infinite when the range's fit is singular, as the chromosome
// evaluation then scores 0.

#include <limits>
#include <vector>

#include "estimation/range_qr.h"

namespace kavri {

inline constexpr double kInfiniteCost = std::numeric_limits<double>::infinity();

class RangeCost {
 public:
    // holdout null: the fitness "AIC". The held-out set must outlive the object. `logFloor`
    // ranks exact fits (exactFitLogFloor()); `design` is the ranges' columns.
    // `fixedOrder` above 0: every range is fitted at that order (chooseOrder()).
    RangeCost(const HoldoutSet* holdout, const RangeDesign& design, bool relative,
              double logFloor = kNoExactFitFloor, int fixedOrder = 0);

    // The order that later fits take, 0 for the choice by the criterion: a range of a model
    // with one order per regime is fitted at its regime's.
    void setFixedOrder(int fixedOrder) { rule_.fixedOrder = fixedOrder; }

    // Chooses the order of the range whose regression `factor` holds; cost() is of this fit.
    // `responsesEqual`: whether the range's responses are all the same value.
    void fit(const FactorView& factor, bool responsesEqual);
    // The same with the factor's firstSingularOrder(), residualSums() (at sse[p * stride]) and
    // totalSquares() given.
    void fit(const FactorView& factor, bool responsesEqual, int singularFrom, const double* sse,
             int stride, double sst);
    // The cost of the last fit as the range of ranks [start, end): the ranks choose the
    // held-out values with "MSE" and do not matter with "AIC".
    double cost(int start, int end) const;

 private:
    const HoldoutSet* holdout_;
    OrderChoiceRule rule_;
    RangeOrder order_;
    std::vector<double> sseWork_;
    std::vector<double> coefficients_;
};

}  // namespace kavri
