#pragma once

// The results of a run as text, under the labels of the main window and in its order:
// Iteration, Fitness, the four estimate panels, then Variance, Residual Variance, NAIC, AIC,
// MSE, Ljung-Box, Observation, Threshold, Variance of Regime and R Square. A one-line text
// follows its label ("AIC: -12.345678"); a multi-line text starts on the next line, each of
// its lines indented by four blanks. Texts that the run never wrote are shown empty.

#include <string>

#include "cli/options.h"
#include "cli/run_statistics.h"
#include "model/result_texts.h"
#include "model/run_settings.h"
#include "run/exact_run.h"
#include "run/forecast_run.h"
#include "run/run_driver.h"

namespace kavri::cli {

// The report printed on standard output. A genetic search is preceded by the line
// "Seed: S" with the seed it started from, so that the run can be repeated with --seed S. An
// exact search that tried only some values as thresholds says so in the line
// "Threshold Candidates: M of the N values, ...".
// With `statistics`, the likelihood-ratio interval of each threshold follows the thresholds
// under "Threshold Confidence".
std::string formatTextReport(const ResultTexts& texts, const RunOutcome& outcome,
                             const RunSettings& settings,
                             const RunStatistics* statistics = nullptr);

// The table of a delay scan, printed before the report of the model at the best delay:
// "Delay Scan:", one indented line "Delay d: <fitness %f>" per delay, then "Best Delay: d".
std::string formatDelayScan(const DelayScanOutcome& scan);

// The statistics after the report, under their labels in the same layout: Coefficients,
// Log-Likelihood, BIC, Ljung-Box p, then with --tests the linearity tests and with
// --compare-models the comparison table.
std::string formatStatisticsReport(const RunStatistics& statistics);
// The forecasts after the report: "Forecast Method: <name>" (with ", N paths, seed S" for the
// simulated methods), "Forecasts:" and the table of Forecasts.txt in columns, then with
// held-out values "Dynamic Check:" and one line per step with the held-out value, the point
// forecast from origin nObservations, the error and the RMSE up to that step. When the series
// file has dates, both tables have a "Date" column after the step: the dates past the data, and
// those of the held-out values.
std::string formatForecastReport(const ForecastOutcome& forecasts);

// "Simulated Series: <N> values with <method> innovations, seed S, written to <file>".
std::string formatSimulationReport(const CliRequest& request);

}  // namespace kavri::cli
