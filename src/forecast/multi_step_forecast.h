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

// The steps from `origin` that a forecast can take: unbounded (-1) unless the threshold
// variable is exogenous, which chooses the regime of step h from its value at time
// origin + h - 1 - delay and so is needed that far (the delay, plus the rows of the file after
// the sample that give it).
int knownForecastSteps(const ReportedModel& model, int origin);

}  // namespace kavri
