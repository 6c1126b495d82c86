#pragma once

// The cost that a regime contributes to the exact search's summed criterion, scored for the
// ranges [start, end) of one start rank as the range grows one rank at a time, and the fitness
// that a summed criterion stands for.
//
// A range's cost is the AIC of its chosen order (fitness "AIC") or the sum of its squared
// one-step forecast errors of the held-out values whose threshold variable falls into it
// (fitness "MSE"); infinite when the range's fit is singular at an order the order search
// tries. Every user of these costs grows a range from its start in rank order, so that the same
// range gives the same cost to the last bit wherever it is scored.

#include <vector>

#include "estimation/range_qr.h"
#include "model/run_settings.h"

namespace kavri {

class RangeScorer {
 public:
    // `holdout` is null for the fitness "AIC"; `relative` selects the "Relative" criterion.
    RangeScorer(const RankRows& rows, const HoldoutSet* holdout, int maxOrder, bool relative);

    // Starts an empty range.
    void start();
    // Appends rank h; a rank whose observation is not usable leaves the regression as it was.
    void add(int h);
    // The cost of the range grown so far, which holds the ranks [start, end).
    double cost(int start, int end);

 private:
    const RankRows& rows_;
    const HoldoutSet* holdout_;
    int maxOrder_;
    bool relative_;
    QrRangeRegression regression_;
    RangeOrder order_;
    bool changed_ = true;
    std::vector<double> coefficients_;
    std::vector<double> sseWork_;
};

// The fitness of a valid chromosome whose regimes' costs sum to `criterion`: for "AIC"
// exp(-(criterion / Ntot + 0.018) / adjustingConstant) with Ntot the usable observations of
// all regimes, for "MSE" exp(-(1 + criterion / nPredictions)).
double fitnessOfCriterion(const RunSettings& settings, double criterion, int effectiveObservations);

}  // namespace kavri
