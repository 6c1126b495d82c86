#pragma once

// The results of a run as one JSON object of numbers, for scripts: the settings used, the
// seed, the fitness, the series variance, the thresholds, each regime's order, coefficients
// (constant first), observations, residual variance and R square, the model's NAIC, AIC,
// residual variance, forecast MSE and Ljung-Box statistic, and the work done by the search.
// A value that is undefined for the run is null: the R square of a regime whose responses are
// all equal, the MSE without held-out values, the seed outside the genetic search, and every
// model value when no model was reported ("modelReported": false).

#include <string>

#include "cli/options.h"
#include "cli/run_statistics.h"
#include "model/run_settings.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"

namespace kavri::cli {

// The JSON text, indented by two blanks and ended by a line break. Doubles are written in
// their shortest form that reads back to the same value. After a delay scan, "delayScan" lists
// {"delay", "fitness"} per delay and "bestDelay" names the delay of the reported model. When
// the exact search tried only some values as thresholds, "thresholdCandidates" says how many.
// With statistics: "standardErrors" ("classical" or "hc1"), "coefficientTable" (per regime,
// each coefficient's estimate, standardError, tValue and pValue), "fitStatistics", "warnings"
// (the texts of sparse regimes), "thresholdConfidence" (per threshold {"threshold", "level",
// "lower", "upper"}: the likelihood-ratio interval at the --threshold-level) when the model
// has thresholds, and when computed "linearityTests" and "modelComparison".
//
// With `forecasts`, "forecasts" holds the method, origin, paths, seed and levels and one entry
// per step {"step", "forecast", "median", "intervals": [{"level", "lower", "upper"}]} (and
// "date" after "step" when the series file gives dates), and
// "dynamicCheck" the check on the held-out values {"origin", "steps": [{"step", "observed",
// "forecast", "error", "rmse"}]} or null without held-out values; for the skeleton, paths,
// seed and medians are null and the intervals empty. With `request` asking for a simulated
// series, "simulation" holds {"file", "values", "method", "seed"}; with --select, "select"
// names the criterion ("aic" or "bic") whose best comparison row is the model.
std::string formatJsonReport(const RunOutcome& outcome, const RunSettings& settings,
                             const DelayScanOutcome* scan = nullptr,
                             const RunStatistics* statistics = nullptr,
                             const ForecastOutcome* forecasts = nullptr,
                             const CliRequest* request = nullptr);

// The same JSON on a single line (no indentation), ended by a line break: one record of a
// JSON Lines file.
std::string formatJsonLine(const RunOutcome& outcome, const RunSettings& settings,
                           const DelayScanOutcome* scan = nullptr,
                           const RunStatistics* statistics = nullptr,
                           const ForecastOutcome* forecasts = nullptr,
                           const CliRequest* request = nullptr);

}  // namespace kavri::cli
