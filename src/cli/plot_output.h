#pragma once

// The charts of a finished run written by kavri-cli --plots, without a display.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "report/run_file_set.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"

namespace kavri::cli {

// Draws every chart that applies to the run and keeps it in `set` as a file of
// request.plotsDirectory, to be committed with the run's other files (see charts::writeCharts).
// Draws on Qt's offscreen platform unless QT_QPA_PLATFORM chooses another, so no display is
// needed. The drawing is done by the chart module (cli/chart_module.h), opened here and only
// here, so that kavri-cli loads Qt only when charts are asked for; a module that cannot be
// opened is a failure like any other, with its reason. `scan` is the delay scan's outcome when the
// run was one, `forecasts` the forecasts past the data when they were made. Empty on success,
// otherwise the reason; `paths` receives the charts kept, as the user named their folder
// ("plots/series.svg").
std::optional<std::string> writeRunCharts(const CliRequest& request, const RunOutcome& outcome,
                                          const DelayScanOutcome* scan,
                                          const ForecastOutcome* forecasts, RunFileSet& set,
                                          std::vector<std::filesystem::path>& paths);

}  // namespace kavri::cli
