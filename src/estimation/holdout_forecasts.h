#pragma once

// One-step-ahead forecasts of the held-out observations.

#include <vector>

#include "model/fitted_model.h"

namespace kavri {

struct HoldoutForecasts {
    std::vector<double> observed;  // x[origin + i]
    std::vector<double> forecast;
    std::vector<double> error;  // observed - forecast
    double mse = 0.0;           // mean of error^2, summed in increasing i
};

// Forecasts x[origin .. origin + nPredictions - 1] one step ahead from the actual past. The
// regime of each forecast follows kHoldoutForecastTie (regime_rule.h): a threshold variable
// equal to a threshold selects the lower regime; thresholds are taken in the order given.
// The regime of observation t is chosen by z[t - delay]: `z` is the threshold variable beside
// x (model/threshold_variable.h), x itself when null.
HoldoutForecasts forecastHoldout(const double* x, int origin, const FittedModel& model,
                                 int nPredictions, int delay, const double* z = nullptr);

}  // namespace kavri
