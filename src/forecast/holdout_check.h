#pragma once

// The dynamic check on the held-out values: the multi-step forecasts from origin
// nObservations, made with nothing but the fitted values, against the nPredictions values
// that followed. Unlike the one-step forecasts of Predictions.txt, no held-out value ever
// enters as a lag, so the error at step h is the model's error h steps ahead.

#include <optional>
#include <vector>

#include "forecast/forecast_result.h"
#include "forecast/forecast_settings.h"
#include "model/reported_model.h"

namespace kavri {

struct HoldoutCheck {
    ForecastResult forecasts;      // from origin nObservations, horizon nPredictions
    std::vector<double> observed;  // per step h at h - 1: x[nObservations + h - 1]
    std::vector<double> error;     // observed - point forecast
    // Per step h: sqrt((e_1^2 + ... + e_h^2) / h), the root mean squared error of the
    // forecasts up to that horizon, summed in increasing step.
    std::vector<double> rmse;
    // Per step h, likewise over steps 1 .. h: the mean absolute error (|e_1| + .. + |e_h|) / h
    // and the mean absolute percentage error 100 (|e_1 / x_1| + .. + |e_h / x_h|) / h, NaN
    // (shown as NA, null in JSON) once an observed value is 0.
    std::vector<double> mae;
    std::vector<double> mape;
};

// The check with settings' method, paths, levels and seed (its horizon is replaced by the
// number of held-out values); empty without held-out values.
std::optional<HoldoutCheck> checkOnHoldout(const ReportedModel& model,
                                           const ForecastSettings& settings);

}  // namespace kavri
