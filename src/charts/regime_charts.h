#pragma once

// The charts of the regimes: the series over time with each observation in the colour and
// shape of the regime whose regression holds it, and the lag plot of x[t] against the
// threshold variable x[t - d] with the thresholds as vertical lines.

#include <memory>

#include "charts/chart_figure.h"
#include "charts/chart_input.h"

namespace kavri::charts {

// Series names of the points that are not in a regime's regression.
inline constexpr const char* kNotFittedName = "not fitted (lags missing)";
inline constexpr const char* kHeldOutName = "held out";
// Up to this many values the series chart draws a marker per value; a longer series is drawn
// as lines in the regimes' colours, above the chart's own series (kRegimeStrokeZ).
inline constexpr int kMostSeriesMarkers = 400;
inline constexpr double kRegimeStrokeZ = 20.0;

std::unique_ptr<ChartFigure> buildSeriesChart(const ChartInput& input);
std::unique_ptr<ChartFigure> buildLagChart(const ChartInput& input);

}  // namespace kavri::charts
