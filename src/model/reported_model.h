#pragma once

// The reported model as numbers, for front ends that need more than the result texts (the
// command line's JSON output, for instance). Filled by a reporting evaluation.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "model/threshold_variable.h"

namespace kavri {

struct RegimeReport {
    int order = 0;
    // The constant, then lags 1 .. order (with a subset of lags, 0 at each lag left out).
    std::vector<double> coefficients;
    int observations = 0;
    double residualVariance = 0.0;  // SSE / observations
    std::optional<double> rSquare;  // empty when the regime's responses are all equal
    double trend = 0.0;             // the slope of the linear trend (ReportedModel::trend)
};

struct ReportedModel {
    bool available = false;  // false until a reporting evaluation completes
    bool constant = true;    // false: every regime's constant is 0, not estimated
    // The subset of lags the regressions use, ascending; empty: the lags 1 .. order.
    std::vector<int> lags;
    // true: each regime adds trend * t, t the observation's number in the sample from 1.
    bool trend = false;
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
    // The threshold variable z beside `series`, value for value, when it is not the series
    // itself (model/threshold_variable.h; the change has no value, NaN, at the first); empty
    // for the series' own lagged value. The regime of observation t is chosen by z[t - delay].
    std::vector<double> thresholdSeries;
    ThresholdVariableKind thresholdVariable = ThresholdVariableKind::kOwn;
    // z[t - delay] in words ("abs_returns[t-1]", "x[t-1] - x[t-2]"); empty for the own lag.
    std::string thresholdVariableText;
    // An exogenous threshold variable's values in the rows after `series`, as far as the file
    // gives them: forecasts past the data can choose their regime that far.
    std::vector<double> thresholdFuture;
    // z[s]: the threshold variable at time s, whichever it is.
    double thresholdVariableAt(int s) const {
        const auto i = static_cast<std::size_t>(s);
        return thresholdSeries.empty() ? series[i] : thresholdSeries[i];
    }
    // The label (date or time) of each value of `series` when the file has a label column;
    // empty otherwise.
    std::vector<std::string> labels;
    // Per observation t = 0 .. nObservations-1: the regime (0-based) whose regression holds
    // x[t] as a response, or -1 for an observation that enters no regression.
    std::vector<int> regimeOfObservation;
    std::vector<double> fitted;            // the whole-series fit, as in Residuals.txt
    std::vector<double> residuals;         // x[t] - fitted[t]
    std::vector<double> autocorrelations;  // of the residuals, lags 0 .. nAutocorrelations
    // The same from the regressions' own equations. Where the threshold variable equals a
    // threshold, the estimation may hold the observation in the regime below (ties are split
    // by rank) while the whole-series fit applies the equation above: `residuals` then mixes
    // two equations. These residuals are x[t] minus the fit of the regression that holds x[t]
    // (the whole-series residual elsewhere, to the bit), and every statistic of the residuals
    // beyond the result texts and Residuals.txt (Ljung-Box p values, the ACF chart, the
    // bootstrap pools, the diagnostics) uses them. Empty in a model made by hand: then
    // `residuals` stands in (ownResiduals()).
    std::vector<double> regressionResiduals;
    std::vector<double> regressionAutocorrelations;  // lags 0 .. nAutocorrelations
    double regressionLjungBox = 0.0;
    std::vector<double> holdoutForecasts;  // one step ahead, for x[n .. n + nPredictions - 1]

    // The lags regime r fitted: 1 .. order, or those of the subset up to its order.
    std::vector<int> lagsOf(std::size_t r) const {
        std::vector<int> fitted;
        const int order = regimes[r].order;
        if (lags.empty()) {
            for (int k = 1; k <= order; ++k) fitted.push_back(k);
        } else {
            for (int lag : lags) {
                if (lag <= order) fitted.push_back(lag);
            }
        }
        return fitted;
    }

    // The most lag coefficients a regime fitted: the degrees of freedom the residuals'
    // portmanteau tests lose (the highest order, unless a subset of lags was fitted).
    int mostLagsFitted() const {
        std::size_t most = 0;
        for (std::size_t r = 0; r < regimes.size(); ++r) {
            most = std::max(most, lagsOf(r).size());
        }
        return static_cast<int>(most);
    }

    const std::vector<double>& ownResiduals() const {
        return regressionResiduals.empty() ? residuals : regressionResiduals;
    }
    const std::vector<double>& ownAutocorrelations() const {
        return regressionAutocorrelations.empty() ? autocorrelations : regressionAutocorrelations;
    }
    double ownLjungBox() const {
        return regressionResiduals.empty() ? ljungBox : regressionLjungBox;
    }
};

}  // namespace kavri
