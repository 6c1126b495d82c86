#pragma once

// The charts of a finished run written by kavri-cli --plots, without a display.

#include <cstdio>

#include "cli/options.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"

namespace kavri::cli {

// Writes every chart that applies to the run into request.plotsDirectory and names each file
// written on `log` ("kavri-cli: wrote plots/series.svg"). Draws on Qt's offscreen platform
// unless QT_QPA_PLATFORM chooses another, so no display is needed. `scan` is the delay scan's
// outcome when the run was one, `forecasts` the forecasts past the data when they were made.
// The drawing is done by the chart module (cli/chart_module.h), opened here and only here, so
// that kavri-cli loads Qt only when charts are asked for. Returns kExitSuccess, or
// kExitPlotFailure after writing the reason on `log` (also when the module cannot be opened).
int writeRunCharts(const CliRequest& request, const RunOutcome& outcome,
                   const DelayScanOutcome* scan, const ForecastOutcome* forecasts, std::FILE* log);

}  // namespace kavri::cli
