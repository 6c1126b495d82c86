#pragma once

// The cost that a regime contributes to the exact search's summed criterion, scored for the
// ranges [start, end) of one start rank as the range grows one rank at a time, and the fitness
// that a summed criterion stands for.
//
// A range's cost is the AIC of its chosen order (fitness "AIC") or the sum of its squared
// one-step forecast errors of the held-out values whose threshold variable falls into it
// (fitness "MSE"); infinite when the range's fit is singular at an order the order search
// tries (range_cost.h). A range grown from its start in rank order gives the same cost to the
// last bit wherever it is scored; a search that grows ranges in another order (the suffixes of
// single_threshold_search.h) scores again in rank order what its result depends on.

#include <vector>

#include "estimation/range_cost.h"
#include "estimation/range_qr.h"
#include "model/run_settings.h"

namespace kavri {

class RangeScorer {
 public:
    // `holdout` is null for the fitness "AIC"; `relative` selects the "Relative" criterion;
    // `logFloor` ranks exact fits (exactFitLogFloor()). The ranges take the rows' design.
    // `fixedOrder` above 0: every range at that order.
    RangeScorer(const RankRows& rows, const HoldoutSet* holdout, bool relative,
                double logFloor = kNoExactFitFloor, int fixedOrder = 0);

    void setFixedOrder(int fixedOrder) {
        cost_.setFixedOrder(fixedOrder);
        changed_ = true;
    }

    // Starts an empty range.
    void start();
    // Appends rank h; a rank whose observation is not usable leaves the regression as it was.
    // Ranks are usually added in ascending order; in another order the factor holds the same
    // rows but can differ in the last bits.
    void add(int h);
    // The cost of the range grown so far, which holds the ranks [start, end).
    double cost(int start, int end);

 private:
    const RankRows& rows_;
    QrRangeRegression regression_;
    RangeCost cost_;
    bool changed_ = true;
};

// The log-fitness (fitness.h) of a valid chromosome whose regimes' costs sum to `criterion`:
// for "AIC" -(criterion / Ntot + 0.018) / adjustingConstant with Ntot the usable observations
// of all regimes, for "MSE" -(1 + criterion / nPredictions).
double logFitnessOfCriterion(const RunSettings& settings, double criterion,
                             int effectiveObservations);
// Its fitness, exp() of it.
double fitnessOfCriterion(const RunSettings& settings, double criterion, int effectiveObservations);

}  // namespace kavri
