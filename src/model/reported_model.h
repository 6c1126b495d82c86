#pragma once

// The reported model as numbers, for front ends that need more than the result texts (the
// command line's JSON output, for instance). Filled by a reporting evaluation.

#include <optional>
#include <string>
#include <vector>

namespace kavri {

struct RegimeReport {
    int order = 0;
    std::vector<double> coefficients;  // constant, then lags 1 .. order
    int observations = 0;
    double residualVariance = 0.0;  // SSE / observations
    std::optional<double> rSquare;  // empty when the regime's responses are all equal
};

struct ReportedModel {
    bool available = false;  // false until a reporting evaluation completes
    bool constant = true;    // false: every regime's constant is 0, not estimated
    std::vector<double> thresholds;
    std::vector<RegimeReport> regimes;
    int effectiveObservations = 0;
    double naic = 0.0;
    double aic = 0.0;
    double residualVariance = 0.0;
    std::optional<double> forecastMse;  // empty without held-out values
    double ljungBox = 0.0;
    double fitness = 0.0;  // the evaluation's own fitness of this model

    // The data behind the numbers above, for inference, forecasts and charts.
    int delay = 0;
    int maxOrder = 0;            // P: observations t >= P - 1 enter the regressions
    std::vector<double> series;  // every value read: nObservations fitted, then the held out
    // The label (date or time) of each value of `series` when the file has a label column;
    // empty otherwise.
    std::vector<std::string> labels;
    // Per observation t = 0 .. nObservations-1: the regime (0-based) whose regression holds
    // x[t] as a response, or -1 for an observation that enters no regression.
    std::vector<int> regimeOfObservation;
    std::vector<double> fitted;            // the whole-series fit, as in Residuals.txt
    std::vector<double> residuals;         // x[t] - fitted[t]
    std::vector<double> autocorrelations;  // of the residuals, lags 0 .. nAutocorrelations
    std::vector<double> holdoutForecasts;  // one step ahead, for x[n .. n + nPredictions - 1]
};

}  // namespace kavri
