#pragma once

// The whole result written by kavri-cli --report FILE: the same document as the desktop
// program's "Save report...", Markdown for FILE.md, plain text otherwise.

#include <optional>
#include <string>

#include "cli/options.h"
#include "cli/run_statistics.h"
#include "model/result_texts.h"
#include "report/run_report.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"

namespace kavri::cli {

RunReport cliRunReport(const CliRequest& request, const ResultTexts& texts,
                       const RunOutcome& outcome, const RunStatistics& statistics,
                       const std::optional<ForecastOutcome>& forecasts);

// Replaces the file at `path` with `text`, written beside it and renamed, so that a failed
// write leaves an earlier report whole. Returns the reason of a failure, empty on success.
std::string writeReportFile(const std::string& path, const std::string& text);

}  // namespace kavri::cli
