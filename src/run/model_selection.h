#pragma once

// Choosing the number of regimes and the delay by an information criterion: the model
// comparison (inference/model_comparison.h: every number of regimes up to maxRegimes, every
// delay 1 to 10, one common sample, each regime's order chosen among all orders by AIC) is made
// on the run's sample, and the settings are set to estimate its best row, so that the report,
// statistics and forecasts of the run are those of that model. kavri-cli's --select and the
// desktop's "Regimes and delay" choice both go through here.

#include "inference/model_comparison.h"
#include "model/notice.h"
#include "model/run_settings.h"

namespace kavri {

enum class SelectionCriterion { kAic, kBic };

struct CriterionSelection {
    ModelComparison comparison;
    int bestRow = -1;  // the row of lowest AIC or BIC; -1 when no row could be fitted
};

// Reads the sample of `settings` and compares the models with every order tried in each
// regime (the Absolute criterion, as the estimation at given thresholds tries them). When a row
// could be fitted, `settings` is set to estimate the best row by `criterion`: its thresholds
// given at its delay, or, for the one-regime autoregression, the exact search with one regime
// and the AIC fitness. The settings are left as they were when no row could be fitted or when
// options.keepGoing stopped the comparison (comparison.completed false). The notice is the
// series' or the comparison's.
Result<CriterionSelection> selectByCriterion(RunSettings& settings, SelectionCriterion criterion,
                                             const ComparisonOptions& options = {});

}  // namespace kavri
