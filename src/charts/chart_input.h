#pragma once

// What the charts are drawn from: a run's results as numbers, never its texts. Front ends fill
// it from a finished run with chartInputFromRun(); tests and benches may fill it by hand.

#include <optional>
#include <vector>

#include "estimation/threshold_profile.h"
#include "forecast/forecast_result.h"
#include "inference/threshold_interval.h"
#include "model/reported_model.h"
#include "model/run_settings.h"
#include "run/exact_run.h"
#include "run/run_driver.h"

namespace kavri::charts {

// A central forecast interval: for step h = 1 .. H (index h - 1), the bounds that the paths
// stay within with probability `level`.
struct ForecastInterval {
    double level = 0.0;  // 0.8 for an 80% interval
    std::vector<double> lower;
    std::vector<double> upper;
};

// Forecasts h = 1 .. H steps past the last value read (observation nObservations +
// nPredictions - 1, 0-based), with any number of intervals.
struct ForecastPath {
    std::vector<double> point;
    std::vector<ForecastInterval> intervals;
};

// How the thresholds of the run were found, and so which search chart applies.
enum class SearchKind { kGivenThresholds, kGenetic, kExact, kDelayScan };

struct ChartInput {
    ReportedModel model;  // model.available false: nothing to chart
    SearchKind search = SearchKind::kGivenThresholds;
    std::vector<double> generationBest;     // genetic: best fitness of the run so far
    std::vector<double> generationFittest;  // genetic: highest fitness within each generation
    ThresholdProfile profile;               // exact search and delay scan (at the best delay)
    // The likelihood ratio of each threshold over the values it may take, with its critical
    // value at the level of the run's intervals (inference/threshold_interval.h): the profile the
    // search chart shows when there is one.
    std::vector<ThresholdConfidence> thresholdLr;
    std::vector<int> scanDelays;      // delay scan: the delays searched
    std::vector<double> scanFitness;  // delay scan: the best fitness at each
    int bestDelay = 0;
    std::optional<ForecastPath> forecasts;  // multi-step forecasts, when the run made them

    // The number of fitted observations n; the values from n on are held out.
    int nObservations() const { return static_cast<int>(model.fitted.size()); }
    int nHeldOut() const { return static_cast<int>(model.series.size()) - nObservations(); }
};

// The chart input of a finished run made with `settings` (as the run left them). `scan` is the
// delay scan's outcome when the run was one; `forecasts` the forecasts past the data made from
// its model, when there are any. `thresholdLevel` (percent) places the likelihood-ratio chart's
// critical line, at the level of the intervals the texts show.
ChartInput chartInputFromRun(const RunOutcome& outcome, const RunSettings& settings,
                             const DelayScanOutcome* scan = nullptr,
                             const ForecastResult* forecasts = nullptr,
                             double thresholdLevel = kDefaultThresholdLevel);

// The forecast path of forecasts past the data: the point forecasts and every interval, with
// the levels as shares (80% as 0.8).
ForecastPath forecastPathOf(const ForecastResult& forecasts);

}  // namespace kavri::charts
