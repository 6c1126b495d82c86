#pragma once

// Which charts a run's results allow, and building them.

#include <memory>
#include <vector>

#include "charts/chart_figure.h"
#include "charts/chart_input.h"

namespace kavri::charts {

// Whether the results hold what the chart shows: every chart needs a reported model; the
// autocorrelations need at least one lag, the forecasts held-out values or forecasts past the
// data, the search a genetic or exact search or a delay scan.
bool chartApplies(ChartKind kind, const ChartInput& input);

// Builds one chart; it must apply.
std::unique_ptr<ChartFigure> buildChart(ChartKind kind, const ChartInput& input);

// Every chart that applies, in the order of kCharts.
std::vector<std::unique_ptr<ChartFigure>> buildCharts(const ChartInput& input);

}  // namespace kavri::charts
