#pragma once

// The forecasts against what happened: the end of the fitted series for context, the held-out
// values with their one-step forecasts, and, when the run made them, the forecasts past the
// last value read with their interval bands.

#include <memory>

#include "charts/chart_figure.h"
#include "charts/chart_input.h"

namespace kavri::charts {

inline constexpr const char* kHeldOutValuesName = "held-out values";
inline constexpr const char* kOneStepForecastsName = "one-step forecasts";

// The fitted observations shown before the held-out ones: enough to see the series' level and
// swing, at least 40 and at least twice the held-out count.
int forecastContextLength(int nHeldOut, int nForecastSteps);

std::unique_ptr<ChartFigure> buildForecastChart(const ChartInput& input);

}  // namespace kavri::charts
