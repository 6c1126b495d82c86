#pragma once

// --select aic|bic: the model comparison's best row by the criterion given becomes the run's
// model. The comparison (every number of regimes up to --max-regimes, every delay 1 to 10, one
// common sample, each regime's order chosen among all orders by AIC) is made on the series
// first; the run then estimates the best row's thresholds at its delay (or the one-regime
// autoregression), so that its report, statistics and forecasts are those of that model.

#include <functional>
#include <string>

#include "cli/options.h"
#include "inference/model_comparison.h"
#include "model/notice.h"

namespace kavri::cli {

struct ModelSelection {
    ModelComparison comparison;
    int bestRow = -1;
    std::string remark;  // which row was chosen and how it is estimated, for standard error
};

// Reads the series of `request`, compares the models and sets request.settings to estimate
// the best row. The notice is the series' or the comparison's.
Result<ModelSelection> selectModel(CliRequest& request,
                                   const std::function<void(int done, int total)>& progress);

}  // namespace kavri::cli
