#pragma once

// One-step-ahead forecasts of the held-out observations and the file "Predictions.txt".

#include <filesystem>
#include <vector>

#include "estimation/fitted_model.h"
#include "report/notice.h"

namespace kavri {

struct HoldoutForecasts {
    std::vector<double> observed;  // x[origin + i]
    std::vector<double> forecast;
    std::vector<double> error;     // observed - forecast
    double mse = 0.0;              // mean of error^2, summed in increasing i
};

// Forecasts x[origin .. origin + nPredictions - 1] one step ahead from the actual past. The
// regime is the first j with x[t - delay] <= thresholdValues[j] (a value equal to a threshold
// selects the lower regime; thresholds are taken in the order given, sorted or not).
HoldoutForecasts forecastHoldout(const double* x, int origin, const FittedModel& model,
                                 int nPredictions, int delay);

// Replaces the file at `path` with the header and one "%8.5f\t%8.5f\t%8.5f\n" line per
// forecast. A file that cannot be opened, or a write that fails, returns the notice.
MaybeNotice writePredictionsFile(const std::filesystem::path& path,
                                 const HoldoutForecasts& forecasts);

// Both of the above: the mean squared forecast error, or the file's notice.
Result<double> predictHoldout(const double* x, int origin, const FittedModel& model,
                              int nPredictions, int delay, const std::filesystem::path& path);

}  // namespace kavri
