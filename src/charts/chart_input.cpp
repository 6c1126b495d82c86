#include "charts/chart_input.h"

namespace kavri::charts {

ChartInput chartInputFromRun(const RunOutcome& outcome, const RunSettings& settings,
                             const DelayScanOutcome* scan, const ForecastResult* forecasts,
                             double thresholdLevel) {
    ChartInput input;
    if (outcome.notice) {
        return input;
    }
    input.model = outcome.model;
    input.profile = outcome.thresholdProfile;
    if (!input.profile.curves.empty()) {
        input.thresholdLr =
            thresholdConfidence(outcome.model, thresholdLevel, settings.model.minObs);
    }
    if (scan != nullptr) {
        input.search = SearchKind::kDelayScan;
        input.scanDelays = scan->delays;
        input.scanFitness = scan->fitness;
        input.bestDelay = scan->bestDelay;
    } else if (settings.model.selectModel == kSelectModelGivenThresholds) {
        input.search = SearchKind::kGivenThresholds;
    } else if (settings.ga.searchMethod == kSearchExact) {
        input.search = SearchKind::kExact;
    } else {
        input.search = SearchKind::kGenetic;
        input.generationBest = outcome.generationBest;
        input.generationFittest = outcome.generationFittest;
    }
    if (forecasts != nullptr && !forecasts->point.empty()) {
        input.forecasts = forecastPathOf(*forecasts);
    }
    return input;
}

ForecastPath forecastPathOf(const ForecastResult& forecasts) {
    ForecastPath path;
    path.point = forecasts.point;
    for (const kavri::ForecastInterval& interval : forecasts.intervals) {
        path.intervals.push_back(
            ForecastInterval{interval.level / 100.0, interval.lower, interval.upper});
    }
    return path;
}

}  // namespace kavri::charts
