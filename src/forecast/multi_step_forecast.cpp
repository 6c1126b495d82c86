#include "forecast/multi_step_forecast.h"

#include <cassert>

#include "forecast/innovations.h"
#include "forecast/setar_recursion.h"
#include "forecast/simulated_paths.h"

namespace kavri {

namespace {

// The model iterated without noise: each step's value becomes a lag of the next. This is
// not the conditional mean of a threshold model beyond the first step (the mean of the regime
// equations over the possible regimes is not the equation at the mean), which is why the
// simulated methods report the mean of their paths instead.
std::vector<double> skeleton(const SetarRecursion& recursion, const std::vector<double>& start,
                             int origin, int horizon) {
    std::vector<double> path = start;
    path.reserve(start.size() + static_cast<std::size_t>(horizon));
    for (int h = 1; h <= horizon; ++h) {
        path.push_back(0.0);
        double* next = &path.back();
        int regime = 0;
        *next = recursion.step(next, h, regime, origin + h);
    }
    return std::vector<double>(path.end() - horizon, path.end());
}

}  // namespace

int knownForecastSteps(const ReportedModel& model, int origin) {
    return SetarRecursion(model, origin).knownSteps();
}

int fittedObservations(const ReportedModel& model) {
    return static_cast<int>(model.regimeOfObservation.size());
}

ForecastResult forecastFrom(const ReportedModel& model, int origin,
                            const ForecastSettings& settings) {
    assert(model.available && settings.horizon >= 1);
    const SetarRecursion recursion(model, origin);
    assert(recursion.knownSteps() < 0 || settings.horizon <= recursion.knownSteps());
    const int memory = recursion.memory();
    assert(origin >= memory && origin <= static_cast<int>(model.series.size()));
    const std::vector<double> start(model.series.begin() + (origin - memory),
                                    model.series.begin() + origin);

    ForecastResult result;
    result.method = settings.method;
    result.origin = origin;
    if (settings.method == ForecastMethod::kSkeleton) {
        result.point = skeleton(recursion, start, origin, settings.horizon);
        return result;
    }
    assert(settings.nPaths >= 1);
    result.nPaths = settings.nPaths;
    result.seed = settings.seed;
    const InnovationSource innovations(model, settings.method);
    const PathSimulation simulation{.recursion = recursion,
                                    .innovations = innovations,
                                    .start = start,
                                    .origin = origin,
                                    .horizon = settings.horizon,
                                    .nPaths = settings.nPaths,
                                    .seed = settings.seed,
                                    .levels = settings.levels,
                                    .nThreads = settings.nThreads};
    simulatePaths(simulation, result);
    return result;
}

ForecastResult forecastFromEnd(const ReportedModel& model, const ForecastSettings& settings) {
    return forecastFrom(model, static_cast<int>(model.series.size()), settings);
}

}  // namespace kavri
