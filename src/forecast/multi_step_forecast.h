#pragma once

// Forecasts h = 1 .. H steps past an origin with the reported model, conditioned on the
// observed values before it as lags. The regime of a future step depends on values not yet
// seen, so a threshold model has no closed form for the distribution h steps ahead: the
// skeleton iterates the equations without noise, the two simulated methods draw many paths.

#include "forecast/forecast_result.h"
#include "forecast/forecast_settings.h"
#include "model/reported_model.h"

namespace kavri {

// The forecasts from `origin`: model.series[0 .. origin-1] is the past, and needs at least
// max(largest order, delay) values. Skeleton: `point` only, seed and paths 0. Bootstrap and
// Gaussian: settings.nPaths paths (at least 1), `point` their mean, with median and intervals.
// `model` must be available with its series.
ForecastResult forecastFrom(const ReportedModel& model, int origin,
                            const ForecastSettings& settings);

// From the end of the data: the origin is every value read, nObservations + nPredictions.
ForecastResult forecastFromEnd(const ReportedModel& model, const ForecastSettings& settings);

// The model's own number of fitted observations, nObservations.
int fittedObservations(const ReportedModel& model);

}  // namespace kavri
