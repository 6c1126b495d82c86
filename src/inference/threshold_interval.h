#pragma once

// Confidence intervals for the thresholds by inverting the likelihood-ratio statistic
// (Hansen 1997, 2000). For threshold i of the reported model, the other thresholds and every
// regime's order held where the model has them, moving the threshold to a value g only moves
// observations between the two regimes it separates, each refitted with the model's form (its
// constant or none, trend, and the lags that regime fitted), and
//     LR(g) = N (S(g) - S(g^)) / S(g^),
// with S the model's total sum of squared residuals, g^ the reported threshold and N the
// observations of all regressions. The interval at level a is the set {g : LR(g) <= c(a)}
// shown as [lowest, highest], with Hansen's critical value
//     c(a) = -2 ln(1 - sqrt(a))                        (7.35 at a = 95 %),
// the a-quantile of the asymptotic law of LR(g0) at the true threshold (max of a two-sided
// Brownian motion with drift) under homoskedastic errors and a vanishing threshold effect.
// With a fixed threshold effect, as in most data, the interval is conservative.
//
// The candidates g are the observed values of the threshold variable between the
// neighbouring thresholds at which both regimes keep at least minObs observations. A value g
// puts every observation whose threshold variable is below g in the lower regime and the
// rest above (a threshold is the first value of the upper regime); the reported threshold
// itself, whose split may divide equal values by rank, is always in the set (LR = 0). The
// search may have chosen the threshold by AIC or forecast MSE rather than least squares, so
// LR can be negative at other values; they are in the set as well.

#include <optional>
#include <vector>

#include "model/reported_model.h"

namespace kavri {

inline constexpr double kDefaultThresholdLevel = 95.0;

// c(a) for a level in percent, 0 < level < 100.
double thresholdCriticalValue(double levelPercent);

struct ThresholdLikelihoodRatio {
    std::vector<double> values;  // candidate thresholds, ascending
    std::vector<double> lr;      // LR at each
    int optimumIndex = 0;        // the reported threshold's entry (LR = 0)
};

struct ThresholdConfidence {
    int threshold = 0;  // 0-based, in ascending order
    double estimate = 0.0;
    double level = kDefaultThresholdLevel;  // percent
    double criticalValue = 0.0;
    double lower = 0.0;
    double upper = 0.0;
    ThresholdLikelihoodRatio curve;
};

// One entry per threshold of an available reported model with its data (series, regimes of
// the observations, residuals); empty for a model of one regime. `minObs` is
// the least number of observations a regime may keep, as in the search.
std::vector<ThresholdConfidence> thresholdConfidence(const ReportedModel& model,
                                                     double levelPercent, int minObs);

}  // namespace kavri
