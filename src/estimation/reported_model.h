#pragma once

// The reported model as numbers, for front ends that need more than the result texts (the
// command line's JSON output, for instance). Filled by a reporting evaluation.

#include <optional>
#include <vector>

namespace kavri {

struct RegimeReport {
    int order = 0;
    std::vector<double> coefficients;  // constant, then lags 1 .. order
    int observations = 0;
    double residualVariance = 0.0;     // SSE / observations
    std::optional<double> rSquare;     // empty when the regime's responses are all equal
};

struct ReportedModel {
    bool available = false;  // false until a reporting evaluation completes
    std::vector<double> thresholds;
    std::vector<RegimeReport> regimes;
    int effectiveObservations = 0;
    double naic = 0.0;
    double aic = 0.0;
    double residualVariance = 0.0;
    std::optional<double> forecastMse;  // empty without held-out values
    double ljungBox = 0.0;
    double fitness = 0.0;  // the evaluation's own fitness of this model
};

}  // namespace kavri
